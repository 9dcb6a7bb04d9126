#include "app/mainStartWindow.h"

#include "app/MailAttachmentComposer.h"
#include "app/SettingsTrouble.h"
#include "app/UtilityKitWindow.h"
#include "app/firstRunvc.h"
#include "app/tabviewcontroller.h"
#include "shared/SettingsKeys.h"

namespace plovane::app {

void mainStartWindow::windowDidLoad() {
  window()->delegate = this;
  chooseContent();
  showWindow(this);
  observeExtension();
  tellOfSettingsTrouble(context_);
}

void mainStartWindow::chooseContent() {
  // Any value at all means the first run is over, whatever its type. Without its own settings
  // the app cannot know, and shows the set-up.
  auto defaults = context_.standardUserDefaults();
  const bool firstRunDone = defaults && defaults->objectForKey(keys::firstRun).has_value();
  if (firstRunDone) {
    window()->setContentViewController(context_.tabViewController());
  } else {
    window()->setContentViewController(context_.firstRunViewController());
  }
}

void mainStartWindow::observeExtension() {
  auto& center = context_.platform.notificationCenter;
  center.addObserver(notifications::AttachFileToMail, kExtensionBundleIdentifier,
                     [this] { AttachFileToMail(); });
  center.addObserver(notifications::ShowUtilityKit, kExtensionBundleIdentifier,
                     [this] { showUtilityKit(); });
}

void mainStartWindow::windowWillClose(platform::NSWindow&) { context_.application.terminate(this); }

void mainStartWindow::showUtilityKit() {
  context_.utilityKitWindowController()->showWindow(nullptr);
  context_.application.activateIgnoringOtherApps(true);
}

void mainStartWindow::AttachFileToMail() { context_.mailComposer().attachFileToMail(); }

}  // namespace plovane::app
