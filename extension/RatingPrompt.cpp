#include "extension/RatingPrompt.h"

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

RatingPrompt::RatingPrompt(Services services, platform::Responder& buttonsTarget)
    : services_(services), buttonsTarget_(buttonsTarget) {}

void RatingPrompt::schedule() {
  services_.runLoop.dispatchAsyncMain([this] { check(); });
}

std::shared_ptr<platform::NSUserDefaults> RatingPrompt::ownDefaults() {
  return services_.defaults.standardUserDefaults(
      services_.mainBundle.bundleIdentifier().value_or(kExtensionBundleIdentifier));
}

void RatingPrompt::check() {
  auto defaults = ownDefaults();
  if (!defaults || defaults->objectForKey(keys::rateDone)) return;
  const auto now = services_.runLoop.now();
  const auto shown = defaults->objectForKey(keys::alertVisibledate);
  if (!shown || !shown->is<platform::PlistDate>()) {
    defaults->setObject(now, keys::alertVisibledate);
    return;
  }
  if (services_.calendar.isDateInSameDayAsDate(*shown->as<platform::PlistDate>(), now)) return;
  defaults->setObject(now, keys::alertVisibledate);
  show();
}

void RatingPrompt::show() {
  prompt_ = platform::NSAlert();
  prompt_.alertStyle = platform::NSAlertStyle::warning;
  prompt_.messageText = kRatePromptMessage;
  prompt_.informativeText = kRatePromptInformation;
  auto& rateNow = prompt_.addButtonWithTitle("Rate Now");
  rateNow.target = &buttonsTarget_;
  rateNow.action = "btnYes_rateus";
  auto& noThanks = prompt_.addButtonWithTitle("No, Thanks!");
  noThanks.target = &buttonsTarget_;
  noThanks.action = "btnCancel_rate";
  services_.modals.runModal(prompt_);
}

void RatingPrompt::accept() {
  if (auto defaults = ownDefaults()) defaults->setInteger(1, keys::rateDone);
  services_.workspace.openURLString(kPlovaneMenuStorePage);
  platform::NSApplication::endSheet(prompt_.window());
}

void RatingPrompt::decline() { platform::NSApplication::endSheet(prompt_.window()); }

}  // namespace plovane
