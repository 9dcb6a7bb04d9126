// What every file-manager module relies on: which items the bridge serves, and the extension's
// menu reply turned into entries a file manager can show.
#include <glib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

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

// Which path lies inside is the shared rule (tests/protocol/InsideFolderTest.cpp).
TEST_F(BridgeCoreTest, ServesOnlyASelectionWhollyInsideTheDirectorySet) {
  HostState state{{"/home/u/Work", "/srv/"}, {}};
  EXPECT_TRUE(state.containsAll({"/home/u/Work/a.txt", "/srv/x/y"}));
  EXPECT_FALSE(state.containsAll({"/home/u/Work/a.txt", "/home/u/b.txt"}));
  EXPECT_FALSE(state.containsAll({})) << "an empty selection has no menu";
}

// A FIFO held the file manager in open(2) for ever; a device was read as a settings file.
TEST_F(BridgeCoreTest, AStateFileThatIsNotARegularFileServesNothingWithoutWaiting) {
  HostStateFile file(stateFile());
  const struct {
    const char* what;
    std::function<void()> replace;
  } replacements[] = {
      {"a FIFO", [&] { ASSERT_EQ(::mkfifo(stateFile().c_str(), 0600), 0); }},
      {"a link to a device", [&] { fs::create_symlink("/dev/zero", stateFile()); }},
      {"a folder", [&] { fs::create_directory(stateFile()); }},
  };
  for (const auto& [what, replace] : replacements) {
    writeHostState("<string>/w</string>", "");
    ASSERT_EQ(file.current().directories, std::vector<std::string>{"/w"});
    fs::remove(stateFile());
    replace();
    EXPECT_TRUE(file.current().directories.empty()) << what;
    fs::remove(stateFile());
  }
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

TEST_F(BridgeCoreTest, TheReplyIsReadAsJsonAndNothingElse) {
  const auto entries = entriesFromMenuReply(
      "{\"x\":{\"a\":[1,{\"b\":\"]}\\\"\"}],\"c\":null},\"items\":[{\"u\":[[],{}],"
      "\"\\u0074itle\":\"\\\"\\\\\\/\\b\\f\\n\\r\\t\\u00e9\\u20AC\\ud83d\\ude00\","
      "\"tag\":1.25E+2,\"enabled\":0.0e5,\"action\":\"a:\"},"
      "{\"title\":\"b\",\"tag\":-9.9e0,\"action\":\"b:\"}],\"resources\":\"\"} \r\n\t");
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 2u);
  EXPECT_EQ((*entries)[0].title, "\"\\/\b\f\n\r\t\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ((*entries)[0].tag, 125);
  EXPECT_FALSE((*entries)[0].enabled);
  EXPECT_EQ((*entries)[1].tag, -9);

  const std::string valid = R"({"items":[{"title":"a","tag":10,"enabled":true}]})";
  for (std::size_t length = 1; length < valid.size(); ++length) {
    EXPECT_FALSE(entriesFromMenuReply(valid.substr(0, length))) << valid.substr(0, length);
  }
  for (const char* invalid : {
           R"({"items":[{"title":"a"},]})",
           R"({"items":[],})",
           R"({"items":[{"title":"a","tag":01}]})",
           R"({"items":[{"title":"a","tag":1.}]})",
           R"({"items":[{"title":"a","tag":.5}]})",
           R"({"items":[{"title":"a","tag":+1}]})",
           R"({"items":[{"title":"a","tag":NaN}]})",
           R"({"items":[{"title":'a'}]})",
           "{\"items\":[{\"title\":\"a\tb\"}]}",
           R"({"items":[{"title":"\x"}]})",
           R"({"items":[{"title":"\u12"}]})",
           R"({"items":[{"title":"a","enabled":tru}]})",
           R"({"items":[{"title" "a"}]})",
           R"({"items":[]} /**/)",
           R"({"items":[]}{})",
       }) {
    EXPECT_FALSE(entriesFromMenuReply(invalid)) << invalid;
  }
}

// Icon files are looked for once while the resources folder is unchanged, so one changed since
// must be looked in again, even when its time is set back.
TEST_F(BridgeCoreTest, AnIconFileAddedOrRemovedShowsInTheNextMenu) {
  const fs::path resources = folder / "Resources";
  fs::create_directories(resources);
  std::ofstream(resources / "1.svg") << "<svg/>";
  const auto settle = [&](int hours) {
    fs::last_write_time(resources, fs::file_time_type::clock::now() - std::chrono::hours(hours));
  };
  const std::string reply = R"({"resources":")" + resources.string() + R"(","items":[
    {"title":"1","action":"a:","image":{"kind":"asset","name":"1"}},
    {"title":"2","action":"a:","image":{"kind":"asset","name":"2"}}]})";
  const auto icons = [&] {
    const auto entries = entriesFromMenuReply(reply);
    return entries ? std::vector<std::string>{entries->at(0).icon, entries->at(1).icon}
                   : std::vector<std::string>{};
  };
  settle(1);
  EXPECT_EQ(icons(), (std::vector<std::string>{(resources / "1.svg").string(), ""}));
  std::ofstream(resources / "2.png") << "png";
  settle(2);
  EXPECT_EQ(icons(), (std::vector<std::string>{(resources / "1.svg").string(),
                                               (resources / "2.png").string()}));
  fs::remove(resources / "1.svg");
  settle(3);
  EXPECT_EQ(icons(), (std::vector<std::string>{"", (resources / "2.png").string()}));
}

