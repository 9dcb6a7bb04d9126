#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "store/FileIdentity.h"

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
  std::filesystem::path file_;
  platform::FileIdentity version_;
  HostState state_;
};

}  // namespace plovane::bridge
