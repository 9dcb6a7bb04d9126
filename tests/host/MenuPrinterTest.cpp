#include "host/commandline/MenuPrinter.h"

#include <gtest/gtest.h>

#include "support/Process.h"

namespace plovane::host {
namespace {

using platform::NSImage;
using platform::NSMenu;
using platform::NSMenuItem;

NSMenu sampleMenu() {
  NSMenu menu;
  NSMenuItem command("Say \"hi\"\\\n\t\x01", "commenAction:", "");
  command.tag = 7;
  menu.addItem(command);
  auto contents = std::make_shared<NSMenu>();
  NSMenuItem entry("a.txt", "subFolderClicked:", "");
  entry.tag = 3;
  NSImage scaled = NSImage::canvas({24, 24});
  scaled.lockFocus();
  NSImage::fileIcon("/f/a.txt").drawInRect({0, 0, 24, 24}, {0, 0, 32, 32}, 1, 1.0);
  scaled.unlockFocus();
  entry.image = scaled;
  contents->addItem(entry);
  NSMenuItem folder("Folder", "", "");
  folder.submenu = contents;
  menu.addItem(folder);
  return menu;
}

TEST(MenuPrinterTest, TreeShowsEveryEntryIndentedUnderItsParent) {
  EXPECT_EQ(
      menuAsTree(sampleMenu()),
      "Say \"hi\"\\\n\t\x01  [tag 7, commenAction:]\n"
      "Folder  [tag 0]\n"
      "  a.txt  [tag 3, subFolderClicked:, image fileIcon:/f/a.txt at 32x32 drawn at 24x24]\n");
}

TEST(MenuPrinterTest, JsonIsReadByAStandardParserWithEveryField) {
  const std::string check =
      "import json,sys\n"
      "m=json.loads(sys.argv[1])\n"
      "assert m[0]['title']=='Say \"hi\"\\\\\\n\\t\\x01', repr(m[0]['title'])\n"
      "assert m[0]['tag']==7 and m[0]['action']=='commenAction:' and m[0]['image'] is None\n"
      "assert m[0]['enabled'] is True and m[0]['keyEquivalent']=='' and 'submenu' not in m[0]\n"
      "assert m[1]['action'] is None\n"
      "e=m[1]['submenu'][0]\n"
      "assert e['tag']==3 and e['image']['kind']=='drawn' and e['image']['width']==24\n"
      "assert "
      "e['image']['drawnFrom']=={'kind':'fileIcon','name':'/f/a.txt','width':32,'height':32}\n"
      "assert json.loads(sys.argv[2])==[]\n";
  const auto result = testing::runProcess(
      {PLOVANE_PYTHON3, "-c", check, menuAsJson(sampleMenu()), menuAsJson(NSMenu())});
  EXPECT_EQ(result.exitCode, 0) << result.standardError;
}

}  // namespace
}  // namespace plovane::host
