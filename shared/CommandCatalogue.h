#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The fixed catalogue of context-menu commands. A command is its position: the position is the
// tag of its menu item and what a click dispatches on. All that is known about a command is in
// its row; the menu, the dispatch, the icon table and the settings app read it from there.
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

// A tool of the same maker that a command starts, or offers to install when it is missing.
struct CompanionTool {
  const char* bundleIdentifier;
  const char* offer;
  const char* storePage;
  // The extension's selectors behind the offer's "Yes" and "No".
  const char* acceptAction;
  const char* declineAction;
};

// What a command shows in place of its own title, by whether the first selected item is hidden.
struct TitlesByHiddenFlag {
  const char* visible;
  const char* hidden;
};

struct CatalogueCommand {
  CommandPosition position;
  const char* title;
  // An asset of the bundle, or a system image ("NS…").
  const char* icon;
  // The extension's selector that carries the command out.
  const char* action;
  // Offered only when the first selected item is an image.
  bool imagesOnly = false;
  const TitlesByHiddenFlag* titlesByHiddenFlag = nullptr;
  const CompanionTool* companion = nullptr;
};

inline constexpr char kHideItemTitle[] = "Hide item";
inline constexpr char kUnhideItemTitle[] = "Unhide item";
inline constexpr TitlesByHiddenFlag kHideUnhideTitles{kHideItemTitle, kUnhideItemTitle};

inline constexpr CompanionTool kMarrowfen{
    .bundleIdentifier = "com.quenlow.marrowfen",
    .offer =
        "To scan for Duplicate Files, you need to have 'Marrowfen' installed on your System. "
        "Do you want to install it from the Mac App Store now?",
    .storePage = "macappstore://apps.apple.com/app/marrowfen/id1480917331",
    .acceptAction = "dfsDownload",
    .declineAction = "dfscancel"};
inline constexpr CompanionTool kPellisade{
    .bundleIdentifier = "com.quenlow.pellisade",
    .offer =
        "To scan for Similar and Duplicate Photos, you need to have 'Pellisade' installed on "
        "your System. Do you want to install it from the Mac App Store now?",
    .storePage = "macappstore://apps.apple.com/app/pellisade/id1480917342",
    .acceptAction = "dpsDownload",
    .declineAction = "dpscancel"};
inline constexpr CompanionTool kAmbervane{
    .bundleIdentifier = "com.quenlow.ambervane",
    .offer =
        "To View or Edit Exif data, you need to have 'Ambervane' installed on your System. Do "
        "you want to install it from the Mac App Store now?",
    .storePage = "macappstore://apps.apple.com/app/ambervane/id1480917353",
    .acceptAction = "exifDownload",
    .declineAction = "exifcancel"};
inline constexpr CompanionTool kScallotta{
    .bundleIdentifier = "com.quenlow.scallotta",
    .offer =
        "To Resize Photos, you need to have 'Scallotta' installed on your System. Do you want "
        "to install it from the Mac App Store now?",
    .storePage = "macappstore://apps.apple.com/app/scallotta/id1480917364",
    .acceptAction = "resizerDownload",
    .declineAction = "resizercancel"};

// The stored command list keeps these titles at these positions: a row is never moved.
inline constexpr std::array<CatalogueCommand, kCatalogueSize> kCatalogue = {{
    {.position = kOpenTerminal, .title = "Open Terminal", .icon = "1", .action = "OpenTerminal:"},
    {.position = kOpenSystemPreferences,
     .title = "Open System Preferences",
     .icon = "system-preferences-icon",
     .action = "openSystemPreferences"},
    {.position = kSetAsWallpaper,
     .title = "Set as Wallpaper",
     .icon = "4",
     .action = "setWallpaper:",
     .imagesOnly = true},
    {.position = kCreateNewTextFile,
     .title = "Create New Text File",
     .icon = "5",
     .action = "createNewFile:"},
    {.position = kCopyPathToClipboard,
     .title = "Copy path to Clipboard",
     .icon = "6",
     .action = "copyFilePath:"},
    {.position = kSendViaMail, .title = "Send via Mail", .icon = "7", .action = "sendviamail:"},
    {.position = kMoveToAFolder,
     .title = "Move to a folder",
     .icon = "9",
     .action = "moveToFolder:"},
    {.position = kCopyToAFolder,
     .title = "Copy to a folder",
     .icon = "10",
     .action = "copyToFolder:"},
    {.position = kOpenNewFinderWindow,
     .title = "Open New Finder Window",
     .icon = "11",
     .action = "finderInnewWindw:"},
    {.position = kHideUnhideItem,
     .title = "Hide / Unhide item",
     .icon = "12",
     .action = "Hide_UnhideNow",
     .titlesByHiddenFlag = &kHideUnhideTitles},
    {.position = kFindDuplicateFiles,
     .title = "Find Duplicate Files",
     .icon = "13",
     .action = "openCompanionTool",
     .companion = &kMarrowfen},
    {.position = kFindDuplicatePhotos,
     .title = "Find Duplicate Photos",
     .icon = "14",
     .action = "openCompanionTool",
     .imagesOnly = true,
     .companion = &kPellisade},
    {.position = kViewOrEditExifData,
     .title = "View or Edit Exif Data",
     .icon = "15",
     .action = "openCompanionTool",
     .companion = &kAmbervane},
    {.position = kResizePhotos,
     .title = "Resize Photos",
     .icon = "16",
     .action = "openCompanionTool",
     .companion = &kScallotta},
    {.position = kConfigureSettings,
     .title = "Configure Plovane Menu Settings",
     .icon = "NSActionTemplate",
     .action = "configureSettings"},
    {.position = kAddFolders,
     .title = "Add Folders",
     .icon = "NSAddTemplate",
     .action = "addFolders"},
}};

inline constexpr std::array<const char*, kCatalogueSize> kCatalogueTitles = [] {
  std::array<const char*, kCatalogueSize> titles{};
  for (std::size_t position = 0; position < kCatalogueSize; ++position) {
    titles[position] = kCatalogue[position].title;
  }
  return titles;
}();

// The row at a position; null outside the catalogue.
const CatalogueCommand* catalogueCommand(std::int64_t position);

// The titles in catalogue order, as each program's `menuItemsarr` holds them.
std::vector<std::string> catalogueTitles();

// The image name for a shown title, from the process-wide icon table: every row's title and
// the titles it shows in its place; absent for a title the table does not know.
std::optional<std::string> commandIconName(const std::string& title);
std::size_t commandIconTableSize();

}  // namespace plovane
