// The Custom folders tab: the shortcut list as the extension stores it, refreshed when the tab
// appears and when the extension added a folder, and deleted row by row.
#include "app/customFoldersVc.h"
#include "app/tblcell.h"
#include "support/FileTree.h"
#include "tests/app/SettingsAppFixture.h"

namespace plovane {
namespace {

using platform::PlistArray;
using platform::PlistValue;

class CustomFoldersTabTest : public testing::SettingsAppFixture {
 protected:
  void SetUp() override { markFirstRunDone(); }

  app::customFoldersVc& custom() {
    tabs().setSelectedTabViewItemIndex(4);
    return tab<app::customFoldersVc>(4);
  }
  app::tblcell& cell(std::int64_t row) {
    return dynamic_cast<app::tblcell&>(*custom().tblview->viewAtColumnRow(0, row));
  }
  std::vector<std::string> titles() {
    std::vector<std::string> shown;
    for (std::int64_t row = 0; row < custom().tblview->numberOfRows(); ++row)
      shown.push_back(cell(row).lbltitle->stringValue());
    return shown;
  }
  void storePaths(PlistValue paths) {
    env.openSuite()->setObject(std::move(paths), keys::arrCustomFoldersUrls);
  }
  void extensionAdded(const std::string& object = kExtensionBundleIdentifier) {
    env.notifications.postNotificationName(notifications::ReloadCustomFolders, object);
    env.runLoop.drain();
  }
};

TEST_F(CustomFoldersTabTest, AbsentOrMistypedListsShowNothingNew) {
  launch();
  EXPECT_EQ(custom().tblview->numberOfRows(), 0);
  storePaths(PlistArray{"/a/Docs"});
  tabs().setSelectedTabViewItemIndex(0);
  EXPECT_EQ(titles(), std::vector<std::string>{"Docs"});
  storePaths(PlistArray{"/a/Docs", 7});  // not all strings: the shown list stays
  tabs().setSelectedTabViewItemIndex(0);
  EXPECT_EQ(titles(), std::vector<std::string>{"Docs"});
}

TEST_F(CustomFoldersTabTest, AnApplicationShowsItsNameWithExtensionAndItsOwnIcon) {
  const auto app = env.home.path() / "Tool.app";
  testing::writeBundleInfo(app, "<key>CFBundleIdentifier</key><string>com.example.tool</string>");
  const auto docs = testing::makeFolder(env.home.path() / "Docs");
  storePaths(PlistArray{app.string(), docs.string()});
  launch();
  EXPECT_EQ(titles(), (std::vector<std::string>{"Tool.app", "Docs"}));
  EXPECT_EQ(cell(0).imgview->image(),
            platform::NSImage::applicationIcon(*platform::NSBundle::bundleWithPath(app)));
  EXPECT_EQ(cell(1).imgview->image(), platform::NSImage::fileIcon(docs.string()));
  EXPECT_EQ(cell(0).btnDelete->accessibilityLabel(), "Delete Tool.app");
}

TEST_F(CustomFoldersTabTest, DeletingTheMiddleRowKeepsTheOthersInOrder) {
  storePaths(PlistArray{"/x/A", "/x/B", "/x/C"});
  launch();
  cell(1).btnDelete->performClick();
  EXPECT_EQ(env.openSuite()->objectForKey(keys::arrCustomFoldersUrls),
            PlistValue(PlistArray{"/x/A", "/x/C"}));
  EXPECT_EQ(titles(), (std::vector<std::string>{"A", "C"}));
  EXPECT_TRUE(env.modals.shown.empty());
}

TEST_F(CustomFoldersTabTest, AFolderAddedByTheExtensionShowsWithoutAnyAction) {
  storePaths(PlistArray{"/x/A"});
  launch();
  EXPECT_EQ(titles(), std::vector<std::string>{"A"});
  storePaths(PlistArray{"/x/A", "/x/B"});
  extensionAdded("someone.else");
  EXPECT_EQ(titles(), std::vector<std::string>{"A"});
  extensionAdded();
  EXPECT_EQ(titles(), (std::vector<std::string>{"A", "B"}));
}

TEST_F(CustomFoldersTabTest, DeletingKeepsAFolderTheExtensionAddedMeanwhile) {
  storePaths(PlistArray{"/x/A", "/x/B"});
  launch();
  EXPECT_EQ(titles(), (std::vector<std::string>{"A", "B"}));
  storePaths(PlistArray{"/x/A", "/x/B", "/x/New"});  // not yet heard of
  cell(0).btnDelete->performClick();
  EXPECT_EQ(env.openSuite()->objectForKey(keys::arrCustomFoldersUrls),
            PlistValue(PlistArray{"/x/B", "/x/New"}));
  EXPECT_EQ(titles(), (std::vector<std::string>{"B", "New"}));
}

TEST_F(CustomFoldersTabTest, AFailedDeleteKeepsTheRowAndSaysWhy) {
  storePaths(PlistArray{"/x/A"});
  launch();
  breakWritesOf(kSuiteName);
  env.modals.answer(platform::sim::ModalAnswer::button("OK"));
  cell(0).btnDelete->performClick();
  EXPECT_EQ(titles(), std::vector<std::string>{"A"});
  EXPECT_EQ(std::get<platform::NSAlert>(env.modals.shown.back()).messageText,
            "The folder could not be deleted.");
}

}  // namespace
}  // namespace plovane
