#include "extension/FinderSync.h"
#include "shared/CommandCatalogue.h"
#include "shared/SettingsKeys.h"

namespace plovane {

namespace {

constexpr double kSettingsAppStartSeconds = 1.0;

}  // namespace

const platform::SelectorTable<FinderSync>& FinderSync::menuOnlyCommands() {
  using Sender = const platform::NSMenuItem*;
  static const platform::SelectorTable<FinderSync> table = {
      {"openSystemPreferences", [](FinderSync& self, Sender) { self.openSystemPreferences(); }},
      {"openCompanionTool",
       [](FinderSync& self, Sender sender) { self.openCompanionTool(sender); }},
      {"configureSettings", [](FinderSync& self, Sender) { self.configureSettings(); }},
      {"addFolders", [](FinderSync& self, Sender) { self.addFolders(); }},
  };
  return table;
}

// A command with an exported selector runs that selector's body.
void FinderSync::commenAction(const platform::NSMenuItem* sender) {
  if (sender == nullptr) return;
  const auto* command = catalogueCommand(sender->tag);
  if (command == nullptr) return;
  if (!exportedMethods().perform(*this, command->action, sender)) {
    menuOnlyCommands().perform(*this, command->action, sender);
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

void FinderSync::customFolderClicked(const platform::NSMenuItem* sender) {
  if (sender == nullptr) return;
  if (const auto folder = customFolders_.folderAt(sender->tag)) {
    platform_.workspace.openURL(*folder);
  }
}

void FinderSync::subFolderClicked(const platform::NSMenuItem* sender) {
  if (sender == nullptr) return;
  if (const auto entry = customFolders_.entryTagged(sender->tag)) {
    platform_.workspace.openURL(*entry);
  }
}

// Reached only through commenAction:, for a row that names its tool.
void FinderSync::openCompanionTool(const platform::NSMenuItem* sender) {
  companionTools_.open(*catalogueCommand(sender->tag)->companion);
}

void FinderSync::dfsDownload() { companionTools_.closeOffer(kMarrowfen, true); }
void FinderSync::dfscancel() { companionTools_.closeOffer(kMarrowfen, false); }
void FinderSync::dpsDownload() { companionTools_.closeOffer(kPellisade, true); }
void FinderSync::dpscancel() { companionTools_.closeOffer(kPellisade, false); }
void FinderSync::exifDownload() { companionTools_.closeOffer(kAmbervane, true); }
void FinderSync::exifcancel() { companionTools_.closeOffer(kAmbervane, false); }
void FinderSync::resizerDownload() { companionTools_.closeOffer(kScallotta, true); }
void FinderSync::resizercancel() { companionTools_.closeOffer(kScallotta, false); }

void FinderSync::alertforRateApp() { ratingPrompt_.schedule(); }
void FinderSync::btnYes_rateus() { ratingPrompt_.accept(); }
void FinderSync::btnCancel_rate() { ratingPrompt_.decline(); }

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
