#pragma once

#include <cstdint>
#include <vector>

#include "platform/NSURL.h"
#include "platform/PlistValue.h"

namespace plovane {

// One entry of a custom folder's contents; its tag is unique within the extension process.
struct subFolder {
  platform::NSURL url;
  std::int64_t tag = 0;
};

// A folder (or application) the user keeps as a shortcut in the menu.
struct customFolder {
  platform::NSURL url;
  bool isApplication = false;
  std::vector<subFolder> arrSubItems;
  // The bookmark it was loaded from or last stored with (empty when none could be made): what
  // stays stored for it when a new bookmark cannot be made.
  platform::PlistData bookmark;
};

// The folder's direct contents in listing order, each entry tagged by counting `lastTag` up.
// Empty when the folder cannot be read, and cut short once no further tag exists.
std::vector<subFolder> listCustomFolderContents(const platform::NSURL& folder,
                                                std::int64_t& lastTag);

}  // namespace plovane
