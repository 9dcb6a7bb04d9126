#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

#include "desktop/widgets/ViewPeer.h"
#include "platform/NSCollectionView.h"

namespace platform::desktop {

// A collection view as a grid: each item's view peer at the flow layout's item size, in rows
// that wrap to the widget's width, inside the layout's insets and apart by its spacing. The
// height follows from the width, so a scroll area around it scrolls the rows.
class CollectionPeer final : public QWidget, public ViewPeer {
  Q_OBJECT

 public:
  CollectionPeer(NSCollectionView& model, PeerContext context, QWidget* parent);

  int itemCount() const { return static_cast<int>(items_.size()); }
  // The peer of an item's view; null for an empty place.
  QWidget* itemWidget(int index) const { return items_.at(static_cast<std::size_t>(index)).widget; }

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct ShownItem {
    const NSView* view = nullptr;
    QPointer<QWidget> widget;
  };

  void refresh() override;
  bool showsItemsOf(const NSCollectionView& collection) const;
  void rebuildItems(NSCollectionView& collection);
  void placeItems();

  PeerContext context_;
  NSCollectionViewFlowLayout layout_;
  std::vector<ShownItem> items_;
};

}  // namespace platform::desktop
