#include "desktop/DesktopPlatform.h"

#include <QGuiApplication>

namespace platform::desktop {

DesktopPlatform::DesktopPlatform(UserDefaultsRoot& defaults, SystemLog& log, const NSBundle& bundle,
                                 const std::filesystem::path& applicationsFolder,
                                 QObject& mainThread, Modals& modals, QtBusConnection bus)
    : DesktopCoreServices(defaults, log, applicationsFolder, mainThread, std::move(bus)),
      pasteboard(*QGuiApplication::clipboard()),
      windowServer(bundle.bundlePath() / "Resources"),
      platform{defaults,       runLoop,      log,         finderSyncController,
               bundle,         workspace,    modals,      notificationCenter,
               pasteboard,     fileManager,  calendar,    appleScript,
               keyboardEvents, windowServer, composeEmail} {}

}  // namespace platform::desktop
