#include "extension/CustomFolderList.h"

#include <gtest/gtest.h>

#include "shared/SettingsKeys.h"
#include "support/FileTree.h"
#include "support/TestEnvironment.h"

namespace plovane {
namespace {

using platform::NSURL;
using platform::PlistArray;
using platform::PlistValue;
using testing::makeFolder;

std::vector<std::int64_t> tagsOf(const customFolder& folder) {
  std::vector<std::int64_t> tags;
  for (const auto& entry : folder.arrSubItems) tags.push_back(entry.tag);
  return tags;
}

class CustomFolderListTest : public ::testing::Test {
 protected:
  NSURL folderWith(const char* name, std::initializer_list<const char*> entries) {
    return NSURL::fileURLWithPath(makeFolder(env.home.path() / name, entries).string());
  }

  testing::TestEnvironment env;
};

TEST_F(CustomFolderListTest, WithoutAStoreOnlyTheListsInMemoryChange) {
  env.openSuite()->setValueForKeyPath(PlistArray{"/elsewhere"}, keys::arrCustomFoldersUrls);
  CustomFolderList list(nullptr, env.log);
  list.load();
  ASSERT_TRUE(list.add(folderWith("A", {"one", "two"})));
  list.prune();
  const auto& folders = list.folders();
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_EQ(tagsOf(folders[0]), (std::vector<std::int64_t>{1, 2}));
  EXPECT_EQ(list.bookmarks().size(), 1u);
  EXPECT_FALSE(env.openSuite()->objectForKey(keys::arrCustomFolders));
  EXPECT_EQ(list.folderAt(0), folders[0].url);
  EXPECT_FALSE(list.folderAt(1));
  EXPECT_EQ(list.entryTagged(2), folders[0].arrSubItems[1].url);
}

// A tag is an entry's identity for the life of the process, also when its folder was refused.
TEST_F(CustomFolderListTest, AFolderTheStoreRefusesIsTakenBackButItsTagsAreNotReused) {
  auto store = env.openSuite();
  CustomFolderList list(store.get(), env.log);
  const auto& folders = list.folders();
  ASSERT_TRUE(list.add(folderWith("A", {"one"})));
  auto lock = env.defaults.fileForDomain(kSuiteName);
  lock += ".lock";
  std::filesystem::remove(lock);
  std::filesystem::create_symlink(env.home.path() / "missing" / "lock", lock);

  EXPECT_FALSE(list.add(folderWith("B", {"two", "three"})));
  EXPECT_EQ(folders.size(), 1u);
  EXPECT_EQ(list.bookmarks().size(), 1u);
  ASSERT_EQ(env.log.outputLines.size(), 1u);
  EXPECT_TRUE(env.log.outputLines[0].starts_with("Cannot add " + (env.home.path() / "B").string()));

  std::filesystem::remove(lock);
  ASSERT_TRUE(list.add(folderWith("C", {"four"})));
  EXPECT_EQ(tagsOf(folders[1]), std::vector<std::int64_t>{4});
  EXPECT_EQ(env.openSuite()->objectForKey(keys::arrCustomFoldersUrls),
            PlistValue(PlistArray{folders[0].url.path(), folders[1].url.path()}));
}

}  // namespace
}  // namespace plovane
