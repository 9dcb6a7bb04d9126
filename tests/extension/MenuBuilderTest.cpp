#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <variant>

#include "extension/FinderSync.h"
#include "platform/Bookmarks.h"
#include "shared/SettingsKeys.h"
#include "support/FileTree.h"
#include "support/TestEnvironment.h"

namespace plovane {
namespace {

using platform::FIMenuKind;
using platform::NSImage;
using platform::NSMenu;
using platform::NSURL;
using platform::PlistArray;
using platform::PlistData;
using platform::PlistDictionary;
using testing::makeFolder;

std::vector<std::string> titles(const NSMenu& menu) {
  std::vector<std::string> result;
  for (const auto& item : menu.items) result.push_back(item.title);
  return result;
}

std::vector<std::int64_t> tags(const NSMenu& menu) {
  std::vector<std::int64_t> result;
  for (const auto& item : menu.items) result.push_back(item.tag);
  return result;
}

const platform::NSMenuItem& hideEntry(const NSMenu& menu) {
  for (const auto& item : menu.items) {
    if (item.tag == 9 && item.action == "commenAction:") return item;
  }
  throw std::runtime_error("no hide/unhide entry");
}

class MenuBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    makeFolder(env.bundle.bundlePath() / "Resources", {"1.svg", "12.svg", "utility-kit.svg"});
    folder = makeFolder(env.home.path() / "Work", {"photo.JPG", "notes.txt", ".dotfile", "plain"});
  }
  std::shared_ptr<NSMenu> menuFor(const std::vector<std::string>& names,
                                  FIMenuKind kind = FIMenuKind::contextualMenuForItems) {
    std::vector<NSURL> selection;
    for (const auto& name : names)
      selection.push_back(NSURL::fileURLWithPath((folder / name).string()));
    env.finderSyncController.setSelectedItemURLs(selection);
    return finderSync().menuForMenuKind(kind);
  }
  FinderSync& finderSync() {
    if (!finderSync_) finderSync_ = std::make_unique<FinderSync>(env.platform);
    return *finderSync_;
  }
  void addCustomFolder(const std::filesystem::path& path) {
    auto bookmarks = store->arrayForKey(keys::arrCustomFolders).value_or(PlistArray{});
    auto paths = store->arrayForKey(keys::arrCustomFoldersUrls).value_or(PlistArray{});
    bookmarks.emplace_back(std::get<PlistData>(platform::bookmarkDataWithOptions(
        NSURL::fileURLWithPath(path.string()), platform::NSURLBookmarkCreationWithSecurityScope)));
    paths.emplace_back(path.string());
    store->setValueForKeyPath(bookmarks, keys::arrCustomFolders);
    store->setValueForKeyPath(paths, keys::arrCustomFoldersUrls);
  }

  testing::TestEnvironment env;
  std::shared_ptr<platform::NSUserDefaults> store = env.openSuite();
  std::filesystem::path folder;
  std::unique_ptr<FinderSync> finderSync_;
};

TEST_F(MenuBuilderTest, AllCommandsForAnImageThenFoldersThenUtilityKit) {
  addCustomFolder(makeFolder(env.home.path() / "Shortcuts", {"a", "b", "c"}));
  const auto menu = menuFor({"photo.JPG"});
  ASSERT_EQ(menu->numberOfItems(), 18u);
  EXPECT_EQ(menu->title, "");
  EXPECT_EQ(menu->items[9].title, "Hide item");
  EXPECT_EQ(menu->items[9].tag, 9);
  EXPECT_EQ(menu->items[16].title, "Shortcuts");
  EXPECT_EQ(menu->items[16].action, "customFolderClicked:");
  ASSERT_TRUE(menu->items[16].submenu);
  EXPECT_EQ(menu->items[16].submenu->numberOfItems(), 3u);
  EXPECT_EQ(menu->items[17].title, "Utility Kit");
  EXPECT_EQ(menu->items[17].action, "utilityKitClicked");
  for (std::size_t i = 0; i < 16; ++i) {
    EXPECT_EQ(menu->items[i].tag, static_cast<std::int64_t>(i));
    EXPECT_EQ(menu->items[i].action, "commenAction:");
    EXPECT_EQ(menu->items[i].keyEquivalent, "");
    EXPECT_TRUE(menu->items[i].enabled);
    EXPECT_TRUE(finderSync().validateMenuItem(menu->items[i]));
  }
}

