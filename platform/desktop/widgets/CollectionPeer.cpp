#include "desktop/widgets/CollectionPeer.h"

#include <algorithm>
#include <cmath>

#include "desktop/widgets/PeerFactory.h"

namespace platform::desktop {

namespace {

int pixels(double points) { return static_cast<int>(std::lround(points)); }

// The flow layout's places at one width. Full rows are spread from the left inset to the right
// one; an inset that would push items past an edge counts as none.
class FlowGrid {
 public:
  FlowGrid(const NSCollectionViewFlowLayout& layout, int width)
      : layout_(layout),
        left_(std::max(0.0, layout.sectionInset.left)),
        top_(std::max(0.0, layout.sectionInset.top)) {
    const double room = width - left_ - std::max(0.0, layout.sectionInset.right);
    const double item = layout.itemSize.width;
    const double spacing = std::max(0.0, layout.minimumInteritemSpacing);
    const double fits = item + spacing > 0 ? std::floor((room + spacing) / (item + spacing)) : 1;
    columns_ = static_cast<std::size_t>(std::clamp(fits, 1.0, 4096.0));
    gap_ = columns_ > 1 ? std::max(spacing, (room - static_cast<double>(columns_) * item) /
                                                static_cast<double>(columns_ - 1))
                        : 0;
  }

  QRect itemRect(std::size_t index) const {
    const double column = static_cast<double>(index % columns_);
    const double row = static_cast<double>(index / columns_);
    const NSSize size = layout_.itemSize;
    return {pixels(left_ + column * (size.width + gap_)),
            pixels(top_ + row * (size.height + layout_.minimumLineSpacing)), pixels(size.width),
            pixels(size.height)};
  }

  int height(std::size_t count) const {
    const double rows = static_cast<double>((count + columns_ - 1) / columns_);
    const double lines = rows > 0 ? rows - 1 : 0;
    return pixels(top_ + rows * layout_.itemSize.height + lines * layout_.minimumLineSpacing +
                  std::max(0.0, layout_.sectionInset.bottom));
  }

 private:
  const NSCollectionViewFlowLayout& layout_;
  double left_;
  double top_;
  std::size_t columns_ = 1;
  double gap_ = 0;
};

}  // namespace

CollectionPeer::CollectionPeer(NSCollectionView& model, PeerContext context, QWidget* parent)
    : QWidget(parent), ViewPeer(static_cast<QWidget&>(*this), model), context_(std::move(context)) {
  setBackgroundRole(QPalette::Base);
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
  modelChanged();
}

int CollectionPeer::heightForWidth(int width) const {
  return FlowGrid(layout_, width).height(items_.size());
}

QSize CollectionPeer::minimumSizeHint() const {
  const auto& inset = layout_.sectionInset;
  return {pixels(std::max(0.0, inset.left) + layout_.itemSize.width + std::max(0.0, inset.right)),
          0};
}

QSize CollectionPeer::sizeHint() const {
  const int width = minimumSizeHint().width();
  return {width, heightForWidth(width)};
}

void CollectionPeer::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  placeItems();
}

void CollectionPeer::refresh() {
  auto& collection = *modelAs<NSCollectionView>();
  setAutoFillBackground(collection.drawsBackground());
  layout_ = collection.collectionViewLayout();
  if (!showsItemsOf(collection)) rebuildItems(collection);
  placeItems();
  updateGeometry();
}

bool CollectionPeer::showsItemsOf(const NSCollectionView& collection) const {
  if (collection.numberOfItemsInSection(0) != itemCount()) return false;
  for (std::size_t index = 0; index < items_.size(); ++index) {
    auto* item = collection.itemAtIndexPath({0, static_cast<std::int64_t>(index)});
    const NSView* view = item != nullptr ? &item->view() : nullptr;
    if (view != items_[index].view) return false;
    // A view made anew at a freed view's address has no peer here.
    const auto* peer = dynamic_cast<const ViewPeer*>(items_[index].widget.data());
    if (view != nullptr && (peer == nullptr || peer->model() != view)) return false;
  }
  return true;
}

void CollectionPeer::rebuildItems(NSCollectionView& collection) {
  for (const ShownItem& shown : items_) {
    if (shown.widget) retirePeers(*shown.widget);
  }
  items_.clear();
  for (std::int64_t index = 0; index < collection.numberOfItemsInSection(0); ++index) {
    NSCollectionViewItem* item = collection.itemAtIndexPath({0, index});
    NSView* view = item != nullptr ? &item->view() : nullptr;
    ShownItem shown{view, nullptr};
    if (view != nullptr) shown.widget = makeViewPeer(*view, context_, *this);
    items_.push_back(shown);
  }
}

void CollectionPeer::placeItems() {
  const FlowGrid grid(layout_, width());
  for (std::size_t index = 0; index < items_.size(); ++index) {
    if (QWidget* widget = items_[index].widget) widget->setGeometry(grid.itemRect(index));
  }
}

}  // namespace platform::desktop
