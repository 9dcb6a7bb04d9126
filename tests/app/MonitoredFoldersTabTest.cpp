// The Monitored folders tab: adding through the "Grant Access" sheet, removing after the
// confirmation, switching folders on and off, and the directory set handed to the file manager.
#include "app/foldersArrvc.h"
#include "app/tblcell.h"
#include "platform/Bookmarks.h"
#include "shared/MonitoredFolders.h"
#include "support/FileTree.h"
#include "tests/app/SettingsAppFixture.h"

namespace plovane {
namespace {

using platform::NSURL;
using platform::PlistArray;
using platform::PlistValue;
using platform::sim::ModalAnswer;

constexpr char kDuplicateText[] =
    "Some of the folders can not be added because they are already added to the Folders list.";

class MonitoredFoldersTabTest : public testing::SettingsAppFixture {
 protected:
  void SetUp() override { markFirstRunDone(); }

  app::foldersArrvc& folders() {
    tabs().setSelectedTabViewItemIndex(2);
    return tab<app::foldersArrvc>(2);
  }
  std::string folder(const std::string& name) {
    return testing::makeFolder(env.home.path() / name).string();
  }
  // Presses "Add Folder…"; the panel takes the first answer, alerts that follow the rest.
  void add(std::vector<ModalAnswer> answers) {
    for (auto& answer : answers) env.modals.answer(std::move(answer));
    platform::NSButton sender;
    folders().btnAddItems(sender);
    env.runLoop.drain();
  }
  void remove(std::int64_t row, const char* answer) {
    folders().tblview->selectRow(row);
    env.modals.answer(ModalAnswer::button(answer));
    platform::NSButton sender;
    folders().btnremoveitem(sender);
    env.runLoop.drain();
  }
  app::tblcell& cell(std::int64_t row) {
    return dynamic_cast<app::tblcell&>(*folders().tblview->viewAtColumnRow(0, row));
  }
  std::optional<PlistValue> stored(const char* key) { return env.openSuite()->objectForKey(key); }
  std::set<NSURL> directorySet() { return env.finderSyncController.directoryURLs(); }
};

TEST_F(MonitoredFoldersTabTest, AddingAFolderStoresItWithItsBookmarkAndSetsTheDirectorySet) {
  launch();
  const auto photos = folder("Photos");
  add({ModalAnswer::ok(photos)});
  const auto& panel = std::get<platform::NSOpenPanel>(env.modals.shown.front());
  EXPECT_EQ(panel.prompt, "Grant Access");
  EXPECT_FALSE(panel.allowsMultipleSelection);

  EXPECT_EQ(stored(keys::foldersArray), PlistValue(PlistArray{photos}));
  EXPECT_EQ(stored(keys::foldersArraystate), PlistValue(PlistArray{1}));
  const auto bookmark = std::get<platform::PlistData>(platform::bookmarkDataWithOptions(
      NSURL::fileURLWithPath(photos), platform::NSURLBookmarkCreationWithSecurityScope));
  EXPECT_EQ(stored(keys::allBookmark), PlistValue(PlistArray{bookmark}));
  EXPECT_EQ(directorySet(), std::set{NSURL::fileURLWithPath(photos)});

  ASSERT_EQ(folders().tblview->numberOfRows(), 1);
  EXPECT_EQ(cell(0).lbltitle->stringValue(), photos);
  EXPECT_EQ(cell(0).checkbox->state(), platform::NSControlStateValueOn);
  EXPECT_EQ(cell(0).imgview->image(), platform::NSImage::fileIcon(photos));
  EXPECT_EQ(cell(0).checkbox->accessibilityLabel(), photos);
}

TEST_F(MonitoredFoldersTabTest, AFolderAddedTwiceIsNoticedAndALetterCaseVariantIsAnother) {
  launch();
  const auto photos = folder("Photos"), lower = folder("photos");
  add({ModalAnswer::ok(photos)});
  add({ModalAnswer::ok(photos), ModalAnswer::button("OK")});
  EXPECT_EQ(lastAlert().messageText, kDuplicateText);
  EXPECT_EQ(lastAlert().alertStyle, platform::NSAlertStyle::informational);
  EXPECT_EQ(env.modals.openSheets(), 0u);
  EXPECT_EQ(stored(keys::foldersArray), PlistValue(PlistArray{photos}));

  add({ModalAnswer::ok(lower)});
  EXPECT_EQ(stored(keys::foldersArray), PlistValue(PlistArray{photos, lower}));
  EXPECT_EQ(stored(keys::allBookmark)->as<PlistArray>()->size(), 2u);
}

TEST_F(MonitoredFoldersTabTest, RemovingAsksFirstAndSetsTheDirectorySetFromEveryOtherFolder) {
  const auto a = folder("A"), b = folder("B"), c = folder("C");
  env.openSuite()->setObject(PlistArray{a, b, c}, keys::foldersArray);
  env.openSuite()->setObject(PlistArray{1, 0, 1}, keys::foldersArraystate);
  launch();
  platform::NSButton sender;
  folders().btnremoveitem(sender);  // no row selected
  EXPECT_TRUE(env.modals.shown.empty());

  remove(2, "Cancel");
  EXPECT_EQ(lastAlert().messageText, "Remove selected folder?");
  EXPECT_EQ(lastAlert().informativeText, "Are you sure you want to remove the selected folder.");
  EXPECT_EQ(env.modals.openSheets(), 0u);
  EXPECT_EQ(stored(keys::foldersArray), PlistValue(PlistArray{a, b, c}));

  remove(0, "OK");
  EXPECT_EQ(env.modals.openSheets(), 0u);
  EXPECT_EQ(stored(keys::foldersArray), PlistValue(PlistArray{b, c}));
  EXPECT_EQ(stored(keys::foldersArraystate), PlistValue(PlistArray{0, 1}));
  // Disabled folders are handed over too; the extension applies the flags when it starts.
  EXPECT_EQ(directorySet(), (std::set{NSURL::fileURLWithPath(b), NSURL::fileURLWithPath(c)}));
  EXPECT_EQ(folders().tblview->numberOfRows(), 2);
}

TEST_F(MonitoredFoldersTabTest, UntickingWritesTheFlagOnlyAndLeavesTheDirectorySet) {
  env.openSuite()->setObject(PlistArray{"/a", "/b"}, keys::foldersArray);
  env.openSuite()->setObject(PlistArray{1, 1}, keys::foldersArraystate);
  launch();
  env.finderSyncController.setDirectoryURLs({NSURL::fileURLWithPath("/elsewhere")});
  cell(1).checkbox->performClick();
  EXPECT_EQ(stored(keys::foldersArraystate), PlistValue(PlistArray{1, 0}));
  EXPECT_EQ(stored(keys::foldersArray), PlistValue(PlistArray{"/a", "/b"}));
  EXPECT_EQ(directorySet(), std::set{NSURL::fileURLWithPath("/elsewhere")});
  EXPECT_EQ(cell(1).checkbox->state(), platform::NSControlStateValueOff);
  EXPECT_EQ(enabledMonitoredFolderURLs(env.openSuite().get()),
            std::set{NSURL::fileURLWithPath("/a")});
}

TEST_F(MonitoredFoldersTabTest, MalformedListsShowWhatTheExtensionServesAndAreMendedOnWrite) {
  env.openSuite()->setObject(PlistArray{"/a", 5, "/b", "rel/dir", "/c"}, keys::foldersArray);
  env.openSuite()->setObject(PlistArray{1, 1, "yes", 1}, keys::foldersArraystate);
  launch();
  ASSERT_EQ(folders().tblview->numberOfRows(), 3);
  EXPECT_EQ(cell(0).checkbox->state(), platform::NSControlStateValueOn);
  EXPECT_EQ(cell(1).checkbox->state(), platform::NSControlStateValueOff);  // flag not a number
  EXPECT_EQ(cell(2).checkbox->state(), platform::NSControlStateValueOff);  // no flag at all
  EXPECT_EQ(enabledMonitoredFolderURLs(env.openSuite().get()),
            std::set{NSURL::fileURLWithPath("/a")});

  cell(2).checkbox->performClick();
  EXPECT_EQ(stored(keys::foldersArray), PlistValue(PlistArray{"/a", "/b", "/c"}));
  EXPECT_EQ(stored(keys::foldersArraystate), PlistValue(PlistArray{1, 0, 1}));
  EXPECT_EQ(enabledMonitoredFolderURLs(env.openSuite().get()),
            (std::set{NSURL::fileURLWithPath("/a"), NSURL::fileURLWithPath("/c")}));
}

// Another program (a second app, a script) changes the lists while the tab shows them: each
// change here applies to the lists as stored then, and the tab shows the result.
TEST_F(MonitoredFoldersTabTest, ChangesKeepWhatOtherProgramsStoredMeanwhile) {
  const auto a = folder("A"), b = folder("B"), c = folder("C"), d = folder("D"), e = folder("E");
  const auto elsewhere = [this](MonitoredFolderLists lists) {
    ASSERT_TRUE(writeMonitoredFolders(*env.openSuite(), lists));
  };
  const auto storedLists = [this] { return readMonitoredFolders(env.openSuite().get()); };
  elsewhere({{a}, {1}});
  launch();
  elsewhere({{a, b}, {1, 0}});
  add({ModalAnswer::ok(c)});
  EXPECT_EQ(storedLists(), (MonitoredFolderLists{{a, b, c}, {1, 0, 1}}));
  EXPECT_EQ(folders().tblview->numberOfRows(), 3);

  elsewhere({{a, b, c, d}, {1, 0, 1, 1}});
  cell(0).checkbox->performClick();
  EXPECT_EQ(storedLists(), (MonitoredFolderLists{{a, b, c, d}, {0, 0, 1, 1}}));

  elsewhere({{a, c, d, e}, {0, 1, 1, 1}});
  remove(2, "OK");  // c, shown in the third row before b went
  EXPECT_EQ(storedLists(), (MonitoredFolderLists{{a, d, e}, {0, 1, 1}}));
  EXPECT_EQ(directorySet().size(), 3u);

  add({ModalAnswer::ok(e), ModalAnswer::button("OK")});
  EXPECT_EQ(lastAlert().messageText, kDuplicateText);
  EXPECT_EQ(storedLists(), (MonitoredFolderLists{{a, d, e}, {0, 1, 1}}));
}

TEST_F(MonitoredFoldersTabTest, AFolderNameThatCannotBeStoredIsRefusedAndLaterAddsStillWork) {
  launch();
  add({ModalAnswer::ok(folder("Caf\xe9")), ModalAnswer::button("OK")});
  EXPECT_EQ(lastAlert().messageText, "The folder could not be added.");
  EXPECT_NE(lastAlert().informativeText.find("UTF-8"), std::string::npos);
  EXPECT_EQ(folders().tblview->numberOfRows(), 0);
  EXPECT_TRUE(directorySet().empty());

  const auto photos = folder("Photos");
  add({ModalAnswer::ok(photos)});
  EXPECT_EQ(stored(keys::foldersArray), PlistValue(PlistArray{photos}));
  EXPECT_EQ(stored(keys::foldersArraystate), PlistValue(PlistArray{1}));
}

TEST_F(MonitoredFoldersTabTest, FailedWritesPutTheListBackAndSayWhy) {
  env.openSuite()->setObject(PlistArray{"/a"}, keys::foldersArray);
  env.openSuite()->setObject(PlistArray{1}, keys::foldersArraystate);
  launch();
  breakWritesOf(kSuiteName);
  env.modals.answer(ModalAnswer::button("OK"));
  remove(0, "OK");
  EXPECT_EQ(lastAlert().messageText, "The folder could not be removed.");
  EXPECT_EQ(folders().tblview->numberOfRows(), 1);

  env.modals.answer(ModalAnswer::button("OK"));
  cell(0).checkbox->performClick();
  EXPECT_EQ(lastAlert().messageText, "Your change could not be saved.");
  EXPECT_EQ(cell(0).checkbox->state(), platform::NSControlStateValueOn);
}

TEST_F(MonitoredFoldersTabTest, WithoutAStoreTheListAndTheDirectorySetStillChange) {
  env.defaults.setSuitesUnavailable(true);
  env.modals.answer(platform::sim::ModalAnswer::button("OK"));  // "cannot save its settings"
  launch();
  const auto photos = folder("Photos");
  add({ModalAnswer::ok(photos)});
  EXPECT_EQ(folders().tblview->numberOfRows(), 1);
  EXPECT_EQ(directorySet(), std::set{NSURL::fileURLWithPath(photos)});
}

TEST_F(MonitoredFoldersTabTest, ABookmarkThatCannotBeMadeIsReportedAndTheFolderStays) {
  launch();
  const auto gone = (env.home.path() / "gone").string();
  add({ModalAnswer::ok(gone)});
  EXPECT_EQ(stored(keys::foldersArray), PlistValue(PlistArray{gone}));
  EXPECT_FALSE(stored(keys::allBookmark));
  ASSERT_FALSE(env.log.outputLines.empty());
  EXPECT_EQ(env.log.outputLines.back(), "Error storing bookmarks");
  EXPECT_EQ(directorySet(), std::set{NSURL::fileURLWithPath(gone)});
}

}  // namespace
}  // namespace plovane
