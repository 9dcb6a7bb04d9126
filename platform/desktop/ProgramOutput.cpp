#include "desktop/ProgramOutput.h"

#include <QProcess>

namespace platform::desktop {

namespace {

constexpr int kWaitMilliseconds = 10000;

}  // namespace

ProgramOutput runForOutput(const std::filesystem::path& program, const QStringList& arguments) {
  QProcess process;
  process.start(QString::fromStdString(program.string()), arguments);
  if (!process.waitForFinished(kWaitMilliseconds)) {
    process.kill();
    process.waitForFinished();
    return {false, {}, process.errorString()};
  }
  const QString errors = QString::fromUtf8(process.readAllStandardError()).trimmed();
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    return {false, {}, errors.isEmpty() ? process.errorString() : errors};
  }
  return {true, QString::fromUtf8(process.readAllStandardOutput()).trimmed(), {}};
}

}  // namespace platform::desktop
