#include "extension/FinderSync.h"
#include "platform/NSApplication.h"
#include "shared/SettingsKeys.h"

namespace plovane {

namespace {

constexpr char kRatePromptMessage[] = "Enjoying Plovane Menu?";
constexpr char kRatePromptInformation[] =
    "If you liked Plovane Menu, spread the word and help other users. Rate us on the App Store.";
constexpr char kPlovaneMenuStorePage[] =
    "macappstore://apps.apple.com/app/plovane-menu/id1480917320";

}  // namespace

void FinderSync::scheduleRateCheck() {
  platform_.runLoop.dispatchAsyncMain([this] { rateCheck(); });
}

void FinderSync::alertforRateApp() { scheduleRateCheck(); }

std::shared_ptr<platform::NSUserDefaults> FinderSync::ownDefaults() {
  return platform_.defaults.standardUserDefaults(
      platform_.mainBundle.bundleIdentifier().value_or(kExtensionBundleIdentifier));
}

void FinderSync::rateCheck() {
  auto defaults = ownDefaults();
  if (!defaults || defaults->objectForKey(rateDone)) return;
  const auto now = platform_.runLoop.now();
  const auto shown = defaults->objectForKey(alertVisibledate);
  if (!shown || !shown->is<platform::PlistDate>()) {
    defaults->setObject(now, alertVisibledate);
    return;
  }
  if (platform_.calendar.isDateInSameDayAsDate(*shown->as<platform::PlistDate>(), now)) return;
  defaults->setObject(now, alertVisibledate);
  showRatingPrompt();
}

void FinderSync::showRatingPrompt() {
  alerRateAPP = platform::NSAlert();
  alerRateAPP.alertStyle = platform::NSAlertStyle::warning;
  alerRateAPP.messageText = kRatePromptMessage;
  alerRateAPP.informativeText = kRatePromptInformation;
  auto& rateNow = alerRateAPP.addButtonWithTitle("Rate Now");
  rateNow.target = this;
  rateNow.action = "btnYes_rateus";
  auto& noThanks = alerRateAPP.addButtonWithTitle("No, Thanks!");
  noThanks.target = this;
  noThanks.action = "btnCancel_rate";
  platform_.modals.runModal(alerRateAPP);
}

void FinderSync::btnYes_rateus() {
  if (auto defaults = ownDefaults()) defaults->setInteger(1, rateDone);
  platform_.workspace.openURLString(kPlovaneMenuStorePage);
  platform::NSApplication::endSheet(alerRateAPP.window());
}

void FinderSync::btnCancel_rate() { platform::NSApplication::endSheet(alerRateAPP.window()); }

}  // namespace plovane
