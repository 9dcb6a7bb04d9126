#include "desktop/widgets/ContainerPeer.h"

#include <QAbstractButton>
#include <QBoxLayout>

#include "desktop/widgets/PeerFactory.h"

namespace platform::desktop {

namespace {

QBoxLayout* makeLayout(const NSView& model, QWidget& widget) {
  const auto* stack = dynamic_cast<const NSStackView*>(&model);
  const bool row =
      stack != nullptr && stack->orientation() == NSUserInterfaceLayoutOrientation::horizontal;
  auto* layout = new QBoxLayout(row ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, &widget);
  layout->setContentsMargins(0, 0, 0, 0);
  if (stack != nullptr) layout->setSpacing(static_cast<int>(stack->spacing()));
  packAtStart(*layout);
  return layout;
}

}  // namespace

ContainerPeer::ContainerPeer(NSView& model, PeerContext context, QWidget* parent)
    : QWidget(parent),
      ViewPeer(static_cast<QWidget&>(*this), model),
      context_(std::move(context)),
      layout_(makeLayout(model, *this)) {
  modelChanged();
}

bool ContainerPeer::showsSubviewsOf(const NSView& view) const {
  const auto& subviews = view.subviews();
  if (subviews.size() != shown_.size()) return false;
  for (std::size_t index = 0; index < subviews.size(); ++index) {
    const auto* peer = dynamic_cast<const ViewPeer*>(shown_[index].data());
    if (peer == nullptr || peer->model() != subviews[index].get()) return false;
  }
  return true;
}

void ContainerPeer::refresh() {
  NSView& view = *model();
  if (showsSubviewsOf(view)) return;
  while (QLayoutItem* item = layout_->takeAt(0)) delete item;
  for (const auto& widget : shown_) {
    if (widget) retirePeers(*widget);
  }
  shown_.clear();
  const bool column = layout_->direction() == QBoxLayout::TopToBottom;
  for (const auto& subview : view.subviews()) {
    QWidget* peer = makeViewPeer(*subview, context_, *this);
    // Buttons keep the width of their title, as the person expects a button to look.
    const bool button = qobject_cast<QAbstractButton*>(peer) != nullptr;
    layout_->addWidget(peer, 0, column && button ? Qt::AlignLeft : Qt::Alignment());
    shown_.emplace_back(peer);
  }
}

}  // namespace platform::desktop
