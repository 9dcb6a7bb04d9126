#include "platform/NSUserDefaults.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
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

TEST(NSUserDefaultsTest, FailedWriteIsDroppedAndReportedByTheNextSynchronize) {
  TemporaryFolder home;
  std::vector<std::string> logged;
  UserDefaultsRoot root(home.path(), [&](const std::string& line) { logged.push_back(line); });
  auto defaults = root.initWithSuiteName("suite");
  defaults->setObject("stored", "key");
  // A folder in place of the lock file makes every write fail, also for root.
  std::filesystem::path lock = defaults->file();
  lock += ".lock";
  std::filesystem::remove(lock);
  std::filesystem::create_directories(lock);
  defaults->setObject("refused", "key");
  EXPECT_TRUE(defaults->lastError());
  ASSERT_EQ(logged.size(), 1u);  // nobody may look at the result: the log tells of it
  EXPECT_NE(logged[0].find("settings not written"), std::string::npos) << logged[0];
  EXPECT_EQ(defaults->objectForKey("key"), PlistValue("stored"));
  EXPECT_FALSE(defaults->synchronize());
  EXPECT_TRUE(defaults->synchronize()) << "reported once";

  // The next write that succeeds carries only its own change.
  std::filesystem::remove(lock);
  defaults->setBool(true, "other");
  EXPECT_FALSE(defaults->lastError());
  auto reader = root.initWithSuiteName("suite");
  EXPECT_EQ(reader->objectForKey("key"), PlistValue("stored"));
  EXPECT_EQ(reader->objectForKey("other"), PlistValue(true));
}

// The store reads files up to 1 MiB; a write that would pass that is refused and says so, and
// the file, still readable, takes later writes that fit.
TEST(NSUserDefaultsTest, AWriteBeyondTheReadersBoundIsRefusedByName) {
  TemporaryFolder home;
  UserDefaultsRoot root(home.path(), [](const std::string&) {});
  auto defaults = root.initWithSuiteName("suite");
  const auto fill = [&](std::size_t bytes) {
    defaults->setObject(PlistData(bytes, 'a'), "big");
    return std::filesystem::file_size(defaults->file());
  };
  constexpr std::size_t kBound = 1024 * 1024;
  const auto size = fill(kBound - 200);
  ASSERT_EQ(fill(kBound - 200 + (kBound - 40 - size)), kBound - 40);

  defaults->setObject(PlistData(100, 'b'), "more");
  ASSERT_TRUE(defaults->lastError());
  EXPECT_NE(defaults->lastError()->find("1 MiB, the most a settings file may hold"),
            std::string::npos)
      << *defaults->lastError();
  EXPECT_FALSE(defaults->objectForKey("more"));
  EXPECT_FALSE(defaults->synchronize());

  defaults->setBool(true, "fits");
  EXPECT_FALSE(defaults->lastError());
  auto reader = root.initWithSuiteName("suite");
  EXPECT_EQ(reader->objectForKey("fits"), PlistValue(true));
  EXPECT_TRUE(reader->objectForKey("big"));
  EXPECT_TRUE(root.takeSetAsideFiles().empty());
}

TEST(NSUserDefaultsTest, FilesMovedAsideAreGivenOnceToWhoeverTakesThem) {
  TemporaryFolder home;
  UserDefaultsRoot root(home.path(), [](const std::string&) {});
  auto suite = root.initWithSuiteName("suite");
  auto own = root.standardUserDefaults("com.example");
  { std::ofstream(suite->file()) << "not a property list"; }
  { std::ofstream(own->file()) << "<plist><dict><key>a</key>"; }
  EXPECT_FALSE(suite->objectForKey("key"));
  EXPECT_FALSE(own->objectForKey("key"));

  // Another program's root on the same folder sees the record.
  UserDefaultsRoot other(home.path(), [](const std::string&) {});
  const auto taken = other.takeSetAsideFiles();
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].domain, "suite");
  EXPECT_EQ(taken[1].domain, "com.example");
  for (const auto& file : taken) {
    EXPECT_TRUE(std::filesystem::is_regular_file(file.path)) << file.path;
    EXPECT_EQ(file.path.parent_path(), suite->file().parent_path());
  }
  std::ifstream kept(taken[0].path);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "not a property list");
  EXPECT_TRUE(root.takeSetAsideFiles().empty());

  // One removed before anyone took it is not named.
  std::filesystem::remove(taken[0].path);
  { std::ofstream(suite->file()) << "broken again"; }
  EXPECT_FALSE(suite->objectForKey("key"));
  for (const auto& entry : std::filesystem::directory_iterator(suite->file().parent_path())) {
    if (entry.path().filename().string().starts_with("suite.plist.corrupt-"))
      std::filesystem::remove(entry.path());
  }
  EXPECT_TRUE(root.takeSetAsideFiles().empty());
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

// Another program's write lands between two reads of one request: the request still sees one
// state, its own process's writes included, and the next request sees the write.
TEST(NSUserDefaultsTest, HeldReadsSeeOneStateAndOwnWritesAndANestedHoldLooksAgain) {
  TemporaryFolder home;
  UserDefaultsRoot root(home.path(), [](const std::string&) {});
  UserDefaultsRoot otherProgram(home.path(), [](const std::string&) {});
  auto reader = root.initWithSuiteName("suite");
  auto writer = root.initWithSuiteName("suite");
  otherProgram.initWithSuiteName("suite")->setBool(true, "showmenuicon");
  {
    const auto oneState = root.holdReads();
    EXPECT_EQ(reader->objectForKey("showmenuicon"), PlistValue(true));
    otherProgram.initWithSuiteName("suite")->setBool(false, "showmenuicon");
    EXPECT_EQ(reader->objectForKey("showmenuicon"), PlistValue(true));
    writer->setInteger(1, "rateDone");
    EXPECT_EQ(reader->objectForKey("rateDone"), PlistValue(1));
  }
  EXPECT_EQ(reader->objectForKey("showmenuicon"), PlistValue(false));

  // A call answered while a dialog of another waits takes the settings anew.
  const auto waiting = root.holdReads();
  EXPECT_EQ(reader->objectForKey("showmenuicon"), PlistValue(false));
  otherProgram.initWithSuiteName("suite")->setBool(true, "showmenuicon");
  const auto answered = root.holdReads();
  EXPECT_EQ(reader->objectForKey("showmenuicon"), PlistValue(true));
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
  ASSERT_TRUE(root.openError());
  EXPECT_NE(root.openError()->find("root/Preferences"), std::string::npos) << *root.openError();

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
