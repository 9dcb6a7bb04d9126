// Every image the menus show turns into pixels on the desktop.
#include "desktop/ImageRendering.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "platform/NSBundle.h"
#include "shared/CommandCatalogue.h"
#include "support/FileTree.h"
#include "support/QtApplication.h"
#include "support/TestEnvironment.h"

namespace platform::desktop {
namespace {

bool hasPixels(const QIcon& icon) {
  const QImage image = icon.pixmap(QSize(16, 16)).toImage();
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qAlpha(image.pixel(x, y)) > 0) return true;
    }
  }
  return false;
}

class ImageRenderingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plovane::testing::qtApplication();
    useBundledIconTheme();
    ASSERT_TRUE(bundle);
  }
  std::optional<NSBundle> bundle = NSBundle::bundleWithPath(PLOVANE_EXTENSION_BUNDLE);
  std::filesystem::path resources = std::filesystem::path(PLOVANE_EXTENSION_BUNDLE) / "Resources";
};

TEST_F(ImageRenderingTest, EveryImageTheMenuNamesHasArtwork) {
  auto titles = plovane::catalogueTitles();
  titles.insert(titles.end(), {plovane::kHideItemTitle, plovane::kUnhideItemTitle});
  std::vector<std::string> names = {"utility-kit"};
  for (const auto& title : titles) {
    if (const auto name = plovane::commandIconName(title)) names.push_back(*name);
  }
  EXPECT_EQ(names.size(), plovane::commandIconTableSize() + 1) << "a table entry has no title";
  for (const auto& name : names) {
    const auto image = NSImage::imageNamed(*bundle, name);
    ASSERT_TRUE(image) << name;
    EXPECT_TRUE(hasPixels(iconForImage(*image, resources))) << name;
  }
  EXPECT_TRUE(hasPixels(iconForImage(NSImage::applicationIcon(*bundle), resources)));
}

// A menu names its assets on every right-click: their files are looked for once a process, the
// .png before the .svg, and the image and its pixels follow that one answer.
TEST_F(ImageRenderingTest, AnAssetsFileIsDecidedOnceAPngBeforeAnSvg) {
  plovane::testing::TemporaryFolder home;
  plovane::testing::writeBundleInfo(home.path(), "");
  const auto folder =
      plovane::testing::makeFolder(home.path() / "Resources", {"both.png", "both.svg", "v.svg"});
  const auto scratchBundle = NSBundle::bundleWithPath(home.path());
  ASSERT_TRUE(scratchBundle);
  EXPECT_EQ(NSImage::assetFile(folder, "both"), folder / "both.png");
  EXPECT_EQ(NSImage::assetFile(folder, "v"), folder / "v.svg");
  EXPECT_FALSE(NSImage::imageNamed(*scratchBundle, "missing"));

  std::filesystem::remove(folder / "v.svg");
  plovane::testing::makeFolder(folder, {"missing.png"});
  EXPECT_TRUE(NSImage::imageNamed(*scratchBundle, "v"));
  EXPECT_FALSE(NSImage::imageNamed(*scratchBundle, "missing"));
  EXPECT_FALSE(NSImage::assetFile(folder, "missing"));
}

TEST_F(ImageRenderingTest, FileIconsFollowTheTypeAndSurviveRedrawing) {
  plovane::testing::TemporaryFolder home;
  plovane::testing::makeFolder(home.path(), {"notes.txt"});
  const QIcon text = iconForImage(NSImage::fileIcon((home.path() / "notes.txt").string()), {});
  const QIcon folder = iconForImage(NSImage::fileIcon(home.path().string()), {});
  EXPECT_TRUE(hasPixels(text));
  EXPECT_TRUE(hasPixels(folder));
  EXPECT_NE(text.name(), folder.name());

  // As the menu shrinks a custom folder's icon to its entry size.
  NSImage scaled = NSImage::canvas({16, 16});
  scaled.lockFocus();
  NSImage::fileIcon(home.path().string()).drawInRect({0, 0, 16, 16}, {0, 0, 32, 32}, 1, 1.0);
  scaled.unlockFocus();
  EXPECT_EQ(iconForImage(scaled, {}).name(), folder.name());
  EXPECT_TRUE(iconForImage(NSImage::canvas({16, 16}), {}).isNull());

  // An application bundle shows as an application, with its own artwork when it has some.
  plovane::testing::writeBundleInfo(home.path() / "Tool.app", "");
  const QIcon tool = iconForImage(NSImage::iconOfItem((home.path() / "Tool.app").string()), {});
  EXPECT_TRUE(hasPixels(tool));
  EXPECT_EQ(tool.name(), "application-x-executable");
}

// A bare X server reports only the base theme, which has no folder or document icons.
TEST_F(ImageRenderingTest, TheBaseThemeAloneIsReplacedAndADesktopsThemeKept) {
  const QString before = QIcon::themeName();
  QIcon::setThemeName("hicolor");
  useBundledIconTheme();
  EXPECT_EQ(QIcon::themeName(), "Adwaita");
  EXPECT_FALSE(QIcon::fromTheme("folder").isNull());

  QIcon::setThemeName("Desktop's Own");
  useBundledIconTheme();
  EXPECT_EQ(QIcon::themeName(), "Desktop's Own");
  EXPECT_EQ(QIcon::fallbackThemeName(), "Adwaita");
  EXPECT_FALSE(QIcon::fromTheme("folder").isNull());
  QIcon::setThemeName(before);
}

}  // namespace
}  // namespace platform::desktop
