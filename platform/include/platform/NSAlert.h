#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/NSWindow.h"
#include "platform/Responder.h"

namespace platform {

enum class NSAlertStyle { warning, informational, critical };

using NSModalResponse = long;
inline constexpr NSModalResponse NSModalResponseCancel = 0;
inline constexpr NSModalResponse NSModalResponseOK = 1;
inline constexpr NSModalResponse NSAlertFirstButtonReturn = 1000;

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
  // As on the original platform, an alert given no button gets an OK to end it with.
  void addOKButtonIfNone() {
    if (buttons.empty()) addButtonWithTitle("OK");
  }
  NSWindow& window() { return *window_; }

 private:
  // Copies of an alert (a record of what was shown) share its one window.
  std::shared_ptr<NSWindow> window_ = std::make_shared<NSWindow>();
};

}  // namespace platform
