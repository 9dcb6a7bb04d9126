#include <algorithm>
#include <array>
#include <cctype>

#include "extension/FinderSync.h"

namespace plovane {

using platform::NSURL;

namespace {

constexpr char kTerminal[] = "com.apple.Terminal";
constexpr char kSystemPreferences[] = "com.apple.systempreferences";

// Archives and applications are single items to the user: no folder to start the panel in.
bool isOpaquePackage(const NSURL& url) {
  std::string extension = url.pathExtension();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == "zip" || extension == "app" || extension == "rar";
}

}  // namespace

void FinderSync::OpenTerminal() {
  platform_.workspace.launchAppWithBundleIdentifier(kTerminal);
  ratingPrompt_.schedule();
}

void FinderSync::openSystemPreferences() {
  platform_.workspace.launchAppWithBundleIdentifier(kSystemPreferences);
  ratingPrompt_.schedule();
}

void FinderSync::setWallpaper() {
  const auto selected = firstSelectedItem();
  if (!selected) return;
  if (const auto screen = platform_.workspace.mainScreen()) {
    platform_.workspace.setDesktopImageURL(*selected, *screen);
  }
  ratingPrompt_.schedule();
}

void FinderSync::createNewFile() {
  const auto selected = firstSelectedItem();
  platform_.runLoop.dispatchAsyncMain([this, selected] {
    platform::NSSavePanel panel;
    panel.title = "Create New Text File";
    panel.nameFieldStringValue = "Untitled.txt";
    panel.allowsOtherFileTypes = false;
    panel.treatsFilePackagesAsDirectories = false;
    if (selected && !isOpaquePackage(*selected)) {
      bool isDirectory = false;
      const bool exists = platform_.fileManager.fileExistsAtPath(selected->path(), &isDirectory);
      panel.directoryURL =
          exists && isDirectory ? *selected : selected->URLByDeletingLastPathComponent();
    }
    if (platform_.modals.runModal(panel) != platform::NSModalResponseOK) return;
    if (panel.URL) platform_.fileManager.createFileAtPath(panel.URL->path());
    ratingPrompt_.schedule();
  });
}

void FinderSync::copyFilePath() {
  const auto selected = firstSelectedItem();
  if (!selected) return;
  platform_.pasteboard.declareTypes({platform::NSPasteboardTypeString});
  if (!platform_.pasteboard.setString(selected->path(), platform::NSPasteboardTypeString)) {
    platform_.log.standardOutput("The path of " + selected->path() +
                                 " could not be put on the Clipboard as text.");
    platform_.runLoop.dispatchAsyncMain(
        [this] { showWarning("The path could not be copied to the Clipboard."); });
    return;
  }
  platform_.runLoop.dispatchAsyncMain([this] {
    showWarning("Path copied to Clipboard");
    ratingPrompt_.schedule();
  });
}

void FinderSync::finderInnewWindw() {
  const auto selected = firstSelectedItem();
  if (!selected) return;
  platform_.workspace.activateFileViewerSelectingURLs({*selected});
  ratingPrompt_.schedule();
}

void FinderSync::sampleAction() {
  OpenTerminal();
  constexpr std::uint16_t kShift = 0x38, kN = 0x2D;
  const auto command = platform::kCGEventFlagMaskCommand;
  for (const auto& event : std::array<platform::CGKeyboardEvent, 4>{
           {{kShift, true, 0}, {kN, true, command}, {kN, false, command}, {kShift, false, 0}}}) {
    platform_.keyboardEvents.post(event);
  }
}

void FinderSync::showWarning(const std::string& message) {
  platform::NSAlert notice;
  notice.alertStyle = platform::NSAlertStyle::warning;
  notice.messageText = message;
  notice.addButtonWithTitle("OK");
  platform_.modals.runModal(notice);
}

}  // namespace plovane
