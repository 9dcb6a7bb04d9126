#include "app/SaveFailureAlert.h"

#include "platform/NSAlert.h"

namespace plovane::app {

void alertSettingsTrouble(AppContext& context, const std::string& messageText,
                          const std::string& informativeText) {
  platform::NSAlert alert;
  alert.alertStyle = platform::NSAlertStyle::warning;
  alert.messageText = messageText;
  alert.informativeText = informativeText;
  alert.addButtonWithTitle("OK");
  context.platform.modals.runModal(alert);
}

void alertNotSaved(AppContext& context, const platform::NSUserDefaults& defaults,
                   const std::string& messageText) {
  alertNotSaved(context, defaults.lastError(), messageText);
}

void alertNotSaved(AppContext& context, const std::optional<std::string>& why,
                   const std::string& messageText) {
  const std::string reason = why.value_or("the settings file could not be written");
  context.platform.log.log("settings not saved: " + reason);
  alertSettingsTrouble(context, messageText, reason);
}

bool savedOrAlerted(AppContext& context, const platform::NSUserDefaults& defaults) {
  if (!defaults.lastError()) return true;
  alertNotSaved(context, defaults);
  return false;
}

}  // namespace plovane::app
