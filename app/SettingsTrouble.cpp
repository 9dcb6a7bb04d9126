#include "app/SettingsTrouble.h"

#include <string>

#include "app/SettingsStores.h"
#include "shared/SettingsKeys.h"

namespace plovane::app {

namespace {

std::string whatWasReset(const std::string& domain) {
  if (domain == kSuiteName)
    return "The menu items, monitored folders, custom folders and menu options";
  if (domain == kAppBundleIdentifier) return "The record that the set-up is done";
  if (domain == kExtensionBundleIdentifier) return "When to ask for a rating";
  return "The settings \"" + domain + "\"";
}

}  // namespace

void tellOfSettingsTrouble(platform::UserDefaultsRoot& defaults, TroubleServices services) {
  auto own = openAppDefaults(defaults);
  auto why = defaults.openError();
  auto shared = openSharedDefaults(defaults);
  if (!shared) why = defaults.openError();
  if (!own || !shared) {
    const std::string reason = why.value_or("the settings cannot be opened");
    services.log.log("settings cannot be kept: " + reason);
    alertSettingsTrouble(services.modals, "Plovane Menu cannot save its settings.",
                         "Plovane Menu works, but nothing you change is kept: " + reason + ".");
  }
  // Both read now, so that a file that cannot be read is moved aside at once and told below.
  if (own) own->contentsVersion();
  if (shared) shared->contentsVersion();

  const auto reset = defaults.takeSetAsideFiles();
  if (reset.empty()) return;
  std::string lines;
  for (const auto& file : reset) {
    if (!lines.empty()) lines += "\n";
    lines += whatWasReset(file.domain) + ": reset. The unreadable file was moved to " +
             file.path.string() + ".";
  }
  alertSettingsTrouble(services.modals, "Some settings could not be read and were reset.", lines);
}

}  // namespace plovane::app
