// The extension's menu as the window shows it.
#include "host/window/FinderWindowContextMenu.h"

#include <gtest/gtest.h>

#include "desktop/ImageRendering.h"
#include "platform/NSBundle.h"
#include "support/QtApplication.h"
#include "support/TestEnvironment.h"

namespace plovane::host {
namespace {

using platform::NSImage;
using platform::NSMenu;
using platform::NSMenuItem;

NSMenuItem entry(const char* title, const char* action, std::int64_t tag) {
  NSMenuItem item(title, action, "");
  item.tag = tag;
  return item;
}

NSImage redrawn(const NSImage& source) {
  NSImage scaled = NSImage::canvas({24, 24});
  scaled.lockFocus();
  source.drawInRect({0, 0, 24, 24}, {0, 0, 32, 32}, platform::NSCompositingOperationCopy, 1.0);
  scaled.unlockFocus();
  return scaled;
}

// The kinds of entries the extension sends: assets, a custom folder whose contents are a
// submenu, a disabled entry with a system image, and separators both ways it may write them.
NSMenu extensionMenu(const platform::NSBundle& bundle) {
  NSMenu menu;
  auto terminal = entry("Open Terminal", "commenAction:", 0);
  terminal.image = NSImage::imageNamed(bundle, "1");
  menu.addItem(terminal);
  menu.addItem(entry("-", "", 0));
  auto contents = std::make_shared<NSMenu>();
  auto notes = entry("Tom & Jerry.txt", "subFolderClicked:", 11);
  notes.image = redrawn(NSImage::fileIcon(PLOVANE_TEST_FIXTURES));
  contents->addItem(notes);
  auto locked = entry("locked", "subFolderClicked:", 12);
  locked.enabled = false;
  contents->addItem(locked);
  auto folder = entry("Shortcuts", "customFolderClicked:", 2);
  folder.image = redrawn(NSImage::fileIcon(PLOVANE_TEST_FIXTURES));
  folder.submenu = contents;
  menu.addItem(folder);
  auto add = entry("Add Folders", "commenAction:", 5);
  add.image = NSImage::imageNamed(bundle, "NSAddTemplate");
  add.enabled = false;
  menu.addItem(add);
  menu.addItem(entry("", "", 0));
  auto kit = entry("Utility Kit", "utilityKitClicked", 0);
  kit.image = NSImage::imageNamed(bundle, "utility-kit");
  menu.addItem(kit);
  menu.addItem(entry("", "commenAction:", 7));  // a command stored without a title
  return menu;
}

TEST(FinderWindowContextMenuTest, ShowsTheExtensionsEntriesAndHandsBackTheChosenOne) {
  testing::qtApplication();
  platform::desktop::useBundledIconTheme();
  const auto bundle = platform::NSBundle::bundleWithPath(PLOVANE_EXTENSION_BUNDLE);
  ASSERT_TRUE(bundle);
  std::vector<NSMenuItem> chosen;
  QMenu menu;
  addExtensionEntries(menu, extensionMenu(*bundle),
                      std::filesystem::path(PLOVANE_EXTENSION_BUNDLE) / "Resources",
                      [&chosen](const NSMenuItem& item) { chosen.push_back(item); });

  const auto actions = menu.actions();
  ASSERT_EQ(actions.size(), 7);
  EXPECT_EQ(actions[0]->text(), "Open Terminal");
  EXPECT_TRUE(actions[1]->isSeparator());
  EXPECT_EQ(actions[2]->text(), "Shortcuts");
  EXPECT_EQ(actions[3]->text(), "Add Folders");
  EXPECT_TRUE(actions[4]->isSeparator());
  EXPECT_EQ(actions[5]->text(), "Utility Kit");
  EXPECT_FALSE(actions[6]->isSeparator());
  EXPECT_TRUE(actions[6]->isEnabled());
  for (int index : {0, 2, 3, 5}) {
    EXPECT_FALSE(actions[index]->icon().isNull()) << actions[index]->text().toStdString();
  }
  EXPECT_TRUE(actions[2]->isEnabled());
  EXPECT_FALSE(actions[3]->isEnabled());

  const QMenu* contents = actions[2]->menu();
  ASSERT_NE(contents, nullptr);
  ASSERT_EQ(contents->actions().size(), 2);
  // Shown as written, not as a keyboard shortcut on "J".
  EXPECT_EQ(contents->actions()[0]->text(), "Tom && Jerry.txt");
  EXPECT_FALSE(contents->actions()[0]->icon().isNull());
  EXPECT_TRUE(contents->actions()[0]->isEnabled());
  EXPECT_FALSE(contents->actions()[1]->isEnabled());

  contents->actions()[0]->trigger();
  actions[0]->trigger();
  ASSERT_EQ(chosen.size(), 2u);
  EXPECT_EQ(chosen[0].title, "Tom & Jerry.txt");
  EXPECT_EQ(chosen[0].action, "subFolderClicked:");
  EXPECT_EQ(chosen[0].tag, 11);
  EXPECT_EQ(chosen[1].action, "commenAction:");
  EXPECT_EQ(chosen[1].tag, 0);
}

}  // namespace
}  // namespace plovane::host
