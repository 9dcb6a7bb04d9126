#include "extension/FinderSync.h"

#include <gtest/gtest.h>

#include "shared/SettingsKeys.h"
#include "support/TestEnvironment.h"

namespace plovane {
namespace {

using platform::NSURL;
using platform::PlistArray;
using platform::PlistValue;

class FinderSyncStartupTest : public ::testing::Test {
 protected:
  void storeFolders(PlistValue paths, PlistValue flags) {
    auto store = env.openSuite();
    store->setValueForKeyPath(std::move(paths), keys::foldersArray);
    store->setValueForKeyPath(std::move(flags), keys::foldersArraystate);
  }
  std::set<NSURL> urls(std::initializer_list<const char*> paths) {
    std::set<NSURL> result;
    for (const char* path : paths) result.insert(NSURL::fileURLWithPath(path));
    return result;
  }

  testing::TestEnvironment env;
};

TEST_F(FinderSyncStartupTest, EmptyStoreGetsDefaultsSeededListAndNoFolders) {
  FinderSync finderSync(env.platform);
  auto store = env.openSuite();
  EXPECT_EQ(store->objectForKey(keys::showmenuicon), PlistValue(true));
  EXPECT_EQ(store->objectForKey(keys::showinSubMenu), PlistValue(false));
  EXPECT_EQ(finderSync.commandList().size(), 16u);
  EXPECT_EQ(store->objectForKey(keys::menuArrayDic),
            PlistValue(storedCommandList(finderSync.commandList())));
  EXPECT_TRUE(env.finderSyncController.directoryURLs().empty());
  EXPECT_TRUE(finderSync.customFolders().folders().empty());
  EXPECT_TRUE(finderSync.customFolders().bookmarks().empty());
  EXPECT_EQ(env.log.logLines, std::vector<std::string>{"FinderSync() launched from " +
                                                       env.bundle.bundlePath().string()});
}

TEST_F(FinderSyncStartupTest, ExistingOptionsAreKept) {
  auto store = env.openSuite();
  store->setBool(false, keys::showmenuicon);
  store->setObject("odd", keys::showinSubMenu);
  FinderSync finderSync(env.platform);
  EXPECT_EQ(env.openSuite()->objectForKey(keys::showmenuicon), PlistValue(false));
  EXPECT_EQ(env.openSuite()->objectForKey(keys::showinSubMenu), PlistValue("odd"));
}

TEST_F(FinderSyncStartupTest, RegistersExactlyTheFoldersFlaggedOne) {
  storeFolders(PlistArray{"/a", "/b", "/c"}, PlistArray{1, 0, 1});
  FinderSync finderSync(env.platform);
  EXPECT_EQ(env.finderSyncController.directoryURLs(), urls({"/a", "/c"}));

  storeFolders(PlistArray{"/a", "/b", "/c"}, PlistArray{1, 1});
  finderSync.checkDirectoryUrl();
  EXPECT_EQ(env.finderSyncController.directoryURLs(), urls({"/a", "/b"}));

  storeFolders(PlistArray{"/a", "/b"}, PlistArray{2, 1, 1, 1});
  finderSync.checkDirectoryUrl();
  EXPECT_EQ(env.finderSyncController.directoryURLs(), urls({"/b"}));
}

TEST_F(FinderSyncStartupTest, MalformedFolderListsRegisterOnlyWhatIsWellFormed) {
  storeFolders(PlistArray{"/a", PlistValue(7), "/c"}, PlistArray{1, 1, true});
  FinderSync finderSync(env.platform);
  EXPECT_EQ(env.finderSyncController.directoryURLs(), urls({"/a"}));

  storeFolders(PlistValue("/a"), PlistArray{1});
  finderSync.checkDirectoryUrl();
  EXPECT_TRUE(env.finderSyncController.directoryURLs().empty());

  auto store = env.openSuite();
  store->setValueForKeyPath(PlistArray{"/a"}, keys::foldersArray);
  store->removeObjectForKey(keys::foldersArraystate);
  finderSync.checkDirectoryUrl();
  EXPECT_TRUE(env.finderSyncController.directoryURLs().empty());
}

TEST_F(FinderSyncStartupTest, UnavailableStoreStartsEmptyAndWritesNothing) {
  env.defaults.setSuitesUnavailable(true);
  FinderSync finderSync(env.platform);
  EXPECT_EQ(finderSync.commandList().size(), 16u);
  EXPECT_TRUE(env.finderSyncController.directoryURLs().empty());
  EXPECT_FALSE(std::filesystem::exists(env.defaults.root()));
}

TEST_F(FinderSyncStartupTest, CallbacksLogTheirLineAndBadgesCarryNoImage) {
  FinderSync finderSync(env.platform);
  env.log.logLines.clear();
  const auto url = NSURL::fileURLWithPath("/home/user/Documents");
  finderSync.beginObservingDirectoryAtURL(url);
  finderSync.endObservingDirectoryAtURL(url);
  finderSync.requestBadgeIdentifierForURL(url);
  EXPECT_EQ(env.log.logLines,
            (std::vector<std::string>{"beginObservingDirectoryAtURL: /home/user/Documents",
                                      "endObservingDirectoryAtURL: /home/user/Documents",
                                      "requestBadgeIdentifierForURL: /home/user/Documents"}));
  const auto badge = env.finderSyncController.badges().at(url);
  EXPECT_TRUE(badge == "" || badge == "One" || badge == "Two");
  finderSync.requestBadgeIdentifierForURL(url);
  EXPECT_EQ(env.finderSyncController.badges().at(url), badge);

  // A folder's items at once: one line for the call, whatever its length, and each item badged.
  env.log.logLines.clear();
  const auto other = NSURL::fileURLWithPath("/home/user/Other");
  finderSync.requestBadgeIdentifiersForURLs({url, other, url});
  EXPECT_EQ(env.log.logLines,
            std::vector<std::string>{
                "requestBadgeIdentifiersForURLs: 3 items from /home/user/Documents"});
  EXPECT_EQ(env.finderSyncController.badges().at(url), badge);
  EXPECT_TRUE(env.finderSyncController.badges().contains(other));
}

TEST_F(FinderSyncStartupTest, ExportedSelectorsRunAndUnknownOnesAreRefused) {
  FinderSync finderSync(env.platform);
  EXPECT_TRUE(finderSync.performSelector("urlAdded", nullptr));
  EXPECT_EQ(env.log.outputLines, std::vector<std::string>{"dataadded"});

  storeFolders(PlistArray{"/x"}, PlistArray{1});
  EXPECT_TRUE(finderSync.performSelector("checkDirectoryUrl", nullptr));
  EXPECT_EQ(env.finderSyncController.directoryURLs(), urls({"/x"}));
  EXPECT_TRUE(finderSync.performSelector("reloadCustomFolders", nullptr));
  EXPECT_FALSE(finderSync.performSelector("noSuchSelector:", nullptr));
}

}  // namespace
}  // namespace plovane
