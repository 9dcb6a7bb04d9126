#include <gtest/gtest.h>

#include "shared/CommandCatalogue.h"
#include "shared/SettingsKeys.h"
#include "support/CommandFixture.h"

namespace plovane {
namespace {

using platform::NSSavePanel;
using platform::NSURL;
using platform::sim::ModalAnswer;

class ItemUtilitiesTest : public testing::CommandFixture {
 protected:
  // The user has rated already, so no rating prompt comes between these commands.
  void SetUp() override {
    env.extensionDefaults()->setInteger(1, keys::rateDone);
    select({work / "a.txt", work / "b.txt", work / "c.txt"});
  }
};

TEST_F(ItemUtilitiesTest, LaunchesByBundleIdentifier) {
  choose(kOpenTerminal);
  choose(kOpenSystemPreferences);
  choose(kConfigureSettings);
  extension().performSelector("OpenTerminalNewTab:", nullptr);
  EXPECT_EQ(env.workspace.launches,
            (std::vector<std::string>{"com.apple.Terminal", "com.apple.systempreferences",
                                      "com.quenlow.plovanemenu", "com.apple.Terminal"}));
}

TEST_F(ItemUtilitiesTest, OnlyTheFirstItemIsUsed) {
  answer({ModalAnswer::button("OK")});
  choose(kCopyPathToClipboard);
  EXPECT_EQ(env.sim.pasteboard.stringForType(platform::NSPasteboardTypeString),
            (work / "a.txt").string());
  choose(kOpenNewFinderWindow);
  EXPECT_EQ(env.sim.transcript.lines.back(), "reveal " + (work / "a.txt").string());
}

TEST_F(ItemUtilitiesTest, CopyPathConfirmsWithAnAlertAfterTheMenuClosed) {
  answer({ModalAnswer::button("OK")});
  platform::NSMenuItem item("", "commenAction:", "");
  item.tag = kCopyPathToClipboard;
  extension().commenAction(&item);
  EXPECT_TRUE(env.modals.shown.empty());
  env.runLoop.drain();
  ASSERT_EQ(env.modals.shown.size(), 1u);
  const auto& alert = shown<platform::NSAlert>(0);
  EXPECT_EQ(alert.messageText, "Path copied to Clipboard");
  EXPECT_EQ(alert.informativeText, "");
  EXPECT_EQ(alert.alertStyle, platform::NSAlertStyle::warning);
}

TEST_F(ItemUtilitiesTest, APathTheClipboardRefusesIsNotReportedAsCopied) {
  env.sim.pasteboard.acceptsText = false;
  answer({ModalAnswer::button("OK")});
  choose(kCopyPathToClipboard);
  ASSERT_EQ(env.modals.shown.size(), 1u);
  EXPECT_EQ(shown<platform::NSAlert>(0).messageText,
            "The path could not be copied to the Clipboard.");
  EXPECT_EQ(env.log.outputLines.size(), 1u);
}

TEST_F(ItemUtilitiesTest, WallpaperOfTheMainScreenFailsSilentlyForAFolder) {
  select({work});
  choose(kSetAsWallpaper);
  EXPECT_FALSE(env.workspace.desktopPicture);
  select({work / "b.txt"});
  choose(kSetAsWallpaper);
  EXPECT_EQ(env.workspace.desktopPicture, NSURL::fileURLWithPath((work / "b.txt").string()));
  env.workspace.screen.reset();
  choose(kSetAsWallpaper);
  EXPECT_TRUE(env.modals.shown.empty());
}

TEST_F(ItemUtilitiesTest, NewTextFilePanelStartsBesideOrInsideTheItem) {
  const auto archive = testing::makeFolder(work / "Bundle.ZIP");
  for (const auto& [item, start] :
       std::vector<std::pair<std::filesystem::path, std::optional<std::filesystem::path>>>{
           {work, work},
           {work / "a.txt", work},
           {work / "gone.txt", work},
           {archive, std::nullopt},
           {work / "Tool.app", std::nullopt}}) {
    select({item});
    answer({ModalAnswer::cancel()});
    choose(kCreateNewTextFile);
    const auto& panel = std::get<NSSavePanel>(env.modals.shown.back());
    EXPECT_EQ(panel.directoryURL ? std::optional(panel.directoryURL->path()) : std::nullopt,
              start ? std::optional(start->string()) : std::nullopt)
        << item;
  }
  const auto& panel = std::get<NSSavePanel>(env.modals.shown.back());
  EXPECT_EQ(panel.title, "Create New Text File");
  EXPECT_EQ(panel.nameFieldStringValue, "Untitled.txt");
  EXPECT_FALSE(panel.allowedFileTypes);
  EXPECT_FALSE(panel.allowsOtherFileTypes);
}

TEST_F(ItemUtilitiesTest, NewTextFileIsEmptyAndNamedExactlyAsConfirmed) {
  std::ofstream(work / "README") << "old text";
  answer({ModalAnswer::ok((work / "README").string())});
  choose(kCreateNewTextFile);
  EXPECT_EQ(std::filesystem::file_size(work / "README"), 0u);
  answer({ModalAnswer::ok()});
  choose(kCreateNewTextFile);  // OK without a URL creates nothing
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work), {}), 4);
}

