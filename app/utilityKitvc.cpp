#include "app/utilityKitvc.h"

#include <random>

#include "app/aboutVc.h"
#include "app/collectionView_cell.h"
#include "platform/SelectorTable.h"

namespace plovane::app {

namespace {

constexpr platform::NSSize kCardSize{430, 220};
// Two cards with 20 points between them; the rest of the width goes a third to either side.
constexpr double kTwoCardsWidth = 2 * kCardSize.width + 20;
constexpr double kDelayBeforeFirstLayout = 0.1;

using Methods = platform::SelectorTable<utilityKitvc, platform::NSControl&>;

const Methods& exportedMethods() {
  static const Methods methods = {
      {"btnAppStoreClickedWithSender:",
       [](utilityKitvc& self, platform::NSControl& sender) {
         self.btnAppStoreClickedWithSender(sender);
       }},
  };
  return methods;
}

std::string applicationsFolder(const platform::NSFileManager& fileManager) {
  const auto folders = fileManager.applicationDirectoryURLs();
  return folders.empty() ? std::string() : folders.front().path();
}

std::function<std::size_t(std::size_t)> uniformDraw() {
  return [engine = std::mt19937(std::random_device{}())](std::size_t bound) mutable {
    return std::uniform_int_distribution<std::size_t>(0, bound - 1)(engine);
  };
}

}  // namespace

utilityKitvc::utilityKitvc(Services services)
    : randomBelow(uniformDraw()),
      services_(services),
      catalogue_(
          otherAppsCatalogue(services.mainBundle, applicationsFolder(services.fileManager))) {}

void utilityKitvc::viewDidLoad() {
  lblotherapps->setStringValue("Other Apps we think you may Love:");
  scrollview->setDrawsBackground(false);
  collectionView->setDrawsBackground(false);
  collectionView->dataSource = this;
}

void utilityKitvc::viewWillAppear() {
  rebuildCatalogue();
  collectionView->reloadData();
  configureCollectionView();
}

void utilityKitvc::viewDidAppear() {
  if (isfirstTimeLodded) {
    configureCollectionView();
    return;
  }
  isfirstTimeLodded = true;
  // The window has its final size only once it was shown the first time.
  services_.runLoop.dispatchAfter(kDelayBeforeFirstLayout, [this] { configureCollectionView(); });
}

void utilityKitvc::configureCollectionView() {
  platform::NSCollectionViewFlowLayout layout;
  layout.itemSize = kCardSize;
  space = (view().frame().width - kTwoCardsWidth) / 3;
  layout.sectionInset = {10, space, 20, space};
  layout.minimumInteritemSpacing = 0;
  collectionView->setCollectionViewLayout(layout);
}

void utilityKitvc::rebuildCatalogue() {
  // A draw out of range wraps around rather than reading past the orders.
  const PromoOrder& order = promoOrders()[randomBelow(kPromoOrderCount) % kPromoOrderCount];
  randomPrmotarr.assign(order.begin(), order.end());
  allappsDic.clear();
  for (const int number : randomPrmotarr) {
    const OtherApp& app = catalogue_[static_cast<std::size_t>(number - 1)];
    if (!services_.fileManager.fileExistsAtPath(app.installPath)) {
      allappsDic.push_back(app.row);
    }
  }
}

std::int64_t utilityKitvc::collectionViewNumberOfItemsInSection(platform::NSCollectionView&,
                                                                std::int64_t) {
  return static_cast<std::int64_t>(allappsDic.size());
}

platform::NSCollectionViewItem* utilityKitvc::collectionViewItemForRepresentedObjectAtIndexPath(
    platform::NSCollectionView& collection, const platform::NSIndexPath& indexPath) {
  auto* cell = dynamic_cast<collectionView_cell*>(
      collection.makeItemWithIdentifier(kCollectionViewCellIdentifier, indexPath));
  if (cell == nullptr) return nullptr;
  const OtherAppRow& row = allappsDic[static_cast<std::size_t>(indexPath.item)];
  services_.log.standardOutput(describeRow(row));
  const std::string title = rowText(row, "Title");
  cell->lbltitle->setStringValue(title);
  cell->imgview->setImage(rowImage(row, "icon"));
  cell->lblsubtitle->setStringValue(rowText(row, "description"));
  cell->lblapptype->setStringValue(rowText(row, "category"));
  cell->btnappstore->setTag(indexPath.item);
  cell->btnappstore->setTarget(this);
  cell->btnappstore->setAction("btnAppStoreClickedWithSender:");
  // Every card has the same button: a screen reader says whose page it opens.
  cell->btnappstore->setAccessibilityLabel("View " + title + " in the App Store");
  return cell;
}

bool utilityKitvc::performAction(const std::string& selector, platform::NSControl& sender) {
  return exportedMethods().perform(*this, selector, sender);
}

void utilityKitvc::btnAppStoreClickedWithSender(platform::NSControl& sender) {
  if (sender.tag() < 0 || static_cast<std::size_t>(sender.tag()) >= allappsDic.size()) return;
  const std::string page = rowText(allappsDic[static_cast<std::size_t>(sender.tag())], "apppath");
  if (formsURL(page)) services_.workspace.openURLString(page);
}

}  // namespace plovane::app
