#include "app/mainStartWindow.h"

#include "app/MailAttachmentComposer.h"
#include "app/SettingsStores.h"
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
  tellOfSettingsTrouble(services_.defaults, {services_.log, services_.modals});
}

void mainStartWindow::chooseContent() {
  // Any value at all means the first run is over, whatever its type. Without its own settings
  // the app cannot know, and shows the set-up.
  auto defaults = openAppDefaults(services_.defaults);
  const bool firstRunDone = defaults && defaults->objectForKey(keys::firstRun).has_value();
  if (firstRunDone) {
    window()->setContentViewController(instances_.tabViewController());
  } else {
    window()->setContentViewController(instances_.firstRunViewController());
  }
}

void mainStartWindow::observeExtension() {
  auto& center = services_.notificationCenter;
  center.addObserver(notifications::AttachFileToMail, kExtensionBundleIdentifier,
                     [this] { AttachFileToMail(); });
  center.addObserver(notifications::ShowUtilityKit, kExtensionBundleIdentifier,
                     [this] { showUtilityKit(); });
}

void mainStartWindow::windowWillClose(platform::NSWindow&) {
  services_.application.terminate(this);
}

void mainStartWindow::showUtilityKit() {
  instances_.utilityKitWindowController()->showWindow(nullptr);
  services_.application.activateIgnoringOtherApps(true);
}

void mainStartWindow::AttachFileToMail() { instances_.mailComposer().attachFileToMail(); }

}  // namespace plovane::app
