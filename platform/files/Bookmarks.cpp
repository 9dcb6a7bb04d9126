#include "platform/Bookmarks.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::string_view kMagic = "plovane-bookmark-1\n";

struct Identity {
  std::uint64_t device;
  std::uint64_t inode;
};

std::variant<Identity, NSError> identityOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    return NSError{"The file \"" + path + "\" couldn't be opened: " + std::strerror(errno)};
  }
  return Identity{status.st_dev, status.st_ino};
}

std::string encodeIdentity(const Identity& identity) {
  return std::to_string(identity.device) + ":" + std::to_string(identity.inode) + "\n";
}

}  // namespace

std::variant<PlistData, NSError> bookmarkDataWithOptions(const NSURL& url, std::uint64_t) {
  auto identity = identityOf(url.path());
  if (auto* error = std::get_if<NSError>(&identity)) return *error;
  const std::string text =
      std::string(kMagic) + encodeIdentity(std::get<Identity>(identity)) + url.path();
  return PlistData(text.begin(), text.end());
}

std::variant<ResolvedBookmark, NSError> URLByResolvingBookmarkData(const PlistData& data,
                                                                   std::uint64_t) {
  const std::string text(data.begin(), data.end());
  const auto identityEnd = text.find('\n', kMagic.size());
  if (!text.starts_with(kMagic) || identityEnd == std::string::npos) {
    return NSError{"The bookmark data is not in a known format."};
  }
  const std::string recorded = text.substr(kMagic.size(), identityEnd + 1 - kMagic.size());
  const std::string path = text.substr(identityEnd + 1);
  auto identity = identityOf(path);
  if (auto* error = std::get_if<NSError>(&identity)) return *error;
  if (encodeIdentity(std::get<Identity>(identity)) != recorded) {
    return NSError{"The bookmarked item at \"" + path + "\" no longer exists."};
  }
  return ResolvedBookmark{NSURL::fileURLWithPath(path), false};
}

bool startAccessingSecurityScopedResource(const NSURL& url) {
  struct stat status {};
  if (::stat(url.path().c_str(), &status) != 0) return false;
  const int mode = S_ISDIR(status.st_mode) ? (R_OK | X_OK) : R_OK;
  return ::access(url.path().c_str(), mode) == 0;
}

}  // namespace platform
