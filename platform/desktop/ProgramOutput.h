#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>

namespace platform::desktop {

// What a short-lived settings program (gsettings, xfconf-query) printed, or why it failed.
struct ProgramOutput {
  bool ran = false;  // started and exited 0
  QString output;    // standard output, trimmed
  QString failure;   // its error output, or why it could not run
};

// Runs `program` with `arguments` (no shell), its standard input reading /dev/null, and waits for
// it, at most ten seconds.
ProgramOutput runForOutput(const std::filesystem::path& program, const QStringList& arguments);

}  // namespace platform::desktop
