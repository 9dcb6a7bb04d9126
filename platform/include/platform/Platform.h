#pragma once

#include "platform/FIFinderSyncController.h"
#include "platform/Modals.h"
#include "platform/NSBundle.h"
#include "platform/NSCalendar.h"
#include "platform/NSDistributedNotificationCenter.h"
#include "platform/NSFileManager.h"
#include "platform/NSPasteboard.h"
#include "platform/NSSharingService.h"
#include "platform/NSUserDefaults.h"
#include "platform/NSWorkspace.h"
#include "platform/RunLoop.h"
#include "platform/Scripting.h"
#include "platform/SystemLog.h"
#include "platform/WindowServer.h"

namespace platform {

// The services one program runs against, chosen once in its main (or by a test) and handed
// down to the system's objects.
struct Platform {
  UserDefaultsRoot& defaults;
  RunLoop& runLoop;
  SystemLog& log;
  FIFinderSyncController& finderSyncController;
  const NSBundle& mainBundle;
  NSWorkspace& workspace;
  Modals& modals;
  NSDistributedNotificationCenter& notificationCenter;
  NSPasteboard& pasteboard;
  const NSFileManager& fileManager;
  const NSCalendar& calendar;
  NSAppleScript& appleScript;
  KeyboardEvents& keyboardEvents;
  WindowServer& windowServer;
  NSSharingService& composeEmail;
};

}  // namespace platform
