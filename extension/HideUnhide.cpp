#include "extension/FinderSync.h"
#include "platform/NSFileManager.h"

namespace plovane {

using platform::NSURL;

void FinderSync::Hide_UnhideNow() {
  const auto selected = firstSelectedItem();
  if (!selected) return;
  // The direction is the right-clicked item's, whatever the panel picks later.
  const bool hidden = platform::resourceValueIsHidden(*selected).value_or(false);
  platform_.runLoop.dispatchAsyncMain([this, selected, hidden] {
    platform::NSOpenPanel panel;
    panel.showsHiddenFiles = true;
    panel.message = hidden ? "Please select the file that you want to Unhide"
                           : "Please select the file that you want to Hide";
    panel.prompt = hidden ? "Unhide" : "Hide";
    panel.canChooseDirectories = true;
    panel.allowsMultipleSelection = false;
    panel.directoryURL = *selected;
    if (platform_.modals.runModal(panel) != platform::NSModalResponseOK || !panel.URL) return;
    setHidden(*panel.URL, !hidden);
  });
}

void FinderSync::setHidden(const NSURL& url, bool hidden) {
  const auto item = NSURL::fileURLWithPath(url.path());
  if (const auto error = platform::setResourceValueIsHidden(item, hidden)) {
    platform_.log.standardOutput(error->localizedDescription);
    return;
  }
  ratingPrompt_.schedule();
}

void FinderSync::showhiddenfiles() {
  for (const char* source :
       {"tell application \"Finder\" to activate", "delay 0.2",
        "tell application \"System Events\" to tell process \"Finder\" to keystroke \">\" using "
        "{command down, shift down}"}) {
    platform_.appleScript.executeSource(source);
  }
}

}  // namespace plovane
