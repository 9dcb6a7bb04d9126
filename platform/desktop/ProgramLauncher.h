#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform::desktop {

// Starts programs the way a desktop does: with an argument vector, never through a shell, and
// detached, so the starter neither waits for nor outlives its children's exit status.
// Returns why the program could not be started.
std::optional<std::string> startDetached(
    const std::vector<std::string>& arguments,
    const std::optional<std::filesystem::path>& workingDirectory = {});

// The first of `names` found as an executable on $PATH.
std::optional<std::filesystem::path> findOnPath(const std::vector<std::string>& names);

// Launch by bundle identifier: each program is a folder "<Name>.app" under the applications
// root whose Info.plist names its identifier and executable. Identifiers of the original
// platform's own programs stand for this desktop's equivalents.
class BundleRegistry {
 public:
  explicit BundleRegistry(std::filesystem::path applicationsRoot);

  // Where installed programs live: $PLOVANE_APPLICATIONS, else $PLOVANE_HOME/Applications.
  static std::filesystem::path defaultApplicationsRoot();

  // The command that starts the program, or why there is none.
  struct Command {
    std::vector<std::string> arguments;
    std::string failure;
  };
  Command commandFor(const std::string& bundleIdentifier) const;

 private:
  std::filesystem::path applicationsRoot_;
};

}  // namespace platform::desktop
