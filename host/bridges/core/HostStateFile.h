#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace plovane::bridge {

// What the file manager's side keeps in its own defaults domain and a bridge needs per request.
struct HostState {
  std::vector<std::string> directories;       // the directory set: folder paths
  std::vector<std::string> disabledManagers;  // file managers the user switched the menu off in

  // Every path is one of the directory set's folders or lies inside one, by the extension's rule.
  bool containsAll(const std::vector<std::string>& paths) const;
  bool enabledFor(const std::string& manager) const;
};

// The host state's store file, read again only when it was replaced: file managers ask on every
// selection change, so an unchanged file costs one stat.
class HostStateFile {
 public:
  explicit HostStateFile(std::filesystem::path file);

  // Where the stand-in's domain lives for this user, as the store places it.
  static std::filesystem::path forThisUser();

  const HostState& current();

 private:
  struct Version {
    ino_t inode = 0;
    off_t size = -1;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    friend bool operator==(const Version&, const Version&) = default;
  };

  std::filesystem::path file_;
  Version version_;
  HostState state_;
};

}  // namespace plovane::bridge
