#pragma once

#include <QDBusConnection>
#include <filesystem>

#include "desktop/CommandFailureNotices.h"
#include "desktop/DBusNotificationCenter.h"
#include "desktop/DesktopAppleScript.h"
#include "desktop/DesktopKeyboardEvents.h"
#include "desktop/DesktopPasteboard.h"
#include "desktop/DesktopWorkspace.h"
#include "desktop/HostDirectorySet.h"
#include "desktop/QtRunLoop.h"
#include "desktop/XdgEmail.h"
#include "desktop/widgets/QtWindowServer.h"
#include "platform/Platform.h"

namespace platform::desktop {

// Every desktop service of one Qt program, wired into one Platform. The modals are chosen by
// the program: dialogs at a display, answers from a script without one.
class DesktopPlatform {
 public:
  DesktopPlatform(UserDefaultsRoot& defaults, SystemLog& log, const NSBundle& bundle,
                  const std::filesystem::path& applicationsFolder, QObject& mainThread,
                  Modals& modals, QDBusConnection bus);

  QtRunLoop runLoop;
  HostDirectorySet finderSyncController;
  // Told by the extension which command runs; the workspace says why one failed.
  CommandFailureNotices failureNotices;
  DesktopWorkspace workspace;
  DBusNotificationCenter notificationCenter;
  DesktopPasteboard pasteboard;
  NSFileManager fileManager;
  NSCalendar calendar;
  DesktopAppleScript appleScript;
  DesktopKeyboardEvents keyboardEvents;
  QtWindowServer windowServer;
  XdgEmail composeEmail;
  Platform platform;
};

}  // namespace platform::desktop
