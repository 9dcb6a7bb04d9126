#pragma once

#include <QObject>
#include <filesystem>

#include "desktop/CommandFailureNotices.h"
#include "desktop/DBusNotificationCenter.h"
#include "desktop/DesktopAppleScript.h"
#include "desktop/DesktopKeyboardEvents.h"
#include "desktop/DesktopWorkspace.h"
#include "desktop/HostDirectorySet.h"
#include "desktop/QtBusConnection.h"
#include "desktop/QtRunLoop.h"
#include "desktop/XdgEmail.h"
#include "platform/NSBundle.h"
#include "platform/NSCalendar.h"
#include "platform/NSFileManager.h"
#include "platform/NSUserDefaults.h"
#include "platform/SystemLog.h"

namespace platform::desktop {

// The desktop services that need no connection to the display: Qt Core and Qt D-Bus only, so
// that the extension answers a file manager without loading Qt's GUI libraries. The programs
// with windows add the clipboard and the window server (DesktopPlatform).
class DesktopCoreServices {
 public:
  DesktopCoreServices(UserDefaultsRoot& defaults, SystemLog& log,
                      const std::filesystem::path& applicationsFolder, QObject& mainThread,
                      QtBusConnection bus);

  QtRunLoop runLoop;
  HostDirectorySet finderSyncController;
  // Told by the extension which command runs; the workspace says why one failed.
  CommandFailureNotices failureNotices;
  DesktopWorkspace workspace;
  DBusNotificationCenter notificationCenter;
  NSFileManager fileManager;
  NSCalendar calendar;
  DesktopAppleScript appleScript;
  DesktopKeyboardEvents keyboardEvents;
  XdgEmail composeEmail;
};

}  // namespace platform::desktop
