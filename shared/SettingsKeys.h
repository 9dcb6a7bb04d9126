#pragma once

// Names that cross between the settings app and the extension: the shared suite, its keys,
// the private keys of each program, notifications and bundle identifiers.
namespace plovane {

inline constexpr char kSuiteName[] = "R4XK8TQ2VM.com.quenlow.plovanemenu";

namespace keys {
inline constexpr char menuArrayDic[] = "menuArrayDic";
inline constexpr char save14[] = "save14";
inline constexpr char showmenuicon[] = "showmenuicon";
inline constexpr char showinSubMenu[] = "showinSubMenu";
inline constexpr char foldersArray[] = "foldersArray";
inline constexpr char foldersArraystate[] = "foldersArraystate";
inline constexpr char allBookmark[] = "allBookmark";
inline constexpr char arrCustomFolders[] = "arrCustomFolders";
inline constexpr char arrCustomFoldersUrls[] = "arrCustomFoldersUrls";
inline constexpr char mailAttachPath[] = "mailAttachPath";
inline constexpr char AttachClickedDate[] = "AttachClickedDate";

// Each program's own defaults.
inline constexpr char firstRun[] = "firstRun";
inline constexpr char rateDone[] = "rateDone";
inline constexpr char alertVisibledate[] = "alertVisibledate";
}  // namespace keys

namespace notifications {
inline constexpr char ReloadCustomFolders[] = "ReloadCustomFolders";
inline constexpr char AttachFileToMail[] = "AttachFileToMail";
inline constexpr char ShowUtilityKit[] = "ShowUtilityKit";
}  // namespace notifications

inline constexpr char kAppBundleIdentifier[] = "com.quenlow.plovanemenu";
inline constexpr char kExtensionBundleIdentifier[] = "com.quenlow.plovanemenu.findersyncextension";

}  // namespace plovane
