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
      // Reached only through commenAction:, for a row that names its tool.
      {"openCompanionTool",
       [](FinderSync& self, Sender sender) {
         self.companionTools_.open(*catalogueCommand(sender->tag)->companion);
       }},
      {"configureSettings",
       [](FinderSync& self, Sender) {
         self.platform_.workspace.launchAppWithBundleIdentifier(kAppBundleIdentifier);
       }},
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
    platform_.workspace.launchAppWithBundleIdentifier(kAppBundleIdentifier);
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

bool FinderSync::settingsAppIsRunning() const {
  for (const auto& application : platform_.workspace.runningApplications()) {
    if (application.bundleIdentifier == kAppBundleIdentifier) return true;
  }
  return false;
}

std::optional<platform::NSURL> FinderSync::firstSelectedItem() const {
  const auto selection = platform_.finderSyncController.selectedItemURLs();
  if (!selection || selection->empty()) return std::nullopt;
  return selection->front();
}

}  // namespace plovane
