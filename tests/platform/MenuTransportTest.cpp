#include "desktop/findersync/MenuTransport.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <limits>
#include <map>

#include "platform/NSBundle.h"
#include "protocol/FinderSyncProtocol.h"
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

// The encoding the menu's text once came from, through Qt's JSON objects: the reference the
// encoder's bytes are held to.
namespace json = protocol::menu_json;

QJsonObject referenceImage(const NSImage& image) {
  static const std::map<NSImage::Kind, const char*> kinds = {
      {NSImage::Kind::asset, json::kAssetKind},
      {NSImage::Kind::system, json::kSystemKind},
      {NSImage::Kind::fileIcon, json::kFileIconKind},
      {NSImage::Kind::applicationIcon, json::kApplicationIconKind},
      {NSImage::Kind::canvas, json::kCanvasKind}};
  const auto rect = [](const NSRect& r) { return QJsonArray{r.x, r.y, r.width, r.height}; };
  QJsonObject object{{json::kKind, kinds.at(image.kind())},
                     {json::kName, QString::fromStdString(image.name())},
                     {json::kWidth, image.size().width},
                     {json::kHeight, image.size().height}};
  if (const auto& drawing = image.drawing()) {
    QJsonObject drawn{{json::kFrom, rect(drawing->fromRect)},
                      {json::kIn, rect(drawing->inRect)},
                      {json::kOperation, drawing->compositingOperation},
                      {json::kFraction, drawing->fraction}};
    if (drawing->source) drawn[json::kSource] = referenceImage(*drawing->source);
    if (drawing->interpolation) drawn[json::kInterpolation] = *drawing->interpolation;
    object[json::kDrawing] = drawn;
  }
  return object;
}

QJsonArray referenceItems(const NSMenu& menu) {
  QJsonArray items;
  for (const auto& item : menu.items) {
    QJsonObject object{{json::kTitle, QString::fromStdString(item.title)},
                       {json::kAction, QString::fromStdString(item.action)},
                       {json::kKeyEquivalent, QString::fromStdString(item.keyEquivalent)},
                       {json::kTag, static_cast<qint64>(item.tag)},
                       {json::kEnabled, item.enabled}};
    if (item.image) object[json::kImage] = referenceImage(*item.image);
    if (item.submenu) {
      object[json::kSubmenuTitle] = QString::fromStdString(item.submenu->title);
      object[json::kSubmenu] = referenceItems(*item.submenu);
    }
    items.append(object);
  }
  return items;
}

