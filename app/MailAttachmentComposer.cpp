#include "app/MailAttachmentComposer.h"

#include "app/SettingsStores.h"
#include "platform/NSAlert.h"
#include "platform/NSPanels.h"
#include "shared/SettingsKeys.h"
#include "shared/StoreReads.h"

namespace plovane::app {

namespace {

constexpr double kFreshSeconds = 20.0;
constexpr double kQuitAfterComposeSeconds = 20.0;

void removeHandOff(platform::NSUserDefaults& store) {
  store.removeObjectForKey(keys::mailAttachPath);
  store.removeObjectForKey(keys::AttachClickedDate);
  store.synchronize();
}

}  // namespace

bool MailAttachmentComposer::takeOverLaunch() {
  const auto path = takeFreshHandOff();
  if (!path) return false;
  mailOnly_ = true;
  finishMailOnly(chooseAndCompose(*path));
  return true;
}

void MailAttachmentComposer::attachFileToMail() {
  if (panelOpen_) {
    requestWaiting_ = true;
    return;
  }
  const auto path = takeFreshHandOff();
  if (!path) return;
  const auto outcome = chooseAndCompose(*path);
  if (mailOnly_) {
    finishMailOnly(outcome);
  } else if (outcome == Outcome::notComposed) {
    // The extension may have left a new hand-off while the panel was open; it is not for now.
    if (auto store = openSharedDefaults(services_.defaults)) removeHandOff(*store);
  }
  if (requestWaiting_) {
    requestWaiting_ = false;
    attachFileToMail();
  }
}

void MailAttachmentComposer::endMailOnly() {
  mailOnly_ = false;
  if (quit_) quit_->invalidate();
  quit_.reset();
}

// The hand-off's path when it is fresh. Fresh or not, its keys are removed, so each is used once.
std::optional<std::string> MailAttachmentComposer::takeFreshHandOff() {
  auto store = openSharedDefaults(services_.defaults);
  if (!store) return std::nullopt;
  const auto path = readWhole<std::string>(store.get(), keys::mailAttachPath);
  const auto clicked = readWhole<platform::PlistDate>(store.get(), keys::AttachClickedDate);
  removeHandOff(*store);
  if (!path || !clicked) return std::nullopt;
  // A click in the future (a clock set back) counts as fresh.
  const double elapsed = services_.runLoop.now().secondsSince2001 - clicked->secondsSince2001;
  if (elapsed >= kFreshSeconds) return std::nullopt;
  return path;
}

MailAttachmentComposer::Outcome MailAttachmentComposer::chooseAndCompose(const std::string& path) {
  platform::NSOpenPanel panel;
  panel.message = "Please select the file that you want to send via email to allow sending";
  panel.canChooseDirectories = true;
  panel.canChooseFiles = true;
  panel.allowsMultipleSelection = false;
  panel.showsHiddenFiles = true;
  panel.directoryURL = platform::NSURL::fileURLWithPath(path);
  panel.prompt = "Attach to Mail";
  panelOpen_ = true;
  const auto response = services_.modals.runModal(panel);
  panelOpen_ = false;
  if (response != platform::NSModalResponseOK || !panel.URL) return Outcome::notComposed;

  const auto failure = services_.composeEmail.performWithItems({*panel.URL});
  if (!failure) return Outcome::composed;
  // Never reported as sent: the user hears what went wrong.
  services_.log.log("mail not composed: " + *failure);
  platform::NSAlert alert;
  alert.alertStyle = platform::NSAlertStyle::warning;
  alert.messageText = "The file could not be attached to a new message.";
  alert.informativeText = *failure;
  alert.addButtonWithTitle("OK");
  services_.modals.runModal(alert);
  return Outcome::notComposed;
}

// Mail-only, the app waits 20 seconds after a message was handed over (the latest one, when
// several were), and quits at once when nothing was.
void MailAttachmentComposer::finishMailOnly(Outcome outcome) {
  if (!mailOnly_) return;
  if (quit_) quit_->invalidate();
  quit_.reset();
  auto& application = services_.application;
  if (outcome == Outcome::notComposed) {
    application.terminate(this);
    return;
  }
  quit_ = services_.runLoop.scheduledTimer(kQuitAfterComposeSeconds, false, [&application] {
    if (application.delegate != nullptr)
      application.delegate->performSelector("QuitMainApp", nullptr);
  });
}

}  // namespace plovane::app
