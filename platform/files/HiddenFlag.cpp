#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include <sys/stat.h>

#include "platform/NSFileManager.h"

namespace platform {

namespace {

std::string hiddenListPath(const NSURL& url) {
  return url.URLByDeletingLastPathComponent().path() + "/.hidden";
}

std::vector<std::string> readHiddenList(const std::string& path) {
  std::vector<std::string> names;
  std::ifstream listed(path);
  for (std::string line; std::getline(listed, line);) names.push_back(line);
  return names;
}

// Replaces the list in one step, so a file manager reading it never sees half a file.
std::optional<NSError> writeHiddenList(const std::string& path,
                                       const std::vector<std::string>& names) {
  if (names.empty()) {
    if (::unlink(path.c_str()) == 0 || errno == ENOENT) return std::nullopt;
    return NSError{"Cannot update " + path + ": " + std::strerror(errno)};
  }
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return NSError{"Cannot update " + path + ": " + std::strerror(errno)};
  std::string text;
  for (const auto& name : names) text += name + "\n";
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
                       ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
  const int savedErrno = errno;
  ::close(fd);
  if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
    const int reason = written ? errno : savedErrno;
    ::unlink(temporary.c_str());
    return NSError{"Cannot update " + path + ": " + std::strerror(reason)};
  }
  return std::nullopt;
}

}  // namespace

std::optional<bool> resourceValueIsHidden(const NSURL& url) {
  struct stat status {};
  if (::lstat(url.path().c_str(), &status) != 0) return std::nullopt;
  const std::string name = url.lastPathComponent();
  if (name.starts_with('.')) return true;
  const auto listed = readHiddenList(hiddenListPath(url));
  return std::find(listed.begin(), listed.end(), name) != listed.end();
}

std::optional<NSError> setResourceValueIsHidden(const NSURL& url, bool hidden) {
  struct stat status {};
  const std::string name = url.lastPathComponent();
  if (::lstat(url.path().c_str(), &status) != 0) {
    return NSError{"The file \u201c" + name +
                   "\u201d couldn\u2019t be changed: " + std::strerror(errno)};
  }
  if (name.starts_with('.')) {
    if (hidden) return std::nullopt;
    return NSError{"The file \u201c" + name +
                   "\u201d can\u2019t be unhidden because its name starts with a full stop."};
  }
  // The list holds one name a line: a name with a line break in it would hide other items.
  if (name.find_first_of("\n\r") != std::string::npos) {
    return NSError{"The file \u201c" + name +
                   "\u201d can\u2019t be hidden or unhidden because its name holds a line break."};
  }
  const std::string listPath = hiddenListPath(url);
  auto names = readHiddenList(listPath);
  const bool listed = std::find(names.begin(), names.end(), name) != names.end();
  if (listed == hidden) return std::nullopt;
  if (hidden) {
    names.push_back(name);
  } else {
    std::erase(names, name);
  }
  return writeHiddenList(listPath, names);
}

}  // namespace platform