std::string nestedSubmenus(int levels) {
  const std::size_t groups = static_cast<std::size_t>(levels - 1);
  std::string reply = R"({"resources":"","items":[)";
  for (std::size_t level = 0; level < groups; ++level) {
    reply += R"({"title":"group","action":"","submenu":[)";
  }
  reply += R"({"title":"leaf","action":"commenAction:","tag":1})";
  for (std::size_t level = 0; level < groups; ++level) reply += "]}";
  return reply + "]}";
}

// A reply of exactly `bytes`, as many entries as fit, and how many that is.
std::pair<std::string, std::size_t> flatReply(std::size_t bytes) {
  const std::string entry = R"({"title":"Copy path","action":"commenAction:","tag":5},)";
  std::string reply = R"({"resources":"","items":[)";
  std::size_t entries = 0;
  for (; reply.size() + entry.size() + 1 <= bytes; ++entries) reply += entry;
  reply.back() = ']';
  reply.resize(bytes - 1, ' ');
  return {reply + "}", entries};
}

// Whoever owns the bus name answers: a reply too deep for the reader or our conversion
// ended the file manager's process, and a large one held its main thread for seconds.
TEST_F(BridgeCoreTest, AReplyBeyondTheBoundsIsRefusedBeforeItIsParsed) {
  const auto [withinBound, entries] = flatReply(kMaxMenuReplyBytes);
  ASSERT_EQ(withinBound.size(), kMaxMenuReplyBytes);
  const std::string brackets = std::string(100'000, '[') + std::string(100'000, ']');
  const struct {
    const char* what;
    std::string reply;
    bool accepted;
  } cases[] = {
      {"100,000 nested arrays", R"({"items":[)" + brackets + "]}", false},
      {"20,000 nested submenus", nestedSubmenus(20'000), false},
      {"nine levels of submenus", nestedSubmenus(kMaxMenuLevels + 1), false},
      {"eight levels of submenus", nestedSubmenus(kMaxMenuLevels), true},
      {"brackets inside a title", R"({"items":[{"title":"\"[[[[[[[[[[[[[[[[[[[[[[[[[[[[[["}]})",
       true},
      {"one byte over the size bound", withinBound + " ", false},
      {"a flat menu as large as the bound", withinBound, true},
  };
  for (const auto& [what, reply, accepted] : cases) {
    EXPECT_EQ(entriesFromMenuReply(reply).has_value(), accepted) << what;
  }
  EXPECT_EQ(entriesFromMenuReply(withinBound)->size(), entries);
  EXPECT_EQ(entriesFromMenuReply(nestedSubmenus(kMaxMenuLevels))->at(0).title, "group");
}

TEST_F(BridgeCoreTest, TitlesAreValidUtf8AndIconFilesComeOnlyFromTheBundlesResources) {
  const fs::path bundle = folder / "Own.appex";
  const fs::path resources = bundle / "Resources";
  fs::create_directories(resources);
  fs::create_directories(folder / "Other.app/Resources");
  for (const auto& file : {resources / "1.png", resources / "AppIcon.svg", folder / "secret.png",
                           folder / "Other.app/Resources/AppIcon.svg"}) {
    std::ofstream(file) << "<svg/>";
  }
  const auto image = [](const std::string& kind, const std::string& name) {
    return R"({"title":"\ud800 x","action":"a:","image":{"kind":")" + kind + R"(","name":")" +
           name + R"("}})";
  };
  const auto entries = entriesFromMenuReply(
      R"({"resources":")" + resources.string() + "/./\",\"items\":[" + image("asset", "1") + "," +
      image("asset", "../../secret") + "," + image("applicationIcon", bundle.string()) + "," +
      image("applicationIcon", (folder / "Other.app").string()) + "]}");
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 4u);
  const std::string& title = (*entries)[0].title;
  EXPECT_TRUE(g_utf8_validate(title.c_str(), -1, nullptr));
  EXPECT_TRUE(title.starts_with("\xEF\xBF\xBD")) << "U+FFFD in its place";
  EXPECT_EQ((*entries)[0].icon, (resources / "1.png").string());
  EXPECT_EQ((*entries)[1].icon, "") << "an asset's name leads out of the resources";
  EXPECT_EQ((*entries)[2].icon, (resources / "AppIcon.svg").string()) << "the extension's own";
  EXPECT_EQ((*entries)[3].icon, "application-x-executable") << "another bundle's file";

  const auto relative =
      entriesFromMenuReply(R"({"resources":"Resources","items":[)" + image("asset", "1") + "]}");
  ASSERT_TRUE(relative);
  EXPECT_EQ(relative->at(0).icon, "") << "resources that are not an absolute folder hold nothing";
}

}  // namespace
}  // namespace plovane::bridge
