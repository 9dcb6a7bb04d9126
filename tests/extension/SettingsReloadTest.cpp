// What the settings app changes in the store reaches the running extension at the next menu.
#include <gtest/gtest.h>

#include <algorithm>

#include "extension/FinderSync.h"
#include "shared/SettingsKeys.h"
#include "support/FileTree.h"
#include "support/TestEnvironment.h"

namespace plovane {
namespace {

using platform::NSURL;
using platform::PlistArray;
using platform::PlistDictionary;
using platform::PlistValue;

class SettingsReloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    storeFolders({1, 1});
    finderSync.emplace(env.platform);
  }
  void storeFolders(PlistArray flags) {
    auto store = env.openSuite();
    store->setValueForKeyPath(PlistArray{first.path(), second.path()}, keys::foldersArray);
    store->setValueForKeyPath(std::move(flags), keys::foldersArraystate);
  }
  void switchOpenTerminal(bool state) {
    auto list = *env.openSuite()->arrayForKey(keys::menuArrayDic);
    list[0] = PlistDictionary{{"title", "Open Terminal"}, {"state", state}};
    env.openSuite()->setObject(list, keys::menuArrayDic);
  }
  bool menuHas(const std::string& title) {
    env.finderSyncController.setSelectedItemURLs(std::vector{first});
    const auto menu = finderSync->menuForMenuKind(platform::FIMenuKind::contextualMenuForItems);
    return std::any_of(menu->items.begin(), menu->items.end(),
                       [&](const auto& item) { return item.title == title; });
  }

  testing::TestEnvironment env;
  NSURL first = NSURL::fileURLWithPath(testing::makeFolder(env.home.path() / "First").string());
  NSURL second = NSURL::fileURLWithPath(testing::makeFolder(env.home.path() / "Second").string());
  std::optional<FinderSync> finderSync;
};

TEST_F(SettingsReloadTest, ACommandAndAFolderSwitchedOffAreGoneAtTheNextMenu) {
  ASSERT_TRUE(menuHas("Open Terminal"));
  ASSERT_EQ(env.finderSyncController.directoryURLs(), (std::set{first, second}));

  switchOpenTerminal(false);
  storeFolders({1, 0});
  EXPECT_FALSE(menuHas("Open Terminal"));
  EXPECT_TRUE(menuHas("Open System Preferences"));
  EXPECT_EQ(env.finderSyncController.directoryURLs(), std::set{first});

  switchOpenTerminal(true);
  storeFolders({0, 1});
  EXPECT_TRUE(menuHas("Open Terminal"));
  EXPECT_EQ(env.finderSyncController.directoryURLs(), std::set{second});

  // With the store unchanged nothing is taken again: a re-read would hand the folders over anew.
  env.finderSyncController.setDirectoryURLs({});
  EXPECT_TRUE(menuHas("Open Terminal"));
  EXPECT_TRUE(env.finderSyncController.directoryURLs().empty());
}

// A chosen entry is checked against the menu that was offered, not one built again; a changed
// selection or changed settings make the next check build anew.
TEST_F(SettingsReloadTest, TheOfferedMenuStandsUntilTheSelectionOrTheSettingsChange) {
  ASSERT_TRUE(menuHas("Open Terminal"));
  const auto offered = finderSync->menuForMenuKind(platform::FIMenuKind::contextualMenuForItems);
  EXPECT_EQ(finderSync->menuOfferedForSelection(), offered);

  env.finderSyncController.setSelectedItemURLs(std::vector{second});
  const auto forSecond = finderSync->menuOfferedForSelection();
  EXPECT_NE(forSecond, offered);
  EXPECT_EQ(finderSync->menuOfferedForSelection(), forSecond);

  switchOpenTerminal(false);
  const auto afterSwitch = finderSync->menuOfferedForSelection();
  EXPECT_NE(afterSwitch, forSecond);
  EXPECT_TRUE(std::none_of(afterSwitch->items.begin(), afterSwitch->items.end(),
                           [](const auto& item) { return item.title == "Open Terminal"; }));
}

TEST_F(SettingsReloadTest, AStoredListIsTakenAsItIsAndAMalformedOneKeepsTheListInUse) {
  PlistArray shorter = *env.openSuite()->arrayForKey(keys::menuArrayDic);
  shorter.resize(3);
  env.openSuite()->setObject(shorter, keys::menuArrayDic);
  menuHas("Open Terminal");
  EXPECT_EQ(readCommandList(shorter), finderSync->commandList());

  // Seeding replaces a malformed list only at start; a re-read neither uses nor repairs it.
  env.openSuite()->setObject(PlistValue("odd"), keys::menuArrayDic);
  EXPECT_TRUE(menuHas("Open Terminal"));
  EXPECT_EQ(readCommandList(shorter), finderSync->commandList());
  EXPECT_EQ(env.openSuite()->objectForKey(keys::menuArrayDic), PlistValue("odd"));
}

}  // namespace
}  // namespace plovane