TEST_F(MenuBuilderTest, ImageOnlyCommandsFollowTheFirstItemsExtension) {
  EXPECT_EQ(tags(*menuFor({"notes.txt", "photo.JPG"})),
            (std::vector<std::int64_t>{0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 0}));
  for (const char* name : {"art.ai", "anim.GIF", "raw.Cr2"}) {
    const auto menu = menuFor({name});
    EXPECT_EQ(menu->items[2].title, "Set as Wallpaper") << name;
    EXPECT_EQ(menu->items[11].title, "Find Duplicate Photos") << name;
  }
  EXPECT_EQ(menuFor({"plain"})->numberOfItems(), 15u);
  EXPECT_EQ(menuFor({".dotfile"})->numberOfItems(), 15u);
}

TEST_F(MenuBuilderTest, HiddenItemsOfferUnhideWithTheSameIcon) {
  std::ofstream(folder / ".hidden") << "notes.txt\n";
  EXPECT_EQ(hideEntry(*menuFor({".dotfile"})).title, "Unhide item");
  const auto listed = menuFor({"notes.txt"});
  EXPECT_EQ(hideEntry(*listed).title, "Unhide item");
  EXPECT_EQ(hideEntry(*menuFor({"plain"})).title, "Hide item");
  EXPECT_EQ(hideEntry(*listed).image, hideEntry(*menuFor({"plain"})).image);
  EXPECT_TRUE(hideEntry(*listed).image);
  EXPECT_EQ(hideEntry(*menuFor({"no-such-file"})).title, "Hide item");
}

TEST_F(MenuBuilderTest, EmptySelectionGivesAnEmptyMenuWhateverTheOptions) {
  addCustomFolder(makeFolder(env.home.path() / "Shortcuts"));
  store->setBool(true, keys::showinSubMenu);
  env.finderSyncController.setSelectedItemURLs(std::vector<NSURL>{});
  EXPECT_EQ(finderSync().menuForMenuKind(FIMenuKind::contextualMenuForContainer)->numberOfItems(),
            0u);
}

TEST_F(MenuBuilderTest, NoSelectionAtAllLeavesOutImageCommandsAndOffersHiding) {
  env.finderSyncController.setSelectedItemURLs(std::nullopt);
  const auto menu = finderSync().menuForMenuKind(FIMenuKind::toolbarItemMenu);
  EXPECT_EQ(menu->numberOfItems(), 15u);
  EXPECT_EQ(hideEntry(*menu).title, "Hide item");
}

TEST_F(MenuBuilderTest, SwitchedOffAndMalformedEntries) {
  PlistArray list;
  list.push_back(PlistDictionary{{"title", "Open Terminal"}, {"state", false}});
  list.push_back(PlistDictionary{{"state", true}});
  list.push_back(PlistDictionary{{"title", "Set as Wallpaper"}, {"state", 1}});
  list.push_back(PlistDictionary{{"title", 5}, {"state", true}});
  store->setObject(list, keys::menuArrayDic);
  const auto menu = menuFor({"photo.JPG"});
  EXPECT_EQ(titles(*menu), (std::vector<std::string>{"", "", "Utility Kit"}));
  EXPECT_EQ(tags(*menu), (std::vector<std::int64_t>{1, 3, 0}));
}