TEST_F(ItemUtilitiesTest, SampleActionTypesItsKeysAfterLaunchingTheTerminal) {
  extension().performSelector("sampleAction:", nullptr);
  using Key = platform::CGKeyboardEvent;
  EXPECT_EQ(
      env.sim.keyboardEvents.posted,
      (std::vector<Key>{
          {0x38, true, 0}, {0x2D, true, 0x100000}, {0x2D, false, 0x100000}, {0x38, false, 0}}));
  EXPECT_EQ(env.workspace.launches, std::vector<std::string>{"com.apple.Terminal"});
}

TEST_F(ItemUtilitiesTest, NoSelectionDoesNothingAnywhere) {
  for (auto selection :
       {std::optional<std::vector<NSURL>>{}, std::optional(std::vector<NSURL>{})}) {
    env.finderSyncController.setSelectedItemURLs(selection);
    for (auto tag :
         {kSetAsWallpaper, kCopyPathToClipboard, kSendViaMail, kMoveToAFolder, kOpenNewFinderWindow,
          kHideUnhideItem, kAddFolders, kCreateNewTextFile, kCopyToAFolder}) {
      if (tag == kCopyToAFolder || tag == kMoveToAFolder) {
        answer({ModalAnswer::button("OK"), ModalAnswer::cancel()});
      } else if (tag == kAddFolders || tag == kCreateNewTextFile) {
        answer({ModalAnswer::cancel()});
      }
      choose(tag);
    }
  }
  EXPECT_EQ(env.modals.answersLeft(), 0u);
  EXPECT_FALSE(env.sim.pasteboard.stringForType(platform::NSPasteboardTypeString));
  EXPECT_TRUE(env.notifications.posts.empty());
  EXPECT_TRUE(env.workspace.launches.empty());
}

TEST_F(ItemUtilitiesTest, TagsOutsideTheCatalogueAndAbsentSendersDoNothing) {
  for (std::int64_t tag : {-1, 16, 1000}) choose(tag);
  extension().commenAction(nullptr);
  EXPECT_TRUE(env.sim.transcript.lines.empty());
}

TEST_F(ItemUtilitiesTest, UtilityKitNotifiesARunningAppAtOnce) {
  env.workspace.running.push_back({kAppBundleIdentifier});
  extension().performSelector("utilityKitClicked", nullptr);
  EXPECT_TRUE(env.workspace.launches.empty());
  ASSERT_EQ(env.notifications.posts.size(), 1u);
  EXPECT_EQ(env.notifications.posts[0].name, "ShowUtilityKit");
  EXPECT_EQ(env.notifications.posts[0].object, "com.quenlow.plovanemenu.findersyncextension");
}

TEST_F(ItemUtilitiesTest, UtilityKitLaunchesTheAppAndNotifiesASecondLater) {
  // A prompt would be due, so its absence says Utility Kit never asks.
  env.extensionDefaults()->removeObjectForKey(keys::rateDone);
  env.extensionDefaults()->setObject(platform::PlistDate{-1e6}, keys::alertVisibledate);
  env.workspace.running.push_back({std::nullopt});
  env.workspace.running.push_back({"com.quenlow.plovanemenu.other"});
  const double before = env.runLoop.now().secondsSince2001;
  extension().utilityKitClicked();
  EXPECT_EQ(env.workspace.launches, std::vector<std::string>{kAppBundleIdentifier});
  ASSERT_EQ(env.notifications.posts.size(), 1u);
  EXPECT_DOUBLE_EQ(env.notifications.posts[0].at - before, 1.0);
  EXPECT_FALSE(ratingPromptShown());
}

}  // namespace
}  // namespace plovane
