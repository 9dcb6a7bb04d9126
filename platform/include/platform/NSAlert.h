#pragma once

#include <string>
#include <vector>

#include "platform/Responder.h"

namespace platform {

enum class NSAlertStyle { warning, informational, critical };

using NSModalResponse = long;
inline constexpr NSModalResponse NSModalResponseCancel = 0;
inline constexpr NSModalResponse NSModalResponseOK = 1;
inline constexpr NSModalResponse NSAlertFirstButtonReturn = 1000;

// The window a modal runs in; ending it (endSheet:) closes the modal.
class NSWindow {
 public:
  bool isVisible() const { return visible_; }
  void makeKeyAndOrderFront() { visible_ = true; }
  void orderOut() { visible_ = false; }

 private:
  bool visible_ = false;
};

// An alert as a model: what the system sets on it before it is run.
class NSAlert {
 public:
  struct Button {
    std::string title;
    Responder* target = nullptr;  // none: the button ends the alert with its response
    std::string action;
  };

  NSAlertStyle alertStyle = NSAlertStyle::warning;
  std::string messageText;
  std::string informativeText;
  std::vector<Button> buttons;

  Button& addButtonWithTitle(std::string title) {
    buttons.push_back({std::move(title), nullptr, {}});
    return buttons.back();
  }
  NSWindow& window() { return window_; }

 private:
  NSWindow window_;
};

// Ends a modal from one of its own actions.
struct NSApplication {
  static void endSheet(NSWindow& window) { window.orderOut(); }
};

}  // namespace platform
