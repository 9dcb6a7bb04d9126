#include "desktop/findersync/MenuTransport.h"

#include <gtest/gtest.h>

#include "platform/NSBundle.h"
#include "support/FileTree.h"
#include "support/TestEnvironment.h"

namespace platform::desktop {
namespace {

// A menu with everything an entry can carry: selectors and tags, a key equivalent, a disabled
// entry, an asset drawn at another size, a system image and a submenu of its own.
NSMenu everyKindOfEntry(const NSBundle& bundle) {
  NSMenu menu("context");
  NSMenuItem open("Open Terminal", "commenAction:", "t");
  open.tag = 0;
  auto drawn = NSImage::canvas({16, 16});
  auto asset = *NSImage::imageNamed(bundle, "1");
  drawn.lockFocus();
  NSGraphicsContext::currentContext()->setImageInterpolation(NSImageInterpolationHigh);
  asset.drawInRect({0, 0, 16, 16}, {0, 0, 32, 32}, NSCompositingOperationCopy, 1.0);
  drawn.unlockFocus();
  open.image = drawn;
  menu.addItem(open);

  NSMenuItem folders("Custom \"Folders\" ✓", "", "");
  folders.submenu = std::make_shared<NSMenu>("Custom");
  NSMenuItem inner("Photos", "subFolderClicked:", "");
  inner.tag = -7;
  inner.image = NSImage::fileIcon("/home/me/Photos");
  inner.enabled = false;
  folders.submenu->addItem(inner);
  folders.image = *NSImage::imageNamed(bundle, "NSActionTemplate");
  menu.addItem(folders);
  return menu;
}

TEST(MenuTransportTest, AMenuCrossesWithEverythingItCarries) {
  plovane::testing::TemporaryFolder folder;
  plovane::testing::makeFolder(folder.path() / "Resources", {"1.svg"});
  std::ofstream(folder.path() / "Info.plist") << "<plist><dict/></plist>";
  const auto bundle = NSBundle::bundleWithPath(folder.path());
  ASSERT_TRUE(bundle);
  const auto original = everyKindOfEntry(*bundle);

  const auto crossed = decodeMenu(encodeMenu(original, folder.path() / "Resources"));
  ASSERT_TRUE(crossed);
  EXPECT_EQ(crossed->resources, folder.path() / "Resources");
  EXPECT_EQ(crossed->menu->title, "context");
  // Nothing is lost on the way: the crossed menu encodes to the same text.
  EXPECT_EQ(encodeMenu(*crossed->menu, crossed->resources),
            encodeMenu(original, folder.path() / "Resources"));
  EXPECT_EQ(*crossed->menu->items[0].image, *original.items[0].image);
  EXPECT_EQ(crossed->menu->items[0].keyEquivalent, "t");
  EXPECT_EQ(crossed->menu->items[1].submenu->title, "Custom");
  EXPECT_EQ(crossed->menu->items[1].submenu->items[0].tag, -7);
}

TEST(MenuTransportTest, RefusesWhatIsNoMenu) {
  EXPECT_FALSE(decodeMenu("not json"));
  EXPECT_FALSE(decodeMenu("[1, 2]"));
  EXPECT_FALSE(decodeMenu(R"({"items": [{"tag": 1}]})"));
  EXPECT_FALSE(decodeMenu(R"({"items": [{"title": "x", "tag": 1, "image": {"kind": "x"}}]})"));
  EXPECT_TRUE(decodeMenu(R"({"items": []})"));
}

}  // namespace
}  // namespace platform::desktop
