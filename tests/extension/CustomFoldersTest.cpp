#include <gtest/gtest.h>

#include <algorithm>
#include <variant>

#include "extension/CustomFolder.h"
#include "extension/FinderSync.h"
#include "platform/Bookmarks.h"
#include "shared/SettingsKeys.h"
#include "support/FileTree.h"
#include "support/TestEnvironment.h"

namespace plovane {
namespace {

using platform::NSMenuItem;
using platform::NSURL;
using platform::PlistArray;
using platform::PlistData;
using platform::PlistValue;
using testing::makeFolder;

PlistData bookmarkOf(const std::filesystem::path& path) {
  return std::get<PlistData>(platform::bookmarkDataWithOptions(
      NSURL::fileURLWithPath(path.string()), platform::NSURLBookmarkCreationWithSecurityScope));
}

NSMenuItem itemTagged(std::int64_t tag) {
  NSMenuItem item("", "", "");
  item.tag = tag;
  return item;
}

class CustomFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folderA = makeFolder(env.home.path() / "A", {"one", "two", ".secret"});
    appB = makeFolder(env.home.path() / "Tool.app", {"Info.plist"});
  }
  void storeCustomFolders(std::initializer_list<std::filesystem::path> folders) {
    PlistArray bookmarks, paths;
    for (const auto& folder : folders) {
      bookmarks.emplace_back(bookmarkOf(folder));
      paths.emplace_back(folder.string());
    }
    store->setValueForKeyPath(bookmarks, keys::arrCustomFolders);
    store->setValueForKeyPath(paths, keys::arrCustomFoldersUrls);
  }
  std::vector<std::string> names(const customFolder& folder) {
    std::vector<std::string> result;
    for (const auto& entry : folder.arrSubItems) result.push_back(entry.url.lastPathComponent());
    std::sort(result.begin(), result.end());
    return result;
  }

  testing::TestEnvironment env;
  std::shared_ptr<platform::NSUserDefaults> store = env.openSuite();
  std::filesystem::path folderA, appB;
};

TEST_F(CustomFoldersTest, LoadsFoldersWithTheirContentsAndApplicationsWithout) {
  storeCustomFolders({folderA, appB});
  FinderSync finderSync(env.platform);
  ASSERT_EQ(finderSync.customFolders().folders().size(), 2u);
  const auto& a = finderSync.customFolders().folders()[0];
  EXPECT_EQ(a.url.path(), folderA.string());
  EXPECT_FALSE(a.isApplication);
  EXPECT_EQ(names(a), (std::vector<std::string>{".secret", "one", "two"}));
  std::vector<std::int64_t> tags;
  for (const auto& entry : a.arrSubItems) tags.push_back(entry.tag);
  EXPECT_EQ(tags, (std::vector<std::int64_t>{1, 2, 3}));
  EXPECT_TRUE(finderSync.customFolders().folders()[1].isApplication);
  EXPECT_TRUE(finderSync.customFolders().folders()[1].arrSubItems.empty());
  EXPECT_EQ(finderSync.customFolders().bookmarks().size(), 2u);
}

TEST_F(CustomFoldersTest, UnresolvableBookmarksAreSkippedButKept) {
  const auto gone = makeFolder(env.home.path() / "Gone");
  storeCustomFolders({gone, folderA});
  std::filesystem::remove(gone);
  FinderSync finderSync(env.platform);
  ASSERT_EQ(finderSync.customFolders().folders().size(), 1u);
  EXPECT_EQ(finderSync.customFolders().folders()[0].url.path(), folderA.string());
  EXPECT_EQ(std::get<PlistArray>(store->objectForKey(keys::arrCustomFolders)->storage()).size(),
            2u);
}

TEST_F(CustomFoldersTest, StoredListsOfAnotherTypeLoadAndPruneNothing) {
  store->setValueForKeyPath(PlistArray{PlistValue("not data")}, keys::arrCustomFolders);
  EXPECT_TRUE(FinderSync(env.platform).customFolders().folders().empty());

  storeCustomFolders({folderA});
  store->setValueForKeyPath(PlistArray{PlistValue(1)}, keys::arrCustomFoldersUrls);
  EXPECT_EQ(FinderSync(env.platform).customFolders().folders().size(), 1u);
}

