#include "extension/FinderSync.h"
#include "shared/SettingsKeys.h"

namespace plovane {

using platform::NSURL;

namespace {

constexpr int kFilesAndFolders = 1;
constexpr int kFoldersOnly = 2;

// Says which two panels follow and what to pick in each.
void explainCopyOrMove(platform::Modals& modals, const std::string& operation) {
  platform::NSAlert alert;
  alert.alertStyle = platform::NSAlertStyle::warning;
  alert.messageText = "Please allow copying/moving of folder by:";
  alert.informativeText =
      "Step 1:- Select the item which you want to " + operation +
      " in open panel.\n\nStep 2:- Select Destination folder where you want to " + operation +
      " the selected item.";
  alert.addButtonWithTitle("OK");
  modals.runModal(alert);
}

std::optional<NSURL> chooseItem(platform::Modals& modals, const std::string& prompt,
                                const std::string& message, const std::optional<NSURL>& directory,
                                int mode, bool packagesAsDirectories) {
  platform::NSOpenPanel panel;
  panel.canChooseDirectories = true;
  panel.allowsMultipleSelection = false;
  panel.showsHiddenFiles = true;
  panel.treatsFilePackagesAsDirectories = packagesAsDirectories;
  panel.canChooseFiles = mode == kFilesAndFolders;
  panel.directoryURL = directory;
  panel.prompt = prompt;
  panel.message = message;
  if (modals.runModal(panel) != platform::NSModalResponseOK) return std::nullopt;
  return panel.URL;
}

}  // namespace

void FinderSync::moveToFolder() {
  const auto selected = firstSelectedItem();
  platform_.runLoop.dispatchAsyncMain([this, selected] { copyOrMove("Move", selected); });
}

void FinderSync::copyToFolder() {
  const auto selected = firstSelectedItem();
  platform_.runLoop.dispatchAsyncMain([this, selected] { copyOrMove("Copy", selected); });
}

void FinderSync::copyOrMove(const std::string& operation, const std::optional<NSURL>& selected) {
  explainCopyOrMove(platform_.modals, operation);
  const auto source = chooseItem(platform_.modals, "Select Item",
                                 "Step 1:- Select the item which you want to " + operation,
                                 selected, kFilesAndFolders, false);
  if (!source) return;
  const auto folder = chooseItem(
      platform_.modals, "Select Destination Folder",
      "Step 2:- Select Destination folder where you want to " + operation + " the selected item",
      selected ? std::optional(selected->URLByDeletingLastPathComponent()) : std::nullopt,
      kFoldersOnly, false);
  if (!folder) return;
  const auto destination = folder->URLByAppendingPathComponent(source->lastPathComponent());
  const auto error = operation == "Move"
                         ? platform_.fileManager.moveItemAtURL(*source, destination)
                         : platform_.fileManager.copyItemAtURL(*source, destination);
  if (error) {
    showWarning(error->localizedDescription);
    return;
  }
  ratingPrompt_.schedule();
}

void FinderSync::addFolders() {
  const auto selected = firstSelectedItem();
  platform_.runLoop.dispatchAsyncMain([this, selected] {
    const auto folder =
        chooseItem(platform_.modals, "Add", "Select Folder", selected, kFoldersOnly, true);
    if (!folder) return;
    if (!customFolders_.add(*folder)) {
      showWarning("The folder could not be added.");
      return;
    }
    platform_.notificationCenter.postNotificationName(notifications::ReloadCustomFolders,
                                                      kExtensionBundleIdentifier);
  });
}

}  // namespace plovane
