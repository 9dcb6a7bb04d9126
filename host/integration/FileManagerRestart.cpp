#include "host/integration/FileManagerRestart.h"

#include <algorithm>

#include "desktop/ProgramLauncher.h"

namespace plovane::integration {

namespace {

// How long a file manager may take to close its windows and end.
constexpr int kPollMilliseconds = 100;
constexpr int kPolls = 100;

}  // namespace

FileManagerRestart::FileManagerRestart(platform::desktop::FileManager manager,
                                       std::vector<platform::desktop::FileManagerProcess> processes,
                                       QObject* parent)
    : QObject(parent), manager_(std::move(manager)), processes_(std::move(processes)) {
  poll_.setInterval(kPollMilliseconds);
  connect(&poll_, &QTimer::timeout, this, &FileManagerRestart::waitForQuit);
}

void FileManagerRestart::start() {
  const auto program = platform::desktop::findOnPath({manager_.program});
  if (!program) return end(tr("%1 is not installed.").arg(QString::fromStdString(manager_.name)));
  // Asked to quit, the running instance ends; the command itself may stay until it has.
  quit_.emplace(std::vector<std::string>{program->string(), "-q"},
                platform::desktop::ChildProgram::Output::dropped);
  pollsLeft_ = kPolls;
  poll_.start();
}

void FileManagerRestart::waitForQuit() {
  const bool gone = std::all_of(processes_.begin(), processes_.end(), [](const auto& process) {
    return platform::desktop::processGone(process.pid);
  });
  if (!gone) {
    if (--pollsLeft_ > 0) return;
    return end(tr("%1 did not quit; close its windows and start it again.")
                   .arg(QString::fromStdString(manager_.name)));
  }
  std::vector<std::string> arguments{manager_.program};
  for (const auto& process : processes_) {
    for (const auto& folder : process.folders) {
      if (std::find(arguments.begin(), arguments.end(), folder.string()) == arguments.end())
        arguments.push_back(folder.string());
    }
  }
  const auto failure = platform::desktop::startDetached(arguments);
  end(failure ? tr("%1 could not be started again: %2")
                    .arg(QString::fromStdString(manager_.name), QString::fromStdString(*failure))
              : QString());
}

void FileManagerRestart::end(const QString& failure) {
  poll_.stop();
  // A quit command that outlived its file manager has nothing left to do.
  quit_.reset();
  emit finished(failure);
  deleteLater();
}

}  // namespace plovane::integration
