#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform::desktop {

// Where the desktop programs' log lines stay for the user to read after the fact:
// ${XDG_STATE_HOME:-$HOME/.local/state}/plovane-menu/plovane-menu.log.
std::filesystem::path defaultLogFilePath();

// The file a full log file is renamed to when a new one starts: `<file>.1`.
std::filesystem::path previousLogFilePath(const std::filesystem::path& file);

// `line` as one line of text, each line break in it written as the two characters \n (or \r): a
// path holding one cannot start a forged entry.
std::string asOneLine(std::string_view line);

// One entry as written: "UTC time program: line", always a single line.
std::string logEntry(std::chrono::system_clock::time_point time, std::string_view program,
                     std::string_view line);

// A log file that several processes append to at once. Each entry is a single write on a
// descriptor opened with O_APPEND, so entries never interleave; once the file has passed
// `limit` bytes it becomes the previous file and the next entry starts a new one.
class LogFile {
 public:
  static constexpr std::uintmax_t kDefaultLimit = 1024 * 1024;

  LogFile(std::filesystem::path file, std::string program, std::uintmax_t limit = kDefaultLimit);

  // The file of this user's session, entries named after the running program.
  static LogFile forThisProgram();

  // Why the entry was not written; absent when it was.
  std::optional<std::string> append(std::string_view line) const;

  const std::filesystem::path& file() const { return file_; }

 private:
  void rotateIfFull(int descriptor) const;

  std::filesystem::path file_;
  std::string program_;
  std::uintmax_t limit_;
};

}  // namespace platform::desktop
