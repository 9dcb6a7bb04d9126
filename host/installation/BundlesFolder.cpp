#include "host/installation/BundlesFolder.h"

#include "desktop/ProgramLauncher.h"

namespace plovane::host {

std::filesystem::path bundlesFolder() {
  const auto executable = std::filesystem::read_symlink("/proc/self/exe");
  const auto built = executable.parent_path().parent_path() / "bundles";
  if (std::filesystem::is_directory(built)) return built;
  // The copy `install` leaves in the user's own folder runs with the bundles it installed.
  const auto user = platform::desktop::BundleRegistry::defaultApplicationsRoot();
  if (std::filesystem::is_directory(user / "PlovaneMenuExtension.appex")) return user;
  return platform::desktop::BundleRegistry::systemApplicationsRoot();
}

}  // namespace plovane::host