TEST_F(CustomFoldersTest, PruningDropsDeletedPathsAndRebuildsTheBookmarks) {
  storeCustomFolders({folderA, appB});
  FinderSync finderSync(env.platform);
  store->setValueForKeyPath(PlistArray{appB.string()}, keys::arrCustomFoldersUrls);
  finderSync.performSelector("reloadCustomFolders", nullptr);
  ASSERT_EQ(finderSync.customFolders().folders().size(), 1u);
  EXPECT_EQ(finderSync.customFolders().folders()[0].url.path(), appB.string());
  EXPECT_EQ(env.openSuite()->objectForKey(keys::arrCustomFolders),
            PlistValue(PlistArray{bookmarkOf(appB)}));

  // With the last path gone nothing is stored: the old bookmark stays for the next start.
  store->setValueForKeyPath(PlistArray{}, keys::arrCustomFoldersUrls);
  finderSync.performSelector("reloadCustomFolders", nullptr);
  EXPECT_TRUE(finderSync.customFolders().folders().empty());
  EXPECT_EQ(env.openSuite()->objectForKey(keys::arrCustomFolders),
            PlistValue(PlistArray{bookmarkOf(appB)}));
}

TEST_F(CustomFoldersTest, PathsMatchOnlyExactly) {
  storeCustomFolders({folderA});
  store->setValueForKeyPath(PlistArray{folderA.string() + "/"}, keys::arrCustomFoldersUrls);
  EXPECT_TRUE(FinderSync(env.platform).customFolders().folders().empty());
}

TEST_F(CustomFoldersTest, SameFolderTwiceKeepsOneBookmarkInTheRebuild) {
  storeCustomFolders({folderA, folderA, appB});
  FinderSync finderSync(env.platform);
  ASSERT_EQ(finderSync.customFolders().folders().size(), 3u);
  store->setValueForKeyPath(PlistArray{folderA.string()}, keys::arrCustomFoldersUrls);
  finderSync.performSelector("reloadCustomFolders", nullptr);
  EXPECT_EQ(finderSync.customFolders().folders().size(), 2u);
  EXPECT_EQ(finderSync.customFolders().bookmarks(), std::vector<PlistData>{bookmarkOf(folderA)});
}

TEST_F(CustomFoldersTest, RebuildKeepsTheOldBookmarkOfAFolderThatCanNoLongerBeBookmarked) {
  const auto folderC = makeFolder(env.home.path() / "C");
  storeCustomFolders({folderA, appB, folderC});
  const PlistData oldA = bookmarkOf(folderA);
  FinderSync finderSync(env.platform);
  std::filesystem::remove_all(folderA);
  store->setValueForKeyPath(PlistArray{folderA.string(), appB.string()},
                            keys::arrCustomFoldersUrls);
  finderSync.performSelector("reloadCustomFolders", nullptr);
  ASSERT_EQ(env.log.outputLines.size(), 2u);
  EXPECT_NE(env.log.outputLines[0].find(folderA.string()), std::string::npos);
  EXPECT_EQ(env.log.outputLines[1], "Error storing bookmarks");
  EXPECT_EQ(finderSync.customFolders().folders().size(), 2u);
  EXPECT_EQ(env.openSuite()->objectForKey(keys::arrCustomFolders),
            PlistValue(PlistArray{oldA, bookmarkOf(appB)}));
}

TEST_F(CustomFoldersTest, ClicksOpenTheFolderOrTheEntryAndIgnoreUnknownTags) {
  storeCustomFolders({folderA, appB});
  FinderSync finderSync(env.platform);
  const auto one = itemTagged(1), app = itemTagged(1), unknown = itemTagged(99),
             negative = itemTagged(-1), past = itemTagged(2);
  finderSync.performSelector("customFolderClicked:", &app);
  finderSync.performSelector("subFolderClicked:", &one);
  finderSync.performSelector("customFolderClicked:", &past);
  finderSync.performSelector("customFolderClicked:", &negative);
  finderSync.performSelector("subFolderClicked:", &unknown);
  finderSync.performSelector("customFolderClicked:", nullptr);
  ASSERT_EQ(env.workspace.openedURLs.size(), 2u);
  EXPECT_EQ(env.workspace.openedURLs[0].path(), appB.string());
  EXPECT_EQ(env.workspace.openedURLs[1],
            finderSync.customFolders().folders()[0].arrSubItems[0].url);
}

TEST_F(CustomFoldersTest, ContentTagsStopAtTheirMaximumInsteadOfRepeating) {
  std::int64_t lastTag = std::numeric_limits<std::int64_t>::max() - 1;
  const auto entries = listCustomFolderContents(NSURL::fileURLWithPath(folderA.string()), lastTag);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].tag, std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(lastTag, std::numeric_limits<std::int64_t>::max());
  EXPECT_TRUE(listCustomFolderContents(NSURL::fileURLWithPath("/no/such/folder"), lastTag).empty());
}

}  // namespace
}  // namespace plovane
