#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The fixed catalogue of context-menu commands. A command is its position: the position is the
// tag of its menu item and what a click dispatches on.
namespace plovane {

enum CommandPosition : std::int64_t {
  kOpenTerminal = 0,
  kOpenSystemPreferences = 1,
  kSetAsWallpaper = 2,
  kCreateNewTextFile = 3,
  kCopyPathToClipboard = 4,
  kSendViaMail = 5,
  kMoveToAFolder = 6,
  kCopyToAFolder = 7,
  kOpenNewFinderWindow = 8,
  kHideUnhideItem = 9,
  kFindDuplicateFiles = 10,
  kFindDuplicatePhotos = 11,
  kViewOrEditExifData = 12,
  kResizePhotos = 13,
  kConfigureSettings = 14,
  kAddFolders = 15,
};

inline constexpr std::size_t kCatalogueSize = 16;

inline constexpr std::array<const char*, kCatalogueSize> kCatalogueTitles = {
    "Open Terminal",
    "Open System Preferences",
    "Set as Wallpaper",
    "Create New Text File",
    "Copy path to Clipboard",
    "Send via Mail",
    "Move to a folder",
    "Copy to a folder",
    "Open New Finder Window",
    "Hide / Unhide item",
    "Find Duplicate Files",
    "Find Duplicate Photos",
    "View or Edit Exif Data",
    "Resize Photos",
    "Configure Plovane Menu Settings",
    "Add Folders",
};

inline constexpr char kHideItemTitle[] = "Hide item";
inline constexpr char kUnhideItemTitle[] = "Unhide item";

// The titles in catalogue order, as each program's `menuItemsarr` holds them.
std::vector<std::string> catalogueTitles();

// The image name (an asset of the bundle or a system image) for a shown title, from the
// process-wide icon table; absent for a title the table does not know.
std::optional<std::string> commandIconName(const std::string& title);
std::size_t commandIconTableSize();

}  // namespace plovane
