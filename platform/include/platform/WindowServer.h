#pragma once

#include "platform/NSWorkspace.h"

namespace platform {

class NSWindow;

// Where windows are shown and the program presents itself: the backend behind NSApplication
// and NSWindow.
class WindowServer {
 public:
  virtual ~WindowServer() = default;
  virtual void orderFront(NSWindow& window) = 0;
  virtual void orderOut(NSWindow& window) = 0;
  virtual void windowChanged(NSWindow& window) = 0;
  virtual void activateIgnoringOtherApps() = 0;
  // Publishes how the program presents itself (a Dock icon and menu, or none).
  virtual void setActivationPolicy(NSApplicationActivationPolicy policy) = 0;
  // Ends the program's run loop; the program then exits.
  virtual void terminate() = 0;
};

}  // namespace platform
