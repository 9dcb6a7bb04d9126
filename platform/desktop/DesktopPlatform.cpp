#include "desktop/DesktopPlatform.h"

#include <QGuiApplication>

namespace platform::desktop {

DesktopPlatform::DesktopPlatform(UserDefaultsRoot& defaults, SystemLog& log, const NSBundle& bundle,
                                 const std::filesystem::path& applicationsFolder,
                                 QObject& mainThread, Modals& modals, QDBusConnection bus)
    : runLoop(mainThread),
      finderSyncController(defaults),
      failureNotices(bus, log),
      workspace(bus, BundleRegistry({applicationsFolder, BundleRegistry::systemApplicationsRoot()}),
                log),
      notificationCenter(bus),
      pasteboard(*QGuiApplication::clipboard()),
      fileManager(applicationsFolder),
      appleScript(defaults, finderSyncController, runLoop, log),
      keyboardEvents(log),
      windowServer(bundle.bundlePath() / "Resources"),
      platform{defaults,       runLoop,      log,         finderSyncController,
               bundle,         workspace,    modals,      notificationCenter,
               pasteboard,     fileManager,  calendar,    appleScript,
               keyboardEvents, windowServer, composeEmail} {
  workspace.setFailureNotices(&failureNotices);
}

}  // namespace platform::desktop
