#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/NSImage.h"
#include "platform/NSView.h"
#include "platform/NSViewController.h"

namespace platform {

class NSCollectionView;

// Where an item sits: its section and its place in that section.
struct NSIndexPath {
  std::int64_t section = 0;
  std::int64_t item = 0;
};

struct NSEdgeInsets {
  double top = 0;
  double left = 0;
  double bottom = 0;
  double right = 0;
};

// Items of one size in rows that wrap to the collection view's width: `sectionInset` around
// them, at least `minimumInteritemSpacing` between neighbours in a row and
// `minimumLineSpacing` between rows. The defaults are the platform's.
struct NSCollectionViewFlowLayout {
  NSSize itemSize{50, 50};
  NSEdgeInsets sectionInset;
  double minimumInteritemSpacing = 10;
  double minimumLineSpacing = 10;
};

// One item of a collection view: a controller whose view the storyboard's prototype builds; a
// subclass adds the outlets the prototype wires.
class NSCollectionViewItem : public NSViewController {};

class NSCollectionViewDataSource {
 public:
  virtual ~NSCollectionViewDataSource() = default;
  virtual std::int64_t collectionViewNumberOfItemsInSection(NSCollectionView& collectionView,
                                                            std::int64_t section) = 0;
  // An item made with makeItemWithIdentifier (the collection view keeps it), or none for an
  // empty place.
  virtual NSCollectionViewItem* collectionViewItemForRepresentedObjectAtIndexPath(
      NSCollectionView& collectionView, const NSIndexPath& indexPath) = 0;
};

// Items of one section, asked of the data source on reloadData and placed by the flow layout.
class NSCollectionView : public NSView {
 public:
  using ItemFactory = std::function<std::unique_ptr<NSCollectionViewItem>()>;

  NSCollectionViewDataSource* dataSource = nullptr;

  // The storyboard's item prototypes, by identifier.
  void registerItem(const std::string& identifier, ItemFactory factory);
  // A new item of the prototype `identifier` with its view loaded, kept by the collection
  // view; none for an unknown one.
  NSCollectionViewItem* makeItemWithIdentifier(const std::string& identifier,
                                               const NSIndexPath& indexPath);
  // Asks the data source again for every item.
  void reloadData();

  std::int64_t numberOfItemsInSection(std::int64_t section) const;
  // The item at a place after the last reload; none for an empty place or one out of range.
  NSCollectionViewItem* itemAtIndexPath(const NSIndexPath& indexPath) const;

  const NSCollectionViewFlowLayout& collectionViewLayout() const { return layout_; }
  void setCollectionViewLayout(NSCollectionViewFlowLayout layout);

  // False shows what lies behind the items instead of a background of their own.
  bool drawsBackground() const { return drawsBackground_; }
  void setDrawsBackground(bool draws);

 private:
  std::map<std::string, ItemFactory> prototypes_;
  std::vector<std::unique_ptr<NSCollectionViewItem>> made_;
  std::vector<std::unique_ptr<NSCollectionViewItem>> items_;
  NSCollectionViewFlowLayout layout_;
  bool drawsBackground_ = true;
};

}  // namespace platform
