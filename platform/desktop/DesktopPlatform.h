#pragma once

#include <filesystem>

#include "desktop/DesktopCoreServices.h"
#include "desktop/DesktopPasteboard.h"
#include "desktop/widgets/QtWindowServer.h"
#include "platform/Platform.h"

namespace platform::desktop {

// Every desktop service of one Qt Widgets program, wired into one Platform. The modals are
// chosen by the program: dialogs at a display, answers from a script without one.
class DesktopPlatform : public DesktopCoreServices {
 public:
  DesktopPlatform(UserDefaultsRoot& defaults, SystemLog& log, const NSBundle& bundle,
                  const std::filesystem::path& applicationsFolder, QObject& mainThread,
                  Modals& modals, QtBusConnection bus);

  DesktopPasteboard pasteboard;
  QtWindowServer windowServer;
  Platform platform;
};

}  // namespace platform::desktop
