// The names the two programs and the store files share, spelled out once: every other test
// compares with the same constants the code uses, so a typo in one would pass everywhere else.
#include "shared/SettingsKeys.h"

#include <gtest/gtest.h>

#include <string>

namespace plovane {
namespace {

TEST(SettingsKeysTest, EveryNameIsExactlyTheTextTheStoredFilesAndTheOtherProgramUse) {
  EXPECT_STREQ(kSuiteName, "R4XK8TQ2VM.com.quenlow.plovanemenu");
  EXPECT_STREQ(kAppBundleIdentifier, "com.quenlow.plovanemenu");
  EXPECT_STREQ(kExtensionBundleIdentifier, "com.quenlow.plovanemenu.findersyncextension");
  const std::pair<const char*, const char*> keys[] = {
      {keys::menuArrayDic, "menuArrayDic"},
      {keys::save14, "save14"},
      {keys::showmenuicon, "showmenuicon"},
      {keys::showinSubMenu, "showinSubMenu"},
      {keys::foldersArray, "foldersArray"},
      {keys::foldersArraystate, "foldersArraystate"},
      {keys::allBookmark, "allBookmark"},
      {keys::arrCustomFolders, "arrCustomFolders"},
      {keys::arrCustomFoldersUrls, "arrCustomFoldersUrls"},
      {keys::mailAttachPath, "mailAttachPath"},
      {keys::AttachClickedDate, "AttachClickedDate"},
      {keys::firstRun, "firstRun"},
      {keys::rateDone, "rateDone"},
      {keys::alertVisibledate, "alertVisibledate"},
      {notifications::ReloadCustomFolders, "ReloadCustomFolders"},
      {notifications::AttachFileToMail, "AttachFileToMail"},
      {notifications::ShowUtilityKit, "ShowUtilityKit"},
  };
  for (const auto& [constant, text] : keys) EXPECT_STREQ(constant, text);
}

}  // namespace
}  // namespace plovane
