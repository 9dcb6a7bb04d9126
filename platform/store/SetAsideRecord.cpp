#include "store/SetAsideRecord.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <system_error>

namespace platform {
namespace fs = std::filesystem;

namespace {

constexpr char kListName[] = "set-aside.list";
// Far more names than files are ever moved aside; a larger list is not ours to read.
constexpr std::size_t kMaxListBytes = 64 * 1024;

// The list, opened and locked; -1 when it is not there or not a regular file (non-blocking, so
// that a FIFO in its place cannot hang us).
int openLocked(const fs::path& list, int flags) {
  const int fd = ::open(list.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      const int error = errno;
      ::close(fd);
      errno = error;
      return -1;
    }
  }
  return fd;
}

}  // namespace

std::optional<std::string> recordSetAside(const fs::path& folder, const std::string& fileName) {
  const fs::path list = folder / kListName;
  const int fd = openLocked(list, O_WRONLY | O_APPEND | O_CREAT);
  const std::string line = fileName + "\n";
  const bool written =
      fd >= 0 && ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  const int error = errno;
  if (fd >= 0) ::close(fd);
  if (written) return std::nullopt;
  return "cannot record " + fileName + " in " + list.string() + ": " +
         std::generic_category().message(error);
}

std::vector<std::string> takeSetAside(const fs::path& folder) {
  const int fd = openLocked(folder / kListName, O_RDWR);
  if (fd < 0) return {};
  std::string text(kMaxListBytes, '\0');
  std::size_t used = 0;
  while (used < text.size()) {
    const ssize_t got = ::read(fd, text.data() + used, text.size() - used);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    used += static_cast<std::size_t>(got);
  }
  text.resize(used);
  // Not emptied (a read-only folder), they are told again at the next take rather than never.
  const int emptied = ::ftruncate(fd, 0);
  (void)emptied;
  ::close(fd);

  std::vector<std::string> names;
  for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
    end = std::min(text.find('\n', start), text.size());
    const std::string name = text.substr(start, end - start);
    // Only plain names of files still there: the person may have removed one meanwhile.
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
      continue;
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(folder / name, ec))) continue;
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  return names;
}

}  // namespace platform
