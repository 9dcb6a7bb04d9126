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
    store->synchronize();
  }
  if (settingsAppIsRunning()) {
    platform_.notificationCenter.postNotificationName(notifications::AttachFileToMail,
                                                      kExtensionBundleIdentifier);
  } else {
    launch(kAppBundleIdentifier);
  }
}

}  // namespace plovane
