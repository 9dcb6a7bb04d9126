// What every file-manager module relies on: which items the bridge serves, and the extension's
// menu reply turned into entries a file manager can show.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/HostStateFile.h"
#include "core/MenuReply.h"

namespace plovane::bridge {
namespace {

namespace fs = std::filesystem;

class BridgeCoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() /
             ("bridge-core-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  // Replaced the way the store replaces it: a new file renamed into place.
  void writeHostState(const std::string& directories, const std::string& disabled) {
    const fs::path next = folder / "next.plist";
    std::ofstream(next) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">"
                           "<dict><key>DirectoryURLs</key><array>"
                        << directories << "</array><key>DisabledFileManagers</key><array>"
                        << disabled << "</array></dict></plist>\n";
    fs::rename(next, stateFile());
  }
  fs::path stateFile() const { return folder / "com.quenlow.plovanefinder.plist"; }

  fs::path folder;
};

TEST_F(BridgeCoreTest, ServesOnlyItemsInsideTheDirectorySet) {
  HostState state{{"/home/u/Work", "/srv/"}, {}};
  EXPECT_TRUE(state.containsAll({"/home/u/Work"}));
  EXPECT_TRUE(state.containsAll({"/home/u/Work/a.txt", "/srv/x/y"}));
  EXPECT_FALSE(state.containsAll({"/home/u/Workshop/a.txt"})) << "a sibling sharing the prefix";
  EXPECT_FALSE(state.containsAll({"/home/u/Work/a.txt", "/home/u/b.txt"}));
  EXPECT_FALSE(state.containsAll({})) << "an empty selection has no menu";
  const HostState root{{"/"}, {}};
  EXPECT_TRUE(root.containsAll({"/etc/hosts"}));
}

TEST_F(BridgeCoreTest, ReadsTheDirectorySetAndSwitchedOffManagersAgainOnlyWhenReplaced) {
  HostStateFile file(stateFile());
  EXPECT_TRUE(file.current().directories.empty()) << "no file yet: nothing is served";

  writeHostState("<string>/w</string><integer>3</integer>", "<string>nemo</string>");
  EXPECT_EQ(file.current().directories, std::vector<std::string>{"/w"});
  EXPECT_FALSE(file.current().enabledFor("nemo"));
  EXPECT_TRUE(file.current().enabledFor("caja"));

  writeHostState("<string>/v</string>", "");
  EXPECT_EQ(file.current().directories, std::vector<std::string>{"/v"});
  EXPECT_TRUE(file.current().enabledFor("nemo"));

  std::ofstream(stateFile()) << "not a property list";
  EXPECT_TRUE(file.current().directories.empty()) << "a damaged file serves nothing";
  fs::remove(stateFile());
  EXPECT_TRUE(file.current().directories.empty());
}

TEST_F(BridgeCoreTest, ImagesBecomeThemeNamesOrFiles) {
  std::ofstream(folder / "1.svg") << "<svg/>";
  fs::create_directories(folder / "Shortcuts");
  const std::string reply = R"({"title":"","resources":")" + folder.string() + R"(","items":[
    {"title":"Open Terminal","action":"commenAction:","tag":0,"enabled":true,
     "image":{"kind":"asset","name":"1","width":16,"height":16}},
    {"title":"Add Folders","action":"commenAction:","tag":3,"enabled":false,
     "image":{"kind":"system","name":"NSAddTemplate","width":16,"height":16}},
    {"title":"Shortcuts","action":"customFolderClicked:","tag":0,"enabled":true,
     "image":{"kind":"canvas","name":"","width":24,"height":24,"drawing":{"from":[0,0,0,0],
       "in":[0,0,24,24],"operation":2,"fraction":1,
       "source":{"kind":"fileIcon","name":")" +
                            (folder / "Shortcuts").string() + R"(","width":32,"height":32}}}},
    {"title":"Tool","action":"customFolderClicked:","tag":1,"enabled":true,
     "image":{"kind":"applicationIcon","name":"/nowhere/Tool.app","width":16,"height":16}},
    {"title":"Plain","action":"sampleAction:","tag":0,"enabled":true}]})";

  const auto entries = entriesFromMenuReply(reply);
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 5u);
  EXPECT_EQ((*entries)[0].icon, (folder / "1.svg").string());
  EXPECT_EQ((*entries)[1].icon, "list-add-symbolic");
  EXPECT_FALSE((*entries)[1].enabled);
  EXPECT_EQ((*entries)[1].tag, 3);
  EXPECT_EQ((*entries)[2].icon, "folder");
  EXPECT_EQ((*entries)[3].icon, "application-x-executable");
  EXPECT_EQ((*entries)[4].icon, "");
}

TEST_F(BridgeCoreTest, AnEntryThatActsAndOpensASubmenuGetsAFirstChildThatActs) {
  const auto entries = entriesFromMenuReply(R"({"title":"","resources":"","items":[
    {"title":"Shortcuts","action":"customFolderClicked:","tag":2,"enabled":true,
     "submenuTitle":"","submenu":[
       {"title":"notes.txt","action":"subFolderClicked:","tag":7,"enabled":true}]},
    {"title":"","action":"","tag":0,"enabled":true},
    {"title":"Plovane Menu","action":"","tag":0,"enabled":true,"submenuTitle":"","submenu":[
       {"title":"Copy path","action":"commenAction:","tag":5,"enabled":true}]}]})");
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 2u) << "the separator has no place in a file manager's items";
  const Entry& shortcuts = (*entries)[0];
  ASSERT_EQ(shortcuts.submenu.size(), 2u);
  EXPECT_EQ(shortcuts.submenu[0].title, "Shortcuts");
  EXPECT_EQ(shortcuts.submenu[0].action, "customFolderClicked:");
  EXPECT_EQ(shortcuts.submenu[0].tag, 2);
  EXPECT_TRUE(shortcuts.submenu[0].submenu.empty());
  EXPECT_EQ(shortcuts.submenu[1].title, "notes.txt");
  const Entry& group = (*entries)[1];
  ASSERT_EQ(group.submenu.size(), 1u) << "an entry that only opens its submenu gets no child";
  EXPECT_EQ(group.submenu[0].action, "commenAction:");
}

TEST_F(BridgeCoreTest, AReplyThatIsNoMenuGivesNone) {
  EXPECT_FALSE(entriesFromMenuReply("{"));
  EXPECT_FALSE(entriesFromMenuReply("[]"));
  EXPECT_FALSE(entriesFromMenuReply(R"({"items":[{"action":"x"}]})")) << "an entry without title";
  EXPECT_FALSE(entriesFromMenuReply(R"({"items":[3]})"));
  EXPECT_FALSE(entriesFromMenuReply(R"({"items":[{"title":"a","submenu":[{"tag":1}]}]})"));
  const auto empty = entriesFromMenuReply(R"({"items":[]})");
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->empty());
}

}  // namespace
}  // namespace plovane::bridge
