#include "desktop/LogFile.h"

#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <system_error>
#include <vector>

namespace platform::desktop {

namespace fs = std::filesystem;

namespace {

// The state folder's own fallback, for a process started without HOME.
fs::path homeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  std::vector<char> buffer(4096);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr) {
    return found->pw_dir;
  }
  return "/";
}

std::string failure(const fs::path& file, int error) {
  return file.string() + ": " + std::generic_category().message(error);
}

// Missing folders of the state home are made private to the user, as the XDG base folders are.
bool makePrivateFolders(const fs::path& folder) {
  fs::path made;
  for (const auto& part : folder) {
    made /= part;
    if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

int openForAppending(const fs::path& file) {
  return ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
}

}  // namespace

fs::path defaultLogFilePath() {
  fs::path state;
  // The base folder rules ignore a relative path.
  if (const char* configured = std::getenv("XDG_STATE_HOME");
      configured != nullptr && fs::path(configured).is_absolute()) {
    state = configured;
  } else {
    state = homeFolder() / ".local" / "state";
  }
  return state / "plovane-menu" / "plovane-menu.log";
}

fs::path previousLogFilePath(const fs::path& file) {
  fs::path previous = file;
  previous += ".1";
  return previous;
}

std::string asOneLine(std::string_view line) {
  while (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  std::string one;
  one.reserve(line.size());
  for (const char c : line) {
    if (c == '\n') {
      one += "\\n";
    } else if (c == '\r') {
      one += "\\r";
    } else {
      one += c;
    }
  }
  return one;
}

std::string logEntry(std::chrono::system_clock::time_point time, std::string_view program,
                     std::string_view line) {
  const auto sinceEpoch = time.time_since_epoch();
  const std::time_t seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch).count();
  const auto milliseconds =
      std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char stamp[40];
  const std::size_t length = std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &utc);
  std::snprintf(stamp + length, sizeof stamp - length, ".%03dZ", static_cast<int>(milliseconds));

  return std::string(stamp) + " " + std::string(program) + ": " + asOneLine(line) + "\n";
}

LogFile::LogFile(fs::path file, std::string program, std::uintmax_t limit)
    : file_(std::move(file)), program_(std::move(program)), limit_(limit) {}

LogFile LogFile::forThisProgram() { return {defaultLogFilePath(), program_invocation_short_name}; }

std::optional<std::string> LogFile::append(std::string_view line) const {
  const std::string entry = logEntry(std::chrono::system_clock::now(), program_, line);
  int descriptor = openForAppending(file_);
  if (descriptor < 0 && errno == ENOENT && makePrivateFolders(file_.parent_path())) {
    descriptor = openForAppending(file_);
  }
  if (descriptor < 0) return failure(file_, errno);
  const ssize_t written = ::write(descriptor, entry.data(), entry.size());
  const int error = errno;
  if (written > 0) rotateIfFull(descriptor);
  ::close(descriptor);
  if (written < 0) return failure(file_, error);
  if (static_cast<std::size_t>(written) != entry.size()) return failure(file_, ENOSPC);
  return std::nullopt;
}

void LogFile::rotateIfFull(int descriptor) const {
  struct stat opened {};
  if (::fstat(descriptor, &opened) != 0 || static_cast<std::uintmax_t>(opened.st_size) <= limit_) {
    return;
  }
  // Writers that filled it at the same time take turns, and only the first renames: the others
  // find the name on a new file by then. Closing the descriptor releases the lock.
  if (::flock(descriptor, LOCK_EX) != 0) return;
  struct stat named {};
  if (::stat(file_.c_str(), &named) == 0 && named.st_dev == opened.st_dev &&
      named.st_ino == opened.st_ino) {
    ::rename(file_.c_str(), previousLogFilePath(file_).c_str());
  }
}

}  // namespace platform::desktop
