#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/Bookmarks.h"
#include "platform/NSURL.h"

namespace platform {

// The file system, real in both backends. The applications folder of the local domain is
// configurable, so a test or a user's desktop can say where installed programs live.
class NSFileManager {
 public:
  explicit NSFileManager(std::filesystem::path applicationsFolder = "/Applications")
      : applicationsFolder_(std::move(applicationsFolder)) {}

  // The names in a folder, one level, hidden ones included, in the order the file system
  // gives them; absent when the folder cannot be read.
  std::optional<std::vector<std::string>> contentsOfDirectoryAtPath(const std::string& path) const;
  // The same as URLs, leaving out hidden entries.
  std::optional<std::vector<NSURL>> contentsOfDirectorySkippingHiddenFiles(const NSURL& url) const;

  // Fails, without touching anything, when an item already has the destination's name.
  std::optional<NSError> copyItemAtURL(const NSURL& source, const NSURL& destination) const;
  std::optional<NSError> moveItemAtURL(const NSURL& source, const NSURL& destination) const;
  // An empty file, replacing one of that name.
  bool createFileAtPath(const std::string& path) const;
  bool fileExistsAtPath(const std::string& path, bool* isDirectory = nullptr) const;

  // The applications folder of the local domain.
  std::vector<NSURL> applicationDirectoryURLs() const;

 private:
  std::filesystem::path applicationsFolder_;
};

// NSURLIsHiddenKey: a name that starts with a full stop, or one listed in its folder's
// ".hidden" file. Absent when the item cannot be reached.
std::optional<bool> resourceValueIsHidden(const NSURL& url);
// Hiding lists the name in the folder's ".hidden" file, unhiding takes it out. A dot name
// cannot be unhidden without renaming it, which this never does: that is an error.
std::optional<NSError> setResourceValueIsHidden(const NSURL& url, bool hidden);

}  // namespace platform
