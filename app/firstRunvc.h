#pragma once

#include <string>

#include "app/AppContext.h"
#include "platform/NSControl.h"
#include "platform/NSViewController.h"

namespace plovane::app {

// What a first start shows in place of the settings tabs: a welcome, and a button that marks
// the first run done and ends the app, so the next start shows the settings.
class firstRunvc final : public platform::NSViewController, public platform::ActionTarget {
 public:
  explicit firstRunvc(AppContext& context) : context_(context) {}

  bool performAction(const std::string& selector, platform::NSControl& sender) override;
  void btnFinish(platform::NSControl& sender);

 private:
  AppContext& context_;
};

}  // namespace plovane::app