QByteArray referenceEncoding(const NSMenu& menu, const std::filesystem::path& resources) {
  const QJsonObject object{{json::kTitle, QString::fromStdString(menu.title)},
                           {json::kResources, QString::fromStdString(resources.string())},
                           {json::kItems, referenceItems(menu)}};
  return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// Text JSON must escape, text it must not, text that is not UTF-8, and numbers Qt writes in
// each of its forms.
NSMenu oddEntries() {
  std::string controls;
  for (char c = 0; c < 0x20; ++c) controls += c;
  controls += "\x7f/\\\"";
  const std::vector<std::string> texts = {
      "",
      controls,
      "caf\xc3\xa9 \xe2\x9c\x93 \xf0\x9f\x98\x80 \xe2\x80\xa8",
      "\xff",
      "a\xc3(b\xe2\x82",
      "\xed\xa0\x80 \xc0\xaf \xf4\x90\x80\x80 \xf0\x82\x82\xac",
      "\xef\xbb\xbf"
      "bom",
      "\xef\xbf\xbe \xef\xb7\x90 \xf0\x9f\xbf\xbf",
  };
  const std::vector<double> numbers = {0.5,
                                       -0.0,
                                       -7,
                                       1e6,
                                       -1e19,
                                       9e15,
                                       -9007199254700000,
                                       0x1p53,
                                       -0x1p53,
                                       1e16,
                                       0x1p53 + 2,
                                       0x1p62,
                                       0x1p64 - 2048,
                                       1e-7,
                                       123456.789,
                                       -2.5e-300,
                                       std::nan(""),
                                       1.0 / 3,
                                       std::numeric_limits<double>::infinity()};
  NSMenu menu(texts[1]);
  const auto number = [&](std::size_t at) { return numbers[at % numbers.size()]; };
  for (std::size_t i = 0; i < texts.size(); ++i) {
    NSMenuItem item(texts[i], texts[(i + 1) % texts.size()], texts[(i + 2) % texts.size()]);
    item.tag = i % 2 ? std::numeric_limits<decltype(item.tag)>::min()
                     : std::numeric_limits<decltype(item.tag)>::max();
    item.enabled = i % 2 == 0;
    const std::size_t n = 2 * i;
    auto canvas = NSImage::canvas({number(n), number(n + 1)});
    canvas.lockFocus();
    NSImage::described(NSImage::Kind::applicationIcon, texts[i], {number(n + 2), number(n + 3)},
                       std::nullopt)
        .drawInRect({number(n), number(n + 1), number(n + 2), number(n + 3)},
                    {number(n + 4), number(n + 5), -1, 1e300}, -3, number(n + 6));
    canvas.unlockFocus();
    item.image = canvas;
    if (i % 3 == 0) item.submenu = std::make_shared<NSMenu>(texts[i]);
    menu.addItem(item);
  }
  return menu;
}

TEST(MenuTransportTest, TheTextIsByteForByteWhatQtsJsonObjectsWrote) {
  plovane::testing::TemporaryFolder folder;
  plovane::testing::makeFolder(folder.path() / "Resources", {"1.svg"});
  std::ofstream(folder.path() / "Info.plist") << "<plist><dict/></plist>";
  const auto bundle = NSBundle::bundleWithPath(folder.path());
  ASSERT_TRUE(bundle);
  NSMenu nested = everyKindOfEntry(*bundle);
  nested.items[1].submenu->addItem(oddEntries().items[0]);
  nested.items[1].submenu->items.back().submenu = std::make_shared<NSMenu>(oddEntries());
  for (const auto& [menu, resources] : std::vector<std::pair<NSMenu, std::filesystem::path>>{
           {NSMenu(), ""},
           {everyKindOfEntry(*bundle), folder.path() / "Resources"},
           {oddEntries(), "/odd \"folder\"\\\n\xff"},
           {nested, "/srv/Resources"}}) {
    EXPECT_EQ(encodeMenu(menu, resources), referenceEncoding(menu, resources));
  }
}

TEST(MenuTransportTest, RefusesWhatIsNoMenu) {
  EXPECT_FALSE(decodeMenu("not json"));
  EXPECT_FALSE(decodeMenu("[1, 2]"));
  EXPECT_FALSE(decodeMenu(R"({"items": [{"tag": 1}]})"));
  EXPECT_FALSE(decodeMenu(R"({"items": [{"title": "x", "tag": 1, "image": {"kind": "x"}}]})"));
  EXPECT_TRUE(decodeMenu(R"({"items": []})"));
}

// Values of another kind than a field expects, keys given twice and an escape that is no UTF-8
// read as they did through Qt's JSON values (checked against them when the reader changed).
TEST(MenuTransportTest, OddValuesReadAsTheyAlwaysDid) {
  const auto crossed = decodeMenu(
      R"({"title":5,"items":[{"title":7,"title":"\ud800a","tag":2.0,"enabled":"no","action":null,)"
      R"("image":{"kind":"canvas","width":"w","drawing":{"from":[1,"x"],"operation":1.5,)"
      R"("interpolation":3,"source":{"kind":"system","name":"n"}}},"submenu":{},"submenuTitle":"s"},)"
      R"({"title":"b","tag":1e19,"image":{"kind":"asset"},"image":{"kind":"fileIcon","name":"/f"}}]})");
  ASSERT_TRUE(crossed);
  EXPECT_EQ(crossed->menu->title, "");
  const auto& first = crossed->menu->items.at(0);
  EXPECT_EQ(first.title, "?a");
  EXPECT_EQ(first.tag, 2);
  EXPECT_TRUE(first.enabled);
  EXPECT_EQ(first.action, "");
  ASSERT_TRUE(first.submenu);
  EXPECT_EQ(first.submenu->title, "s");
  EXPECT_TRUE(first.submenu->items.empty());
  const auto source = std::make_shared<const NSImage>(
      NSImage::described(NSImage::Kind::system, "n", {}, std::nullopt));
  const NSImage::Drawing drawn{source, {1, 0, 0, 0}, {}, 0, 0, 3};
  EXPECT_EQ(first.image, NSImage::described(NSImage::Kind::canvas, "", {}, drawn));
  const auto& second = crossed->menu->items.at(1);
  EXPECT_EQ(second.tag, 0) << "beyond a 64-bit tag";
  EXPECT_EQ(second.image, NSImage::described(NSImage::Kind::fileIcon, "/f", {}, std::nullopt));
}

}  // namespace
}  // namespace platform::desktop
