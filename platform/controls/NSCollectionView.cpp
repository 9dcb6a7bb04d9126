#include "platform/NSCollectionView.h"

#include <algorithm>

namespace platform {

void NSCollectionView::registerItem(const std::string& identifier, ItemFactory factory) {
  prototypes_[identifier] = std::move(factory);
}

NSCollectionViewItem* NSCollectionView::makeItemWithIdentifier(const std::string& identifier,
                                                               const NSIndexPath&) {
  auto prototype = prototypes_.find(identifier);
  if (prototype == prototypes_.end()) return nullptr;
  made_.push_back(prototype->second());
  // The outlets exist once the item is handed out, as an item loaded from its prototype has.
  made_.back()->view();
  return made_.back().get();
}

void NSCollectionView::reloadData() {
  // The old items stay alive until the new ones are made: an item's own control may be the one
  // whose action asked for the reload.
  std::vector<std::unique_ptr<NSCollectionViewItem>> items;
  const std::int64_t count =
      dataSource != nullptr ? dataSource->collectionViewNumberOfItemsInSection(*this, 0) : 0;
  for (std::int64_t index = 0; index < count; ++index) {
    NSCollectionViewItem* item =
        dataSource->collectionViewItemForRepresentedObjectAtIndexPath(*this, {0, index});
    auto kept = std::find_if(made_.begin(), made_.end(),
                             [item](const auto& made) { return made.get() == item; });
    if (item != nullptr && kept != made_.end()) {
      items.push_back(std::move(*kept));
      made_.erase(kept);
    } else {
      items.push_back(nullptr);
    }
  }
  made_.clear();
  items_.swap(items);
  didChange();
}

std::int64_t NSCollectionView::numberOfItemsInSection(std::int64_t section) const {
  return section == 0 ? static_cast<std::int64_t>(items_.size()) : 0;
}

NSCollectionViewItem* NSCollectionView::itemAtIndexPath(const NSIndexPath& indexPath) const {
  if (indexPath.item < 0 || indexPath.item >= numberOfItemsInSection(indexPath.section)) {
    return nullptr;
  }
  return items_[static_cast<std::size_t>(indexPath.item)].get();
}

void NSCollectionView::setCollectionViewLayout(NSCollectionViewFlowLayout layout) {
  layout_ = layout;
  didChange();
}

void NSCollectionView::setDrawsBackground(bool draws) {
  if (drawsBackground_ == draws) return;
  drawsBackground_ = draws;
  didChange();
}

}  // namespace platform
