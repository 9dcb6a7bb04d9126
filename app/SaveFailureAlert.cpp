#include "app/SaveFailureAlert.h"

#include "platform/NSAlert.h"

namespace plovane::app {

void alertNotSaved(AppContext& context, const platform::NSUserDefaults& defaults) {
  const std::string reason =
      defaults.lastError().value_or("the settings file could not be written");
  context.platform.log.log("settings not saved: " + reason);
  platform::NSAlert alert;
  alert.alertStyle = platform::NSAlertStyle::warning;
  alert.messageText = "Your change could not be saved.";
  alert.informativeText = reason;
  alert.addButtonWithTitle("OK");
  context.platform.modals.runModal(alert);
}

bool savedOrAlerted(AppContext& context, const platform::NSUserDefaults& defaults) {
  if (!defaults.lastError()) return true;
  alertNotSaved(context, defaults);
  return false;
}

}  // namespace plovane::app
