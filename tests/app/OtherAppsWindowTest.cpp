// The other-apps window: which of the maker's apps it shows and in which order, the links its
// cards open, the grid's layout, and the catalogue it draws from.
#include <algorithm>
#include <array>
#include <cctype>
#include <numeric>
#include <set>

#include "app/OtherAppsCatalogue.h"
#include "app/UtilityKitWindow.h"
#include "app/collectionView_cell.h"
#include "app/utilityKitvc.h"
#include "extension/FinderSync.h"
#include "shared/CommandCatalogue.h"
#include "support/FileTree.h"
#include "tests/app/SettingsAppFixture.h"

namespace plovane {
namespace {

// The entry numbers of promo order 2, as the maker ranked them.
const std::vector<int> kOrderTwo = {6, 16, 13, 15, 2, 14, 4, 8, 11, 3, 10, 7, 9, 1, 5, 12, 17};

class OtherAppsWindowTest : public testing::SettingsAppFixture {
 protected:
  OtherAppsWindowTest() {
    markFirstRunDone();
    launch();
  }

  app::utilityKitvc& kit() { return *context.utilityKitViewController(); }
  platform::NSWindow& window() { return *context.utilityKitWindowController()->window(); }
  app::OtherAppRow entry(int number) const {
    return catalogue.at(static_cast<std::size_t>(number - 1)).row;
  }

  // The next showing draws promo order `order` (1 to 9).
  void drawOrder(std::size_t order) {
    kit().randomBelow = [order](std::size_t) { return order - 1; };
  }
  // As the extension asks for the window.
  void showWindow() {
    env.notifications.postNotificationName(notifications::ShowUtilityKit,
                                           kExtensionBundleIdentifier);
    env.runLoop.drain();
  }
  void install(int number) {
    testing::makeFolder(applications / (app::rowText(entry(number), "Title") + ".app"));
  }

  app::collectionView_cell& card(std::int64_t index) {
    auto* item = kit().collectionView->itemAtIndexPath({0, index});
    auto* cell = dynamic_cast<app::collectionView_cell*>(item);
    if (cell == nullptr) throw std::logic_error("no card at that place");
    return *cell;
  }
  std::vector<std::string> shownTitles() {
    std::vector<std::string> titles;
    for (std::int64_t index = 0; index < kit().collectionView->numberOfItemsInSection(0); ++index) {
      titles.push_back(card(index).lbltitle->stringValue());
    }
    return titles;
  }
  std::vector<std::string> titlesOf(const std::vector<int>& numbers) const {
    std::vector<std::string> titles;
    for (int number : numbers) titles.push_back(app::rowText(entry(number), "Title"));
    return titles;
  }

