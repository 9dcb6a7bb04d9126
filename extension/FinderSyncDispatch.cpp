#include "extension/FinderSync.h"
#include "shared/CommandCatalogue.h"
#include "shared/SettingsKeys.h"

namespace plovane {

namespace {

constexpr double kSettingsAppStartSeconds = 1.0;

}  // namespace

void FinderSync::commenAction(const platform::NSMenuItem* sender) {
  if (sender == nullptr) return;
  switch (sender->tag) {
    case kOpenTerminal:
      OpenTerminal();
      break;
    case kOpenSystemPreferences:
      openSystemPreferences();
      break;
    case kSetAsWallpaper:
      setWallpaper();
      break;
    case kCreateNewTextFile:
      createNewFile();
      break;
    case kCopyPathToClipboard:
      copyFilePath();
      break;
    case kSendViaMail:
      sendviamail();
      break;
    case kMoveToAFolder:
      moveToFolder();
      break;
    case kCopyToAFolder:
      copyToFolder();
      break;
    case kOpenNewFinderWindow:
      finderInnewWindw();
      break;
    case kHideUnhideItem:
      Hide_UnhideNow();
      break;
    case kFindDuplicateFiles:
    case kFindDuplicatePhotos:
    case kViewOrEditExifData:
    case kResizePhotos:
      openCompanionTool(sender->tag);
      break;
    case kConfigureSettings:
      configureSettings();
      break;
    case kAddFolders:
      addFolders(firstSelectedItem());
      break;
    default:
      break;
  }
}

void FinderSync::utilityKitClicked() {
  if (!settingsAppIsRunning()) {
    launch(kAppBundleIdentifier);
    // The settings app needs a moment to start observing; the file manager waits meanwhile.
    platform_.runLoop.sleep(kSettingsAppStartSeconds);
  }
  platform_.notificationCenter.postNotificationName(notifications::ShowUtilityKit,
                                                    kExtensionBundleIdentifier);
}

bool FinderSync::settingsAppIsRunning() const {
  for (const auto& application : platform_.workspace.runningApplications()) {
    if (application.bundleIdentifier == kAppBundleIdentifier) return true;
  }
  return false;
}

void FinderSync::launch(const std::string& bundleIdentifier) {
  platform_.workspace.launchAppWithBundleIdentifier(bundleIdentifier);
}

std::optional<platform::NSURL> FinderSync::firstSelectedItem() const {
  const auto selection = platform_.finderSyncController.selectedItemURLs();
  if (!selection || selection->empty()) return std::nullopt;
  return selection->front();
}

}  // namespace plovane
