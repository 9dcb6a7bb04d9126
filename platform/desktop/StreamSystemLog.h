#pragma once

#include <atomic>
#include <iostream>

#include "desktop/LogFile.h"
#include "platform/SystemLog.h"

namespace platform::desktop {

// The system log of a desktop program: its standard error, one line per entry, and the log
// file, which stays where a user can read it even when nobody saw standard error (the session
// bus starts the extension with its output going nowhere).
class StreamSystemLog final : public SystemLog {
 public:
  StreamSystemLog() : file_(LogFile::forThisProgram()) {}
  explicit StreamSystemLog(LogFile file) : file_(std::move(file)) {}

  void log(const std::string& line) override {
    std::cerr << asOneLine(line) << std::endl;
    // Standard error has the line anyway; one note there says why the file lacks it.
    if (auto why = file_.append(line); why && !toldWhyFileFails_.exchange(true)) {
      std::cerr << "cannot write the log file " << *why << std::endl;
    }
  }
  void standardOutput(const std::string& line) override { std::cout << line << std::endl; }

 private:
  LogFile file_;
  std::atomic<bool> toldWhyFileFails_ = false;
};

}  // namespace platform::desktop