  std::filesystem::path applications = env.home.path() / "Applications";
  std::vector<app::OtherApp> catalogue = app::otherAppsCatalogue(env.bundle, applications.string());
};

TEST_F(OtherAppsWindowTest, WithEveryAppInstalledTheGridIsEmpty) {
  for (int number = 1; number <= 17; ++number) install(number);
  showWindow();
  ASSERT_TRUE(window().isVisible());
  EXPECT_EQ(kit().collectionView->numberOfItemsInSection(0), 0);
  EXPECT_TRUE(kit().allappsDic.empty());
}

TEST_F(OtherAppsWindowTest, WithNoneInstalledEveryCardShowsInTheDrawnOrder) {
  drawOrder(1);
  showWindow();
  EXPECT_EQ(kit().lblotherapps->stringValue(), "Other Apps we think you may Love:");
  std::vector<int> catalogueOrder(17);
  std::iota(catalogueOrder.begin(), catalogueOrder.end(), 1);
  EXPECT_EQ(shownTitles(), titlesOf(catalogueOrder));
  EXPECT_EQ(kit().randomPrmotarr, catalogueOrder);
  // Each card writes its row to standard output as it is made.
  ASSERT_EQ(env.log.outputLines.size(), 17u);
  EXPECT_NE(env.log.outputLines.front().find("Title = Marrowfen"), std::string::npos);

  window().performClose();
  drawOrder(2);
  showWindow();
  EXPECT_EQ(shownTitles(), titlesOf(kOrderTwo));
  EXPECT_EQ(kit().randomPrmotarr, kOrderTwo);
  const auto& shown = card(4);
  EXPECT_EQ(shown.lblsubtitle->stringValue(), app::rowText(entry(2), "description"));
  EXPECT_EQ(shown.lblapptype->stringValue(), app::rowText(entry(2), "category"));
  EXPECT_EQ(shown.imgview->image(), app::rowImage(entry(2), "icon"));
}

TEST_F(OtherAppsWindowTest, AStoreButtonOpensItsOwnCardsPageWhenOthersWereLeftOut) {
  install(6);
  install(13);
  drawOrder(2);
  showWindow();
  // Order 2 without entries 6 and 13: 16, 15, 2, ...
  ASSERT_EQ(kit().collectionView->numberOfItemsInSection(0), 15);
  auto& pellisade = card(2);
  ASSERT_EQ(pellisade.lbltitle->stringValue(), "Pellisade");
  EXPECT_EQ(pellisade.btnappstore->accessibilityLabel(), "View Pellisade in the App Store");
  EXPECT_TRUE(pellisade.btnappstore->showsPointingHand());

  pellisade.btnappstore->performClick();
  card(14).btnappstore->performClick();
  EXPECT_EQ(env.workspace.openedURLStrings,
            (std::vector{app::rowText(entry(2), "apppath"), app::rowText(entry(17), "apppath")}));
}

TEST_F(OtherAppsWindowTest, AnAppInstalledWhileTheWindowIsHiddenIsGoneTheNextTime) {
  drawOrder(1);
  showWindow();
  window().performClose();
  install(1);
  showWindow();
  ASSERT_EQ(kit().collectionView->numberOfItemsInSection(0), 16);
  EXPECT_EQ(card(0).lbltitle->stringValue(), "Pellisade");
}

TEST_F(OtherAppsWindowTest, TwoCardsFitSideBySideWithEqualGaps) {
  showWindow();
  ASSERT_EQ(kit().view().frame().width, 1040);
  const auto& layout = kit().collectionView->collectionViewLayout();
  EXPECT_EQ(layout.itemSize, (platform::NSSize{430, 220}));
  EXPECT_NEAR(kit().space, 53.33, 0.01);
  EXPECT_EQ(layout.sectionInset.top, 10);
  EXPECT_EQ(layout.sectionInset.bottom, 20);
  EXPECT_EQ(layout.sectionInset.left, kit().space);
  EXPECT_EQ(layout.sectionInset.right, kit().space);
  EXPECT_EQ(layout.minimumInteritemSpacing, 0);

  // A view narrower than two cards gets a negative inset.
  window().setContentSize({800, 620});
  kit().configureCollectionView();
  EXPECT_NEAR(kit().collectionView->collectionViewLayout().sectionInset.left, -26.67, 0.01);
}

TEST_F(OtherAppsWindowTest, TheFirstShowingLaysOutAgainATenthOfASecondLater) {
  const auto delaysBefore = env.runLoop.pendingDelays();
  showWindow();
  EXPECT_TRUE(kit().isfirstTimeLodded);
  EXPECT_EQ(env.runLoop.pendingDelays(), delaysBefore + 1);
  // The window settles at another size just after it came on screen.
  window().setContentSize({1200, 620});
  env.runLoop.advanceBy(0.09);
  EXPECT_NEAR(kit().space, 53.33, 0.01);
  env.runLoop.advanceBy(0.02);
  EXPECT_NEAR(kit().space, 106.67, 0.01);

  // Later showings lay out at once, with nothing left for later.
  window().performClose();
  window().setContentSize({1040, 620});
  showWindow();
  EXPECT_NEAR(kit().space, 53.33, 0.01);
  EXPECT_EQ(env.runLoop.pendingDelays(), delaysBefore);
}

TEST_F(OtherAppsWindowTest, EveryRowHasAllKeysAndItsOwnIcon) {
  ASSERT_EQ(catalogue.size(), 17u);
  std::set<std::string> titles, icons, pages;
  for (const auto& app : catalogue) {
    for (const char* key : {"Title", "description", "icon", "apppath", "category"}) {
      EXPECT_TRUE(app.row.contains(key)) << app::describeRow(app.row) << " lacks " << key;
    }
    const auto icon = app::rowImage(app.row, "icon");
    if (icon) icons.insert(icon->name());
    titles.insert(app::rowText(app.row, "Title"));
    pages.insert(app::rowText(app.row, "apppath"));
    EXPECT_TRUE(app::rowText(app.row, "apppath").starts_with("macappstore://apps.apple.com/app/"));
  }
  EXPECT_EQ(titles.size(), 17u);
  EXPECT_EQ(icons.size(), 17u);
  EXPECT_EQ(pages.size(), 17u);
}

TEST(PromoOrdersTest, EachShowsEveryAppOnce) {
  std::vector<int> all(17);
  std::iota(all.begin(), all.end(), 1);
  for (const auto& order : app::promoOrders()) {
    std::vector<int> sorted(order.begin(), order.end());
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, all);
  }
}

// The four companion tools: their cards open the pages the extension offers, and the extension
// starts them from the paths the cards test.
TEST(CompanionToolsInCatalogueTest, MatchWhatTheExtensionOffersAndStarts) {
  testing::TestEnvironment env;
  FinderSync extension(env.platform);
  const auto applications = env.home.path() / "Applications";
  const auto catalogue = app::otherAppsCatalogue(env.bundle, applications.string());
  auto choose = [&](std::int64_t tag) {
    platform::NSMenuItem item("", "commenAction:", "");
    item.tag = tag;
    extension.performSelector("commenAction:", &item);
    env.runLoop.drain();
  };
  const std::array tools = {kFindDuplicateFiles, kFindDuplicatePhotos, kViewOrEditExifData,
                            kResizePhotos};
  for (std::size_t entry = 0; entry < tools.size(); ++entry) {
    const std::string title = app::rowText(catalogue[entry].row, "Title");
    env.modals.answer(platform::sim::ModalAnswer::button("Yes"));
    choose(tools[entry]);
    ASSERT_EQ(env.workspace.openedURLStrings.size(), entry + 1) << title << " was not offered";
    EXPECT_EQ(env.workspace.openedURLStrings.back(), app::rowText(catalogue[entry].row, "apppath"));

    std::string identifier = "com.quenlow.";
    for (char c : title)
      identifier += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    testing::writeBundleInfo(applications / (title + ".app"),
                             "<key>CFBundleIdentifier</key><string>" + identifier + "</string>");
    choose(tools[entry]);
    ASSERT_EQ(env.workspace.openedURLs.size(), entry + 1) << title << " was not started";
    EXPECT_EQ(env.workspace.openedURLs.back().path(), catalogue[entry].installPath);
  }
}

}  // namespace
}  // namespace plovane
