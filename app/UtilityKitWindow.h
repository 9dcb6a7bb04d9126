#pragma once

#include "app/AppInstances.h"
#include "platform/NSWindow.h"

namespace plovane::app {

// The other-apps window; closing it leaves the app running.
class UtilityKitWindow final : public platform::NSWindowController {
 public:
  // Its content comes from `instances`.
  explicit UtilityKitWindow(AppInstances& instances) : instances_(instances) {}

  void windowDidLoad() override;

 private:
  AppInstances& instances_;
};

}  // namespace plovane::app
