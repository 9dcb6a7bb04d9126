#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "extension/CustomFolder.h"
#include "platform/NSBundle.h"
#include "platform/NSImage.h"
#include "platform/NSUserDefaults.h"
#include "platform/NSWorkspace.h"
#include "shared/CommandListEntry.h"

namespace plovane {

// All one context menu is made of, read before it is built, so that the build reads nothing
// else: no disk, no store, no workspace.
struct MenuInputs {
  // The file manager reported a selection with nothing in it.
  bool selectionIsEmpty = false;
  bool firstItemIsImage = false;
  bool firstItemIsHidden = false;
  bool showInSubMenu = false;
  // The command list as loaded at start: entry i belongs to catalogue position i.
  std::span<const CommandListEntry> commandList;
  std::span<const customFolder> customFolders;
  // With icons off these stay empty: the catalogue's images by image name, the "Utility Kit"
  // image, the custom folders' icons in their order, and their entries' icons, folder after
  // folder. The entries' icons are one list: thousands of entries make one allocation, not one
  // per folder.
  std::map<std::string, platform::NSImage> commandImages;
  std::optional<platform::NSImage> utilityKitImage;
  std::vector<platform::NSImage> folderIcons;
  std::vector<platform::NSImage> entryIcons;
  // The wrapper's image, shown whether icons are on or not.
  std::optional<platform::NSImage> applicationIcon;
};

// Reads what the menu needs of the selection (none when the file manager reported none), the two
// options and, with icons on, every image the menu may show. The lists are referred to, not
// copied: they must outlive the inputs.
MenuInputs gatherMenuInputs(const platform::NSBundle& bundle, platform::NSWorkspace& workspace,
                            const std::optional<std::vector<platform::NSURL>>& selection,
                            platform::NSUserDefaults* store, const CommandList& commandList,
                            const std::vector<customFolder>& customFolders);

}  // namespace plovane
