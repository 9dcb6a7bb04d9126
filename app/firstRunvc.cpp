#include "app/firstRunvc.h"

#include "app/SaveFailureAlert.h"
#include "platform/SelectorTable.h"
#include "shared/SettingsKeys.h"

namespace plovane::app {

namespace {

using Methods = platform::SelectorTable<firstRunvc, platform::NSControl&>;

const Methods& exportedMethods() {
  static const Methods methods = {
      {"btnFinish:", [](firstRunvc& self, platform::NSControl& sender) { self.btnFinish(sender); }},
  };
  return methods;
}

}  // namespace

bool firstRunvc::performAction(const std::string& selector, platform::NSControl& sender) {
  return exportedMethods().perform(*this, selector, sender);
}

void firstRunvc::btnFinish(platform::NSControl&) {
  auto defaults = context_.standardUserDefaults();
  defaults->setBool(true, keys::firstRun);
  // Quitting as if set up while the mark was not saved would bring the user back here.
  if (!defaults->synchronize()) {
    alertNotSaved(context_, *defaults);
    return;
  }
  context_.application.terminate(this);
}

}  // namespace plovane::app
