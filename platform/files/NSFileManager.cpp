#include "platform/NSFileManager.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <system_error>

#include <sys/stat.h>

namespace platform {

namespace {

bool itemExists(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0;
}

std::string quotedName(const NSURL& url) { return "\u201c" + url.lastPathComponent() + "\u201d"; }

std::optional<NSError> refuseExistingDestination(const char* verb, const NSURL& source,
                                                 const NSURL& destination) {
  if (!itemExists(destination.path())) return std::nullopt;
  return NSError{quotedName(source) + " couldn\u2019t be " + verb + " to " +
                 quotedName(destination.URLByDeletingLastPathComponent()) +
                 " because an item with the same name already exists."};
}

NSError failure(const char* verb, const NSURL& source, const std::string& reason) {
  return NSError{quotedName(source) + " couldn\u2019t be " + verb + ": " + reason};
}

}  // namespace

std::optional<std::vector<std::string>> NSFileManager::contentsOfDirectoryAtPath(
    const std::string& path) const {
  std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(path.c_str()), ::closedir);
  if (!folder) return std::nullopt;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(folder.get())) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  return names;
}

std::optional<std::vector<NSURL>> NSFileManager::contentsOfDirectorySkippingHiddenFiles(
    const NSURL& url) const {
  auto names = contentsOfDirectoryAtPath(url.path());
  if (!names) return std::nullopt;
  std::vector<NSURL> entries;
  for (const auto& name : *names) {
    const auto entry = url.URLByAppendingPathComponent(name);
    if (!resourceValueIsHidden(entry).value_or(false)) entries.push_back(entry);
  }
  return entries;
}

std::optional<NSError> NSFileManager::copyItemAtURL(const NSURL& source,
                                                    const NSURL& destination) const {
  if (auto refused = refuseExistingDestination("copied", source, destination)) return refused;
  std::error_code error;
  std::filesystem::copy(
      source.path(), destination.path(),
      std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks,
      error);
  if (error) return failure("copied", source, error.message());
  return std::nullopt;
}

std::optional<NSError> NSFileManager::moveItemAtURL(const NSURL& source,
                                                    const NSURL& destination) const {
  if (auto refused = refuseExistingDestination("moved", source, destination)) return refused;
  if (::rename(source.path().c_str(), destination.path().c_str()) == 0) return std::nullopt;
  if (errno != EXDEV) return failure("moved", source, std::strerror(errno));
  // Another file system: copy, and remove the original only once the copy is complete.
  if (auto copyError = copyItemAtURL(source, destination)) return copyError;
  std::error_code error;
  std::filesystem::remove_all(source.path(), error);
  if (error) return failure("moved", source, error.message());
  return std::nullopt;
}

bool NSFileManager::createFileAtPath(const std::string& path) const {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  return ::close(fd) == 0;
}

bool NSFileManager::fileExistsAtPath(const std::string& path, bool* isDirectory) const {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return false;
  if (isDirectory != nullptr) *isDirectory = S_ISDIR(status.st_mode);
  return true;
}

std::vector<NSURL> NSFileManager::applicationDirectoryURLs() const {
  return {NSURL::fileURLWithPath(applicationsFolder_.string())};
}

}  // namespace platform
