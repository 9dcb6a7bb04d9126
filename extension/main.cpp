// The extension program. With --once it does what the system does when the file manager first
// needs the extension: creates the principal object, which runs its whole start-up against the
// real store, and then exits.
#include <filesystem>
#include <iostream>
#include <string_view>

#include "desktop/StreamSystemLog.h"
#include "extension/FinderSync.h"
#include "platform/NSBundle.h"
#include "sim/SimPlatform.h"

namespace {

std::filesystem::path ownBundlePath() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::string_view(argv[1]) != "--once") {
    std::cerr << "usage: plovane-menu-extension --once\n";
    return 2;
  }
  auto bundle = platform::NSBundle::bundleWithPath(ownBundlePath());
  if (!bundle) {
    std::cerr << "plovane-menu-extension: no Info.plist beside the executable in "
              << ownBundlePath() << "\n";
    return 1;
  }
  platform::desktop::StreamSystemLog log;
  platform::UserDefaultsRoot defaults(platform::UserDefaultsRoot::defaultRoot(),
                                      [&log](const std::string& line) { log.log(line); });
  // Nothing but the start-up runs here, so the in-process services stand in for the desktop.
  platform::sim::SimPlatform services(defaults, log, *bundle, "/Applications",
                                      platform::NSCalendar());

  plovane::FinderSync finderSync(services.platform);
  for (const auto& url : services.finderSyncController.directoryURLs()) {
    log.log("monitoring " + url.path());
  }
  return 0;
}
