#include "platform/NSUserDefaults.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/TestEnvironment.h"

namespace platform {
namespace {

using plovane::testing::TemporaryFolder;

TEST(NSUserDefaultsTest, WriteIsSeenByAnotherHandleWithoutSynchronize) {
  TemporaryFolder home;
  UserDefaultsRoot root(home.path(), [](const std::string&) {});
  auto writer = root.initWithSuiteName("suite");
  auto reader = root.initWithSuiteName("suite");
  EXPECT_FALSE(reader->objectForKey("showmenuicon"));
  writer->setBool(true, "showmenuicon");
  writer->setInteger(1, "rateDone");
  EXPECT_EQ(reader->objectForKey("showmenuicon"), PlistValue(true));
  EXPECT_EQ(reader->objectForKey("rateDone"), PlistValue(1));
  writer->removeObjectForKey("rateDone");
  EXPECT_FALSE(reader->objectForKey("rateDone"));
  EXPECT_FALSE(reader->arrayForKey("showmenuicon"));
  EXPECT_EQ(root.fileForDomain("suite"), home.path() / "Preferences/suite.plist");
  EXPECT_TRUE(std::filesystem::exists(writer->file()));
}

TEST(NSUserDefaultsTest, FailedWriteStaysPendingAndSynchronizeReportsIt) {
  TemporaryFolder home;
  std::vector<std::string> logged;
  UserDefaultsRoot root(home.path(), [&](const std::string& line) { logged.push_back(line); });
  auto defaults = root.initWithSuiteName("suite");
  // A folder where the file should be makes every replace fail, also for root.
  std::filesystem::create_directories(defaults->file());
  defaults->setObject("kept", "key");
  EXPECT_TRUE(defaults->lastError());
  ASSERT_EQ(logged.size(), 1u);  // nobody may look at the result: the log tells of it
  EXPECT_NE(logged[0].find("settings not written"), std::string::npos) << logged[0];
  EXPECT_EQ(defaults->objectForKey("key"), PlistValue("kept"));
  EXPECT_FALSE(defaults->synchronize());

  std::filesystem::remove(defaults->file());
  EXPECT_TRUE(defaults->synchronize());
  EXPECT_FALSE(defaults->lastError());
  EXPECT_EQ(root.initWithSuiteName("suite")->objectForKey("key"), PlistValue("kept"));
}

TEST(NSUserDefaultsTest, RefusedValueIsReportedOnceAndDoesNotBlockLaterWrites) {
  TemporaryFolder home;
  std::vector<std::string> logged;
  UserDefaultsRoot root(home.path(), [&](const std::string& line) { logged.push_back(line); });
  auto defaults = root.initWithSuiteName("suite");
  defaults->setObject(PlistArray{"/home/u/Photos"}, "foldersArray");
  defaults->setObject(PlistArray{"/home/u/Caf\xe9"}, "foldersArray");
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_NE(logged[0].find("\"foldersArray\""), std::string::npos);
  EXPECT_FALSE(defaults->synchronize());
  EXPECT_TRUE(defaults->lastError());

  defaults->setInteger(1, "rateDone");
  EXPECT_TRUE(defaults->synchronize());
  EXPECT_FALSE(defaults->lastError());
  auto reader = root.initWithSuiteName("suite");
  EXPECT_EQ(reader->objectForKey("foldersArray"), PlistValue(PlistArray{"/home/u/Photos"}));
  EXPECT_EQ(reader->objectForKey("rateDone"), PlistValue(1));
}

TEST(NSUserDefaultsTest, KeysSetTogetherLandInOneReplaceOrNotAtAll) {
  TemporaryFolder home;
  std::vector<std::string> logged;
  UserDefaultsRoot root(home.path(), [&](const std::string& line) { logged.push_back(line); });
  auto defaults = root.initWithSuiteName("suite");
  auto reader = root.initWithSuiteName("suite");
  defaults->setValuesForKeysWithDictionary(
      {{"foldersArray", PlistArray{"/home/u/A"}}, {"foldersArraystate", PlistArray{1}}});
  EXPECT_TRUE(defaults->synchronize());
  EXPECT_EQ(reader->objectForKey("foldersArray"), PlistValue(PlistArray{"/home/u/A"}));
  EXPECT_EQ(reader->objectForKey("foldersArraystate"), PlistValue(PlistArray{1}));

  // One value the file cannot hold keeps the other from being stored alone.
  defaults->setValuesForKeysWithDictionary(
      {{"foldersArray", PlistArray{"/home/u/Caf\xe9"}}, {"foldersArraystate", PlistArray{1, 1}}});
  EXPECT_FALSE(defaults->synchronize());
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_NE(logged[0].find("\"foldersArray\""), std::string::npos);
  EXPECT_EQ(reader->objectForKey("foldersArraystate"), PlistValue(PlistArray{1}));
  EXPECT_EQ(defaults->objectForKey("foldersArraystate"), PlistValue(PlistArray{1}));
}

TEST(NSUserDefaultsTest, SuiteThatCannotBeOpenedGivesNoHandle) {
  TemporaryFolder home;
  std::vector<std::string> logged;
  std::filesystem::create_directories(home.path() / "root");
  { std::ofstream blocker(home.path() / "root/Preferences"); }
  UserDefaultsRoot root(home.path() / "root",
                        [&](const std::string& line) { logged.push_back(line); });
  EXPECT_FALSE(root.initWithSuiteName("suite"));
  EXPECT_EQ(logged.size(), 1u);

  UserDefaultsRoot forced(home.path(), [](const std::string&) {});
  forced.setSuitesUnavailable(true);
  EXPECT_FALSE(forced.initWithSuiteName("suite"));
  EXPECT_TRUE(forced.standardUserDefaults("com.example"));
}

TEST(NSUserDefaultsTest, DefaultRootFollowsTheEnvironment) {
  const auto keep = [](const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
  };
  const auto plovaneHome = keep("PLOVANE_HOME"), dataHome = keep("XDG_DATA_HOME"),
             home = keep("HOME");
  setenv("HOME", "/home/u", 1);
  unsetenv("PLOVANE_HOME");
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(UserDefaultsRoot::defaultRoot(), "/home/u/.local/share/plovane-menu");
  setenv("XDG_DATA_HOME", "/data", 1);
  EXPECT_EQ(UserDefaultsRoot::defaultRoot(), "/data/plovane-menu");
  setenv("PLOVANE_HOME", "/p", 1);
  EXPECT_EQ(UserDefaultsRoot::defaultRoot(), "/p");
  const auto restore = [](const char* name, const std::optional<std::string>& value) {
    value ? setenv(name, value->c_str(), 1) : unsetenv(name);
  };
  restore("PLOVANE_HOME", plovaneHome);
  restore("XDG_DATA_HOME", dataHome);
  restore("HOME", home);
}

}  // namespace
}  // namespace platform
