#include "shared/CommandListSeeding.h"

#include <gtest/gtest.h>

#include <thread>

#include "shared/CommandCatalogue.h"
#include "shared/SettingsKeys.h"
#include "support/TestEnvironment.h"

namespace plovane {
namespace {

using platform::PlistArray;
using platform::PlistDictionary;
using platform::PlistValue;

PlistArray integers(std::initializer_list<int> values) {
  PlistArray array;
  for (int value : values) array.emplace_back(value);
  return array;
}

std::vector<bool> states(const CommandList& list) {
  std::vector<bool> result;
  for (const auto& entry : list) result.push_back(entry.state);
  return result;
}

class CommandListSeedingTest : public ::testing::Test {
 protected:
  testing::TestEnvironment env;
  std::shared_ptr<platform::NSUserDefaults> store = env.openSuite();
};

TEST_F(CommandListSeedingTest, EmptyStoreGetsSixteenShownCommandsAndNoLegacyList) {
  const auto list = seedCommandList(store.get(), "1.9");
  auto reread = env.openSuite();
  const auto stored = reread->arrayForKey(keys::menuArrayDic).value_or(PlistArray{});
  ASSERT_EQ(list.size(), 16u);
  ASSERT_EQ(stored.size(), 16u);
  for (std::size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list[i], (CommandListEntry{kCatalogueTitles[i], true}));
    EXPECT_EQ(stored[i],
              PlistValue(PlistDictionary{{"title", kCatalogueTitles[i]}, {"state", true}}));
  }
  EXPECT_FALSE(reread->objectForKey(keys::save14));
}

TEST_F(CommandListSeedingTest, ShortLegacyListIsExtendedAndMigrated) {
  store->setObject(integers({1, 0, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 0, 1}), keys::save14);
  const auto list = seedCommandList(store.get(), "2.0");
  const std::vector<bool> expected = {true, false, true, true, false, true, true, true,
                                      true, true,  true, true, false, true, true, true};
  EXPECT_EQ(states(list), expected);
  auto reread = env.openSuite();
  EXPECT_EQ(reread->objectForKey(keys::save14),
            PlistValue(integers({1, 0, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1})));
  EXPECT_EQ(reread->objectForKey(keys::menuArrayDic), PlistValue(storedCommandList(list)));
}

TEST_F(CommandListSeedingTest, LegacyListOfFullLengthIsDiscardedByTheMigration) {
  store->setObject(integers({0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}), keys::save14);
  const auto list = seedCommandList(store.get(), "1.9");
  EXPECT_EQ(states(list), std::vector<bool>(16, true));
  EXPECT_EQ(env.openSuite()->objectForKey(keys::save14), PlistValue(PlistArray(16, 1)));
}

TEST_F(CommandListSeedingTest, NonIntegerLegacyEntriesCountAsHidden) {
  PlistArray flags = integers({1, 1});
  flags.emplace_back("yes");
  store->setObject(flags, keys::save14);
  const auto list = seedCommandList(store.get(), "1.9");
  EXPECT_EQ(states(list)[2], false);
  EXPECT_EQ(states(list)[3], true);
}

TEST_F(CommandListSeedingTest, StoredListIsTakenAsItIsAndNotWrittenAgain) {
  PlistArray ten;
  CommandList taken;
  for (int i = 0; i < 10; ++i) {
    ten.push_back(PlistDictionary{{"title", kCatalogueTitles[i]}, {"state", i % 2 == 0}});
    taken.push_back({kCatalogueTitles[i], i % 2 == 0});
  }
  store->setObject(ten, keys::menuArrayDic);
  store->synchronize();
  const auto before = testing::fileInode(store->file());

  EXPECT_EQ(seedCommandList(store.get(), "1.9"), taken);
  EXPECT_EQ(testing::fileInode(store->file()), before);
}

TEST_F(CommandListSeedingTest, ListOfAnotherTypeIsReplacedWithoutConsultingTheLegacyList) {
  store->setObject("not a list", keys::menuArrayDic);
  store->setObject(integers({0, 0, 0}), keys::save14);
  EXPECT_EQ(states(seedCommandList(store.get(), "1.9")), std::vector<bool>(16, true));

  PlistArray mixed{PlistDictionary{{"title", "Open Terminal"}, {"state", true}}, PlistValue(3)};
  store->setObject(mixed, keys::menuArrayDic);
  EXPECT_EQ(seedCommandList(store.get(), "1.9").size(), 16u);
  EXPECT_EQ(env.openSuite()->objectForKey(keys::save14), PlistValue(integers({0, 0, 0})));
}

TEST_F(CommandListSeedingTest, LegacyVersionKeepsOnlyTheFlagList) {
  EXPECT_TRUE(seedCommandList(store.get(), kLegacyVersion).empty());
  EXPECT_EQ(env.openSuite()->objectForKey(keys::save14), PlistValue(PlistArray(16, 1)));
  EXPECT_FALSE(env.openSuite()->objectForKey(keys::menuArrayDic));

  const auto sixteen = integers({0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1});
  store->setObject(sixteen, keys::save14);
  seedCommandList(store.get(), kLegacyVersion);
  EXPECT_EQ(env.openSuite()->objectForKey(keys::save14), PlistValue(sixteen));

  store->setObject(integers({0, 1}), keys::save14);
  seedCommandList(store.get(), kLegacyVersion);
  EXPECT_EQ(env.openSuite()->objectForKey(keys::save14), PlistValue(PlistArray(16, 1)));
}

TEST_F(CommandListSeedingTest, MissingVersionMeansListMode) {
  EXPECT_EQ(seedCommandList(store.get(), std::nullopt).size(), 16u);
}

TEST_F(CommandListSeedingTest, AbsentStoreGivesTheFreshListInMemoryOnly) {
  EXPECT_EQ(states(seedCommandList(nullptr, "1.9")), std::vector<bool>(16, true));
  EXPECT_TRUE(seedCommandList(nullptr, kLegacyVersion).empty());
  EXPECT_FALSE(std::filesystem::exists(store->file()));
}

// Stored lists and the settings app find commands by these titles at these positions.
TEST(CommandIconTableTest, TitlesStayWhereStoredListsHaveThem) {
  EXPECT_EQ(
      catalogueTitles(),
      (std::vector<std::string>{"Open Terminal", "Open System Preferences", "Set as Wallpaper",
                                "Create New Text File", "Copy path to Clipboard", "Send via Mail",
                                "Move to a folder", "Copy to a folder", "Open New Finder Window",
                                "Hide / Unhide item", "Find Duplicate Files",
                                "Find Duplicate Photos", "View or Edit Exif Data", "Resize Photos",
                                "Configure Plovane Menu Settings", "Add Folders"}));
}

TEST(CommandIconTableTest, KnowsTheCatalogueAndTheTwoHideTitlesOnly) {
  EXPECT_EQ(commandIconTableSize(), 18u);
  for (const char* title : kCatalogueTitles) EXPECT_TRUE(commandIconName(title)) << title;
  EXPECT_EQ(commandIconName(kHideItemTitle), commandIconName("Hide / Unhide item"));
  EXPECT_EQ(commandIconName(kUnhideItemTitle), "12");
  EXPECT_EQ(commandIconName("Open System Preferences"), "system-preferences-icon");
  EXPECT_FALSE(commandIconName("open terminal"));
  EXPECT_FALSE(commandIconName(""));
}

TEST(CommandIconTableTest, ConcurrentFirstUseSeesOneTable) {
  std::vector<std::thread> threads;
  std::vector<std::optional<std::string>> seen(8);
  for (std::size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&seen, i] { seen[i] = commandIconName("Resize Photos"); });
  }
  for (auto& thread : threads) thread.join();
  for (const auto& name : seen) EXPECT_EQ(name, "16");
}

}  // namespace
}  // namespace plovane
