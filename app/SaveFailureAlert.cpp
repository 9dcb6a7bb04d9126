#include "app/SaveFailureAlert.h"

#include "platform/NSAlert.h"

namespace plovane::app {

void alertSettingsTrouble(platform::Modals& modals, const std::string& messageText,
                          const std::string& informativeText) {
  platform::NSAlert alert;
  alert.alertStyle = platform::NSAlertStyle::warning;
  alert.messageText = messageText;
  alert.informativeText = informativeText;
  alert.addButtonWithTitle("OK");
  modals.runModal(alert);
}

void alertNotSaved(TroubleServices services, const platform::NSUserDefaults& defaults,
                   const std::string& messageText) {
  alertNotSaved(services, defaults.lastError(), messageText);
}

void alertNotSaved(TroubleServices services, const std::optional<std::string>& why,
                   const std::string& messageText) {
  const std::string reason = why.value_or("the settings file could not be written");
  services.log.log("settings not saved: " + reason);
  alertSettingsTrouble(services.modals, messageText, reason);
}

bool savedOrAlerted(TroubleServices services, const platform::NSUserDefaults& defaults) {
  if (!defaults.lastError()) return true;
  alertNotSaved(services, defaults);
  return false;
}

}  // namespace plovane::app
