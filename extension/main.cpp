// The extension program. Started by the session bus when the file manager first needs it, it
// keeps one principal object for its lifetime and answers the file manager's callbacks. With
// --once it only does what that start does (creates the principal object, which runs its whole
// start-up against the real store) and exits.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "desktop/ExtensionHost.h"
#include "desktop/ProgramLauncher.h"
#include "desktop/ProgramStart.h"
#include "desktop/StreamSystemLog.h"
#include "extension/FinderSync.h"
#include "platform/NSBundle.h"
#include "sim/SimPlatform.h"

namespace {

constexpr char kUsage[] = "usage: plovane-menu-extension [--once] [--home FOLDER]\n";

int startOnce(const platform::NSBundle& bundle) {
  platform::desktop::StreamSystemLog log;
  platform::UserDefaultsRoot defaults(platform::UserDefaultsRoot::defaultRoot(),
                                      [&log](const std::string& line) { log.log(line); });
  // Nothing but the start-up runs here, so the in-process services stand in for the desktop.
  platform::sim::SimPlatform services(defaults, log, bundle,
                                      platform::desktop::BundleRegistry::defaultApplicationsRoot(),
                                      platform::NSCalendar());
  plovane::FinderSync finderSync(services.platform);
  for (const auto& url : services.finderSyncController.directoryURLs()) {
    log.log("monitoring " + url.path());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool once = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--once") {
      once = true;
    } else if (!platform::desktop::takeHomeArgument(i, argc, argv)) {
      std::cerr << kUsage;
      return 2;
    }
  }
  auto bundle = platform::desktop::runningProgramBundle("plovane-menu-extension");
  if (!bundle) return 1;
  if (once) return startOnce(*bundle);
  return platform::desktop::runExtensionHost(
      argc, argv, *bundle,
      [](platform::Platform& services) -> std::unique_ptr<platform::FIFinderSync> {
        return std::make_unique<plovane::FinderSync>(services);
      });
}
