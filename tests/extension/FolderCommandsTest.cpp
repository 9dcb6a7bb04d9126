#include <gtest/gtest.h>

#include <fstream>

#include "shared/CommandCatalogue.h"
#include "shared/SettingsKeys.h"
#include "support/CommandFixture.h"

namespace plovane {
namespace {

using platform::NSAlert;
using platform::NSOpenPanel;
using platform::NSURL;
using platform::PlistArray;
using platform::PlistValue;
using platform::sim::ModalAnswer;

class FolderCommandsTest : public testing::CommandFixture {
 protected:
  void SetUp() override {
    env.extensionDefaults()->setInteger(1, keys::rateDone);
    destination = testing::makeFolder(env.home.path() / "Destination");
  }
  std::filesystem::path destination;
};

TEST_F(FolderCommandsTest, CopyExplainsThenAsksForItemAndDestination) {
  select({work / "a.txt", work / "b.txt"});
  answer({ModalAnswer::button("OK"), ModalAnswer::ok((work / "c.txt").string()),
          ModalAnswer::ok(destination.string())});
  choose(kCopyToAFolder);
  EXPECT_TRUE(std::filesystem::exists(destination / "c.txt"));
  EXPECT_TRUE(std::filesystem::exists(work / "c.txt"));
  EXPECT_FALSE(std::filesystem::exists(destination / "a.txt"));

  const auto& explanation = shown<NSAlert>(0);
  EXPECT_EQ(explanation.messageText, "Please allow copying/moving of folder by:");
  EXPECT_EQ(explanation.informativeText,
            "Step 1:- Select the item which you want to Copy in open panel.\n\nStep 2:- Select "
            "Destination folder where you want to Copy the selected item.");
  const auto& item = shown<NSOpenPanel>(1);
  EXPECT_EQ(item.prompt, "Select Item");
  EXPECT_EQ(item.message, "Step 1:- Select the item which you want to Copy");
  EXPECT_EQ(item.directoryURL, NSURL::fileURLWithPath((work / "a.txt").string()));
  EXPECT_TRUE(item.canChooseFiles);
  EXPECT_TRUE(item.canChooseDirectories);
  EXPECT_TRUE(item.showsHiddenFiles);
  EXPECT_FALSE(item.allowsMultipleSelection);
  EXPECT_FALSE(item.treatsFilePackagesAsDirectories);
  const auto& folder = shown<NSOpenPanel>(2);
  EXPECT_EQ(folder.prompt, "Select Destination Folder");
  EXPECT_EQ(folder.message,
            "Step 2:- Select Destination folder where you want to Copy the selected item");
  EXPECT_EQ(folder.directoryURL, NSURL::fileURLWithPath(work.string()));
  EXPECT_FALSE(folder.canChooseFiles);
}

TEST_F(FolderCommandsTest, MoveMovesOnlyThePickedItemAndThenMayAskForARating) {
  env.extensionDefaults()->removeObjectForKey(keys::rateDone);
  env.extensionDefaults()->setObject(platform::PlistDate{-1e6}, keys::alertVisibledate);
  select({work / "a.txt", work / "b.txt", work / "c.txt"});
  testing::makeFolder(work / "Sub", {"inner"});
  answer({ModalAnswer::button("OK"), ModalAnswer::ok((work / "Sub").string()),
          ModalAnswer::ok(destination.string()), ModalAnswer::button("No, Thanks!")});
  choose(kMoveToAFolder);
  EXPECT_TRUE(std::filesystem::exists(destination / "Sub/inner"));
  EXPECT_FALSE(std::filesystem::exists(work / "Sub"));
  EXPECT_TRUE(std::filesystem::exists(work / "a.txt"));
  EXPECT_NE(shown<NSAlert>(0).informativeText.find("want to Move the selected"), std::string::npos);
  EXPECT_TRUE(ratingPromptShown());
}

TEST_F(FolderCommandsTest, ExistingNameFailsWithTheSystemsMessageAndOverwritesNothing) {
  select({work / "a.txt"});
  std::ofstream(destination / "a.txt") << "keep me";
  answer({ModalAnswer::button("OK"), ModalAnswer::ok((work / "a.txt").string()),
          ModalAnswer::ok(destination.string()), ModalAnswer::button("OK")});
  choose(kCopyToAFolder);
  const auto& failure = shown<NSAlert>(3);
  EXPECT_NE(failure.messageText.find("same name already exists"), std::string::npos);
  EXPECT_EQ(failure.informativeText, "");
  std::ifstream kept(destination / "a.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me");
}

TEST_F(FolderCommandsTest, CancellingOrAnEmptyAnswerEndsSilently) {
  select({work / "a.txt"});
  answer({ModalAnswer::button("OK"), ModalAnswer::ok((work / "a.txt").string()),
          ModalAnswer::cancel(), ModalAnswer::button("OK"), ModalAnswer::ok()});
  choose(kMoveToAFolder);
  choose(kMoveToAFolder);
  EXPECT_EQ(env.modals.shown.size(), 5u);
  EXPECT_TRUE(std::filesystem::exists(work / "a.txt"));
}

TEST_F(FolderCommandsTest, AddFoldersListsTheFolderStoresItAndNotifies) {
  // A prompt would be due, so its absence says Add Folders never asks.
  env.extensionDefaults()->removeObjectForKey(keys::rateDone);
  env.extensionDefaults()->setObject(platform::PlistDate{-1e6}, keys::alertVisibledate);
  const auto added = testing::makeFolder(env.home.path() / "Added", {"x", "y", ".z"});
  select({work / "a.txt"});
  answer({ModalAnswer::ok(added.string()), ModalAnswer::ok(added.string())});
  choose(kAddFolders);
  const auto& panel = shown<NSOpenPanel>(0);
  EXPECT_EQ(panel.prompt, "Add");
  EXPECT_EQ(panel.message, "Select Folder");
  EXPECT_TRUE(panel.treatsFilePackagesAsDirectories);
  EXPECT_FALSE(panel.canChooseFiles);
  const auto& folders = extension().customFolders().folders();
  ASSERT_EQ(folders.size(), 1u);
  std::vector<std::int64_t> tags;
  for (const auto& entry : folders[0].arrSubItems) tags.push_back(entry.tag);
  EXPECT_EQ(tags, (std::vector<std::int64_t>{1, 2, 3}));
  ASSERT_EQ(env.notifications.posts.size(), 1u);
  EXPECT_EQ(env.notifications.posts[0].name, "ReloadCustomFolders");

  choose(kAddFolders);
  auto store = env.openSuite();
  EXPECT_EQ(store->arrayForKey(keys::arrCustomFolders)->size(), 1u);
  EXPECT_EQ(store->objectForKey(keys::arrCustomFoldersUrls),
            PlistValue(PlistArray{added.string(), added.string()}));
  EXPECT_FALSE(ratingPromptShown());
  // The new folder is in the next menu, with its contents.
  const auto menu = extension().menuForMenuKind(platform::FIMenuKind::contextualMenuForItems);
  EXPECT_EQ(menu->items[menu->numberOfItems() - 2].title, "Added");
}

TEST_F(FolderCommandsTest, HideFlowTakesItsDirectionFromTheRightClickedItem) {
  const auto hiddenPath = work / ".secret";
  std::ofstream(hiddenPath).put('x');
  select({work / "a.txt"});
  answer({ModalAnswer::ok((work / "b.txt").string())});
  choose(kHideUnhideItem);
  const auto& panel = shown<NSOpenPanel>(0);
  EXPECT_EQ(panel.message, "Please select the file that you want to Hide");
  EXPECT_EQ(panel.prompt, "Hide");
  EXPECT_TRUE(panel.showsHiddenFiles);
  EXPECT_EQ(platform::resourceValueIsHidden(NSURL::fileURLWithPath((work / "b.txt").string())),
            true);
  EXPECT_EQ(platform::resourceValueIsHidden(NSURL::fileURLWithPath((work / "a.txt").string())),
            false);

  // Hiding an already hidden item changes nothing and still counts as done.
  answer({ModalAnswer::ok(hiddenPath.string())});
  choose(kHideUnhideItem);
  EXPECT_TRUE(env.log.outputLines.empty());

  select({work / "b.txt"});
  answer({ModalAnswer::ok((work / "b.txt").string())});
  choose(kHideUnhideItem);
  EXPECT_EQ(shown<NSOpenPanel>(2).prompt, "Unhide");
  EXPECT_EQ(platform::resourceValueIsHidden(NSURL::fileURLWithPath((work / "b.txt").string())),
            false);
}

TEST_F(FolderCommandsTest, UnhidingADotNameIsReportedAsAFailure) {
  env.extensionDefaults()->removeObjectForKey(keys::rateDone);
  env.extensionDefaults()->setObject(platform::PlistDate{-1e6}, keys::alertVisibledate);
  const auto dotted = work / ".profile";
  std::ofstream(dotted).put('x');
  extension().setHidden(NSURL::fileURLWithPath(dotted.string()), false);
  env.runLoop.drain();
  ASSERT_EQ(env.log.outputLines.size(), 1u);
  EXPECT_NE(env.log.outputLines[0].find(".profile"), std::string::npos);
  EXPECT_FALSE(ratingPromptShown());

  extension().setHidden(NSURL::fileURLWithPath((work / "gone").string()), true);
  EXPECT_EQ(env.log.outputLines.size(), 2u);

  // One name a line: a name with a line break would hide its siblings "new" and "line.txt".
  for (const char* name : {"new", "line.txt", "new\nline.txt"}) std::ofstream(work / name).put('x');
  extension().setHidden(NSURL::fileURLWithPath((work / "new\nline.txt").string()), true);
  EXPECT_EQ(env.log.outputLines.size(), 3u);
  EXPECT_FALSE(std::filesystem::exists(work / ".hidden"));
  EXPECT_EQ(platform::resourceValueIsHidden(NSURL::fileURLWithPath((work / "new").string())),
            false);
}

TEST_F(FolderCommandsTest, HiddenFilesToggleRunsItsThreeScripts) {
  extension().performSelector("showhiddenfiles:", nullptr);
  EXPECT_EQ(env.sim.appleScript.sources,
            (std::vector<std::string>{
                "tell application \"Finder\" to activate", "delay 0.2",
                "tell application \"System Events\" to tell process \"Finder\" to keystroke \">\" "
                "using {command down, shift down}"}));
}

class CompanionToolsTest : public FolderCommandsTest {
 protected:
  void install(const std::string& name, const std::string& identifier,
               const std::filesystem::path& in) {
    const auto bundle = testing::makeFolder(in / (name + ".app"));
    std::ofstream(bundle / "Info.plist")
        << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
        << "<string>" << identifier << "</string></dict></plist>";
  }
  std::filesystem::path applications = testing::makeFolder(env.home.path() / "Applications");
};

TEST_F(CompanionToolsTest, InstalledToolIsStartedWithoutAnOffer) {
  install("Marrowfen", "com.quenlow.marrowfen", applications);
  choose(kFindDuplicateFiles);
  EXPECT_TRUE(env.modals.shown.empty());
  ASSERT_EQ(env.workspace.openedURLs.size(), 1u);
  EXPECT_EQ(env.workspace.openedURLs[0].path(), (applications / "Marrowfen.app").string());
}

TEST_F(CompanionToolsTest, ToolElsewhereOrWithAnotherCaseIsOffered) {
  install("Marrowfen", "com.quenlow.marrowfen", applications / "Tools");
  install("Pellisade", "com.quenlow.Pellisade", applications);
  answer({ModalAnswer::button("No"), ModalAnswer::button("No")});
  choose(kFindDuplicateFiles);
  choose(kFindDuplicatePhotos);
  EXPECT_EQ(env.modals.shown.size(), 2u);
  EXPECT_TRUE(env.workspace.openedURLs.empty());
  EXPECT_TRUE(env.workspace.openedURLStrings.empty());
  const auto& offer = shown<NSAlert>(0);
  EXPECT_EQ(offer.messageText,
            "To scan for Duplicate Files, you need to have 'Marrowfen' installed on your System. "
            "Do you want to install it from the Mac App Store now?");
  EXPECT_EQ(offer.buttons[0].title, "Yes");
  EXPECT_EQ(offer.buttons[1].action, "dfscancel");
}

TEST_F(CompanionToolsTest, YesOpensEachToolsOwnStorePage) {
  for (auto tag : {kFindDuplicateFiles, kFindDuplicatePhotos, kViewOrEditExifData, kResizePhotos}) {
    answer({ModalAnswer::button("Yes")});
    choose(tag);
  }
  const auto& pages = env.workspace.openedURLStrings;
  ASSERT_EQ(pages.size(), 4u);
  EXPECT_NE(pages[0].find("marrowfen"), std::string::npos);
  EXPECT_NE(pages[1].find("pellisade"), std::string::npos);
  EXPECT_NE(pages[2].find("ambervane"), std::string::npos);
  EXPECT_NE(pages[3].find("scallotta"), std::string::npos);
  EXPECT_EQ(shown<NSAlert>(3).buttons[0].action, "resizerDownload");
}

TEST_F(FolderCommandsTest, MailHandOffWritesBothKeysThenNotifiesOrLaunches) {
  select({work, work / "a.txt"});
  choose(kSendViaMail);
  auto store = env.openSuite();
  EXPECT_EQ(store->objectForKey(keys::mailAttachPath), PlistValue(work.string()));
  EXPECT_EQ(store->objectForKey(keys::AttachClickedDate), PlistValue(env.runLoop.now()));
  EXPECT_EQ(env.workspace.launches, std::vector<std::string>{kAppBundleIdentifier});
  EXPECT_TRUE(env.notifications.posts.empty());

  env.workspace.running.push_back({kAppBundleIdentifier});
  env.runLoop.advanceBy(5);
  select({work / "b.txt"});
  choose(kSendViaMail);
  EXPECT_EQ(store->objectForKey(keys::mailAttachPath), PlistValue((work / "b.txt").string()));
  EXPECT_EQ(store->objectForKey(keys::AttachClickedDate), PlistValue(env.runLoop.now()));
  EXPECT_EQ(env.workspace.launches.size(), 1u);
  ASSERT_EQ(env.notifications.posts.size(), 1u);
  EXPECT_EQ(env.notifications.posts[0].name, "AttachFileToMail");
}

TEST_F(FolderCommandsTest, AFolderThatCannotBeStoredIsNotAddedAndTheUserHearsWhy) {
  const auto added = testing::makeFolder(env.home.path() / "Added", {"x"});
  extension();  // loaded with the store as it is
  auto lock = env.defaults.fileForDomain(kSuiteName);
  lock += ".lock";
  std::filesystem::remove(lock);
  std::filesystem::create_symlink(env.home.path() / "missing" / "lock", lock);
  answer({ModalAnswer::ok(added.string()), ModalAnswer::button("OK")});
  choose(kAddFolders);
  EXPECT_EQ(shown<NSAlert>(1).messageText, "The folder could not be added.");
  EXPECT_TRUE(extension().customFolders().folders().empty());
  EXPECT_TRUE(env.notifications.posts.empty());

  // Once the store works again, nothing of the failed add lands with the next one.
  std::filesystem::remove(lock);
  const auto other = testing::makeFolder(env.home.path() / "Other");
  answer({ModalAnswer::ok(other.string())});
  choose(kAddFolders);
  EXPECT_EQ(env.openSuite()->objectForKey(keys::arrCustomFoldersUrls),
            PlistValue(PlistArray{other.string()}));
  EXPECT_EQ(env.openSuite()->arrayForKey(keys::arrCustomFolders)->size(), 1u);
}

TEST_F(FolderCommandsTest, AMailHandOffThatCannotBeStoredWakesNobodyAndSaysSo) {
  const auto odd = testing::makeFolder(work / "Caf\xe9");  // a path the store cannot hold
  select({odd});
  answer({ModalAnswer::button("OK")});
  choose(kSendViaMail);
  EXPECT_TRUE(env.workspace.launches.empty());
  EXPECT_TRUE(env.notifications.posts.empty());
  EXPECT_EQ(shown<NSAlert>(0).messageText, "The file could not be handed over for mail.");
  EXPECT_EQ(env.log.outputLines.size(), 1u);
}

}  // namespace
}  // namespace plovane
