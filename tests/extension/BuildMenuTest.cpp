#include <gtest/gtest.h>

#include "extension/MenuBuilder.h"

namespace plovane {
namespace {

using platform::NSImage;
using platform::NSMenu;
using platform::NSURL;
CommandListEntry command(const std::string& title, bool shown = true) { return {title, shown}; }

std::vector<std::int64_t> tags(const NSMenu& menu) {
  std::vector<std::int64_t> result;
  for (const auto& item : menu.items) result.push_back(item.tag);
  return result;
}

customFolder folder(const std::string& path, std::vector<std::int64_t> entryTags) {
  customFolder made{NSURL::fileURLWithPath(path), false, {}, {}};
  for (auto tag : entryTags) {
    made.arrSubItems.push_back(
        {NSURL::fileURLWithPath(path + "/entry" + std::to_string(tag)), tag});
  }
  return made;
}

// The catalogue's rules go by position, and a stored list may be longer than the catalogue.
TEST(BuildMenuTest, CommandsFollowTheRowAtTheirPositionAndNoneBeyondTheCatalogue) {
  CommandList list;
  for (int position = 0; position < 16; ++position) list.push_back(command("c"));
  list[3] = command("c", false);
  list.push_back(command("Past the catalogue"));
  MenuInputs inputs;
  inputs.commandList = list;
  inputs.firstItemIsHidden = true;
  const auto menu = buildMenu(inputs);
  EXPECT_EQ(tags(*menu),
            (std::vector<std::int64_t>{0, 1, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 16, 0}));
  EXPECT_EQ(menu->items[7].title, "Unhide item");
  EXPECT_EQ(menu->items[13].title, "Past the catalogue");
  EXPECT_EQ(menu->items[13].action, "commenAction:");

  inputs.firstItemIsImage = true;
  inputs.firstItemIsHidden = false;
  const auto forAnImage = buildMenu(inputs);
  EXPECT_EQ(forAnImage->numberOfItems(), 17u);
  EXPECT_EQ(forAnImage->items[8].title, "Hide item");
}

// The image is the one of the title shown, whatever position shows it.
TEST(BuildMenuTest, ImagesFollowTheShownTitle) {
  const CommandList list = {command("Add Folders"), command("Unknown"),
                            command("x"),           command("x"),
                            command("x"),           command("x"),
                            command("x"),           command("x"),
                            command("x"),           command("Hide / Unhide item")};
  MenuInputs inputs;
  inputs.commandList = list;
  inputs.firstItemIsHidden = true;
  const auto hideImage = NSImage::fileIcon("/assets/12");
  inputs.commandImages.emplace("NSAddTemplate", NSImage::fileIcon("/assets/add"));
  inputs.commandImages.emplace("12", hideImage);
  inputs.utilityKitImage = NSImage::fileIcon("/assets/utility-kit");
  const auto menu = buildMenu(inputs);
  ASSERT_EQ(menu->numberOfItems(), 10u);
  EXPECT_EQ(menu->items[0].image, NSImage::fileIcon("/assets/add"));
  EXPECT_FALSE(menu->items[1].image);
  EXPECT_EQ(menu->items[8].title, "Unhide item");
  EXPECT_EQ(menu->items[8].image, hideImage);
  EXPECT_EQ(menu->items[9].image, inputs.utilityKitImage);
}

// The entries' icons are one list, folder after folder: a folder without contents takes none.
TEST(BuildMenuTest, FoldersTakeTheirIconsInOrderAndOnlyFoldersWithContentsOpenSubmenus) {
  const std::vector<customFolder> folders = {folder("/A", {4, 5}), folder("/Tool.app", {}),
                                             folder("/B", {9})};
  MenuInputs inputs;
  inputs.customFolders = folders;
  inputs.folderIcons = {NSImage::fileIcon("/A"), NSImage::fileIcon("/Tool.app")};
  inputs.entryIcons = {NSImage::fileIcon("/A/entry4"), NSImage::fileIcon("/A/entry5"),
                       NSImage::fileIcon("/B/entry9")};
  const auto menu = buildMenu(inputs);
  ASSERT_EQ(menu->numberOfItems(), 4u);
  EXPECT_EQ(tags(*menu), (std::vector<std::int64_t>{0, 1, 2, 0}));
  const auto& a = menu->items[0];
  EXPECT_EQ(a.title, "A");
  EXPECT_EQ(a.action, "customFolderClicked:");
  EXPECT_EQ(a.image, NSImage::fileIcon("/A"));
  ASSERT_TRUE(a.submenu);
  EXPECT_EQ(tags(*a.submenu), (std::vector<std::int64_t>{4, 5}));
  EXPECT_EQ(a.submenu->items[1].title, "entry5");
  EXPECT_EQ(a.submenu->items[1].action, "subFolderClicked:");
  EXPECT_EQ(a.submenu->items[1].image, NSImage::fileIcon("/A/entry5"));
  EXPECT_FALSE(menu->items[1].submenu);
  EXPECT_EQ(menu->items[1].image, NSImage::fileIcon("/Tool.app"));
  EXPECT_EQ(menu->items[2].submenu->items[0].image, NSImage::fileIcon("/B/entry9"));
  // Fewer icons than folders leave the rest without.
  EXPECT_FALSE(menu->items[2].image);
}

TEST(BuildMenuTest, AnEmptySelectionGetsNothingAndTheWrapperAlwaysItsIcon) {
  const CommandList list = {command("Open Terminal")};
  const std::vector<customFolder> folders = {folder("/A", {1})};
  MenuInputs inputs;
  inputs.commandList = list;
  inputs.customFolders = folders;
  inputs.showInSubMenu = true;
  inputs.applicationIcon = NSImage::fileIcon("/Plovane Menu.app");
  inputs.selectionIsEmpty = true;
  EXPECT_EQ(buildMenu(inputs)->numberOfItems(), 0u);

  inputs.selectionIsEmpty = false;
  const auto menu = buildMenu(inputs);
  ASSERT_EQ(menu->numberOfItems(), 1u);
  EXPECT_EQ(menu->items[0].title, "Plovane Menu");
  EXPECT_EQ(menu->items[0].image, inputs.applicationIcon);
  EXPECT_EQ(menu->items[0].submenu->numberOfItems(), 3u);
}

}  // namespace
}  // namespace plovane
