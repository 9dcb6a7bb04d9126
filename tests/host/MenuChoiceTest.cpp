#include "host/commandline/MenuChoice.h"

#include <gtest/gtest.h>

namespace plovane::host {
namespace {

TEST(MenuChoiceTest, FindsEntriesThroughSubmenusByTitle) {
  EXPECT_EQ(parseTitlePath("Plovane Menu > Shortcuts > a > b.txt"),
            (std::vector<std::string>{"Plovane Menu", "Shortcuts", "a", "b.txt"}));
  EXPECT_EQ(parseTitlePath("Hide item"), std::vector<std::string>{"Hide item"});

  platform::NSMenu menu;
  auto inner = std::make_shared<platform::NSMenu>();
  platform::NSMenuItem leaf("b.txt", "subFolderClicked:", "");
  leaf.tag = 4;
  inner->addItem(leaf);
  platform::NSMenuItem folder("Shortcuts", "customFolderClicked:", "");
  folder.submenu = inner;
  menu.addItem(folder);
  EXPECT_EQ(findEntry(menu, {"Shortcuts", "b.txt"})->tag, 4);
  EXPECT_EQ(findEntry(menu, {"Shortcuts"})->action, "customFolderClicked:");
  EXPECT_FALSE(findEntry(menu, {"b.txt"}));
  EXPECT_FALSE(findEntry(menu, {"Shortcuts", "b.txt", "deeper"}));
  EXPECT_FALSE(findEntry(menu, {"Shortcuts", "missing"}));
}

}  // namespace
}  // namespace plovane::host