TEST_F(MenuBuilderTest, IconsFollowTheOptionAtEveryCall) {
  addCustomFolder(makeFolder(env.home.path() / "Shortcuts", {"a"}));
  auto menu = menuFor({"photo.JPG"});
  EXPECT_EQ(menu->items[0].image, NSImage::imageNamed(env.bundle, "1"));
  EXPECT_FALSE(menu->items[1].image);  // its asset is not in this bundle
  EXPECT_EQ(menu->items[14].image->kind(), NSImage::Kind::system);
  EXPECT_EQ(menu->items[17].image, NSImage::imageNamed(env.bundle, "utility-kit"));

  const auto& icon = *menu->items[16].image;
  EXPECT_EQ(icon.size(), (platform::NSSize{24, 24}));
  ASSERT_TRUE(icon.drawing());
  EXPECT_EQ(icon.drawing()->source->name(), (env.home.path() / "Shortcuts").string());
  EXPECT_EQ(icon.drawing()->inRect, (platform::NSRect{0, 0, 24, 24}));
  EXPECT_EQ(icon.drawing()->fromRect, (platform::NSRect{0, 0, 32, 32}));
  EXPECT_EQ(icon.drawing()->compositingOperation, platform::NSCompositingOperationCopy);
  EXPECT_EQ(icon.drawing()->fraction, 1.0);
  EXPECT_EQ(icon.drawing()->interpolation, platform::NSImageInterpolationHigh);
  EXPECT_EQ(menu->items[16].submenu->items[0].image->drawing()->source->name(),
            (env.home.path() / "Shortcuts/a").string());

  store->setBool(false, keys::showmenuicon);
  menu = menuFor({"photo.JPG"});
  for (const auto& item : menu->items) EXPECT_FALSE(item.image) << item.title;
  EXPECT_FALSE(menu->items[16].submenu->items[0].image);
}

TEST_F(MenuBuilderTest, SubmenuOptionWrapsEverythingInOneEntryWithTheApplicationIcon) {
  store->setBool(false, keys::showmenuicon);
  store->setBool(true, keys::showinSubMenu);
  const auto menu = menuFor({"notes.txt"});
  ASSERT_EQ(menu->numberOfItems(), 1u);
  const auto& wrapper = menu->items[0];
  EXPECT_EQ(wrapper.title, "Plovane Menu");
  EXPECT_EQ(wrapper.action, "");
  EXPECT_EQ(wrapper.image, NSImage::applicationIcon(env.bundle));
  ASSERT_TRUE(wrapper.submenu);
  EXPECT_EQ(wrapper.submenu->numberOfItems(), 15u);

  store->setObject("yes", keys::showinSubMenu);
  EXPECT_EQ(menuFor({"notes.txt"})->numberOfItems(), 15u);
}

TEST_F(MenuBuilderTest, ApplicationShortcutHasNoSubmenuAndDeletedFoldersVanishAtOnce) {
  const auto shortcuts = makeFolder(env.home.path() / "Shortcuts", {"a", "b", "c"});
  const auto app = makeFolder(env.home.path() / "Editor.app", {"Info.plist"});
  addCustomFolder(shortcuts);
  addCustomFolder(app);
  auto menu = menuFor({"notes.txt"});
  ASSERT_EQ(menu->numberOfItems(), 17u);
  EXPECT_EQ(menu->items[15].title, "Editor.app");
  EXPECT_FALSE(menu->items[15].submenu);
  EXPECT_EQ(menu->items[15].tag, 1);
  EXPECT_EQ(menu->items[14].submenu->items[0].action, "subFolderClicked:");

  store->setValueForKeyPath(PlistArray{app.string()}, keys::arrCustomFoldersUrls);
  menu = menuFor({"notes.txt"});
  ASSERT_EQ(menu->numberOfItems(), 16u);
  EXPECT_EQ(menu->items[14].title, "Editor.app");
  EXPECT_EQ(menu->items[14].tag, 0);
}

TEST_F(MenuBuilderTest, EveryKindGetsTheSameMenu) {
  const auto items = titles(*menuFor({"notes.txt"}));
  for (auto kind : {FIMenuKind::contextualMenuForContainer, FIMenuKind::contextualMenuForSidebar,
                    FIMenuKind::toolbarItemMenu}) {
    EXPECT_EQ(titles(*menuFor({"notes.txt"}, kind)), items);
  }
}

}  // namespace
}  // namespace plovane
