#pragma once

#include "app/AppContext.h"
#include "platform/NSWindow.h"

namespace plovane::app {

// The other-apps window; closing it leaves the app running.
class UtilityKitWindow final : public platform::NSWindowController {
 public:
  explicit UtilityKitWindow(AppContext& context) : context_(context) {}

  void windowDidLoad() override;

 private:
  AppContext& context_;
};

}  // namespace plovane::app
