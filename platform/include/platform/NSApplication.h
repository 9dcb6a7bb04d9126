#pragma once

#include <memory>

#include "platform/NSMenu.h"
#include "platform/NSWindow.h"
#include "platform/NSWorkspace.h"
#include "platform/Responder.h"
#include "platform/WindowServer.h"

namespace platform {

class NSApplication;

class NSApplicationDelegate : public Responder {
 public:
  virtual void applicationWillFinishLaunching(NSApplication& application) = 0;
  virtual void applicationDidFinishLaunching(NSApplication&) {}
  virtual void applicationWillTerminate(NSApplication&) {}
};

// The program itself: its delegate, how it presents itself, its application menu and its end.
class NSApplication {
 public:
  NSApplication(WindowServer& server, NSApplicationActivationPolicy initialPolicy)
      : server_(server), policy_(initialPolicy) {}

  NSApplicationDelegate* delegate = nullptr;

  // Runs the delegate's launch hooks; the backend's event loop then takes over.
  void finishLaunching();

  NSApplicationActivationPolicy activationPolicy() const { return policy_; }
  bool setActivationPolicy(NSApplicationActivationPolicy policy);
  void activateIgnoringOtherApps(bool flag);
  // The delegate hears it, then the run loop ends. Only the first call counts.
  void terminate(const void* sender);
  bool isTerminating() const { return terminating_; }

  // The application menu; its items send their actions to the delegate.
  NSMenu mainMenu;
  // Sends a menu item's action to the delegate, as choosing it does; false when unhandled.
  bool sendMenuAction(const NSMenuItem& item);

  // Ends a sheet or modal from one of its own actions.
  static void endSheet(NSWindow& window) { window.orderOut(); }

 private:
  WindowServer& server_;
  NSApplicationActivationPolicy policy_;
  bool terminating_ = false;
};

}  // namespace platform
