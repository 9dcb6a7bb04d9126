#include "extension/FinderSync.h"
#include "shared/SettingsKeys.h"

namespace plovane {

void FinderSync::sendviamail() {
  const auto selected = firstSelectedItem();
  if (!selected) return;
  platform_.runLoop.dispatchAsyncMain([this, url = *selected] { handOffToMail(url); });
}

void FinderSync::handOffToMail(const platform::NSURL& url) {
  // The settings app reads both keys when it reacts, so they are written (path first) and
  // synchronized before it is told or started.
  if (auto store = platform_.defaults.initWithSuiteName(kSuiteName)) {
    store->setObject(url.path(), keys::mailAttachPath);
    store->setObject(platform_.runLoop.now(), keys::AttachClickedDate);
    // Woken without its hand-off, the app would do nothing and the user would wait for mail.
    if (!store->synchronize()) {
      platform_.log.standardOutput("Cannot hand " + url.path() + " to the settings app for mail: " +
                                   store->lastError().value_or("the settings were not saved"));
      showWarning("The file could not be handed over for mail.");
      return;
    }
  }
  if (settingsAppIsRunning()) {
    platform_.notificationCenter.postNotificationName(notifications::AttachFileToMail,
                                                      kExtensionBundleIdentifier);
  } else {
    platform_.workspace.launchAppWithBundleIdentifier(kAppBundleIdentifier);
  }
}

}  // namespace plovane
