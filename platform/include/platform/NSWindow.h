#pragma once

#include <memory>
#include <string>

#include "platform/NSImage.h"
#include "platform/NSView.h"

namespace platform {

class NSViewController;
class NSWindow;
class WindowServer;

class NSWindowDelegate {
 public:
  virtual ~NSWindowDelegate() = default;
  virtual void windowWillClose(NSWindow& window) = 0;
};

// A window as a model: its title, its content controller and whether it is on screen. The
// window server (when there is one) puts it on the screen; a modal's window has none.
class NSWindow : public PeerObservable {
 public:
  explicit NSWindow(WindowServer* server = nullptr) : server_(server) {}
  ~NSWindow() override;

  const std::string& title() const { return title_; }
  void setTitle(std::string title);
  NSSize contentSize() const { return contentSize_; }
  void setContentSize(NSSize size);

  // Replacing the content of a window on screen makes the old one disappear and the new appear.
  NSViewController* contentViewController() const { return content_.get(); }
  void setContentViewController(std::shared_ptr<NSViewController> controller);

  NSWindowDelegate* delegate = nullptr;

  bool isVisible() const { return visible_; }
  void makeKeyAndOrderFront();
  void orderOut();
  // As the close button does: the delegate hears it, then the window leaves the screen.
  void performClose();
  // Ends a sheet shown on this window, from one of the sheet's own button actions.
  void endSheet(NSWindow& sheet) { sheet.orderOut(); }

 private:
  // Loads the content view and gives it the content size.
  void fitContentView();

  WindowServer* server_;
  std::string title_;
  NSSize contentSize_;
  std::shared_ptr<NSViewController> content_;
  bool visible_ = false;
};

// Loads and shows one window; the storyboard makes both.
class NSWindowController {
 public:
  NSWindowController() = default;
  NSWindowController(const NSWindowController&) = delete;
  NSWindowController& operator=(const NSWindowController&) = delete;
  virtual ~NSWindowController() = default;

  // Called once by the storyboard with the window it made; runs windowDidLoad.
  void loadWindow(std::unique_ptr<NSWindow> window);
  NSWindow* window() const { return window_.get(); }
  virtual void windowDidLoad() {}
  // Brings the window on screen; `sender` is informational.
  void showWindow(const void* sender);

 private:
  std::unique_ptr<NSWindow> window_;
};

}  // namespace platform
