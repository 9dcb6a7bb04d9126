#include "desktop/DesktopCoreServices.h"

namespace platform::desktop {

DesktopCoreServices::DesktopCoreServices(UserDefaultsRoot& defaults, SystemLog& log,
                                         const std::filesystem::path& applicationsFolder,
                                         QObject& mainThread, QtBusConnection bus)
    : runLoop(mainThread),
      finderSyncController(defaults),
      failureNotices(bus, log),
      workspace(bus, BundleRegistry({applicationsFolder, BundleRegistry::systemApplicationsRoot()}),
                log),
      notificationCenter(bus),
      fileManager(applicationsFolder),
      appleScript(defaults, finderSyncController, runLoop, log),
      keyboardEvents(log) {
  workspace.setFailureNotices(&failureNotices);
}

}  // namespace platform::desktop
