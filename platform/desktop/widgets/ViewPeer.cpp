#include "desktop/widgets/ViewPeer.h"

#include <QBoxLayout>
#include <QWidget>

#include "platform/NSControl.h"

namespace platform::desktop {

ViewPeer::ViewPeer(QWidget& widget, NSView& model) : widget_(widget), model_(&model) {
  // A view shown anew (its window rebuilt elsewhere) takes its model from the old peer.
  if (auto* previous = dynamic_cast<ViewPeer*>(model.peer())) previous->detach();
  model.setPeer(this);
}

ViewPeer::~ViewPeer() { detach(); }

void ViewPeer::detach() {
  if (model_ != nullptr && model_->peer() == this) model_->setPeer(nullptr);
  model_ = nullptr;
}

void ViewPeer::modelChanged() {
  if (model_ == nullptr) return;
  const NSSize size = model_->preferredSize();
  if (size.width > 0) widget_.setMinimumWidth(static_cast<int>(size.width));
  if (size.height > 0) widget_.setMinimumHeight(static_cast<int>(size.height));
  // Showing a widget without a parent would open a window of its own.
  if (model_->isHidden() || widget_.parentWidget() != nullptr) {
    widget_.setHidden(model_->isHidden());
  }
  widget_.setAccessibleName(QString::fromStdString(model_->accessibilityLabel()));
  if (const auto* control = dynamic_cast<const NSControl*>(model_)) {
    widget_.setEnabled(control->isEnabled());
  }
  refresh();
}

void ViewPeer::modelDestroyed() {
  model_ = nullptr;
  widget_.hide();
  widget_.deleteLater();
}

void retirePeers(QWidget& root) {
  if (auto* peer = dynamic_cast<ViewPeer*>(&root)) peer->detach();
  for (QWidget* child : root.findChildren<QWidget*>()) {
    if (auto* peer = dynamic_cast<ViewPeer*>(child)) peer->detach();
  }
  root.hide();
  root.deleteLater();
}

void packAtStart(QBoxLayout& layout) {
  const bool row = layout.direction() == QBoxLayout::LeftToRight ||
                   layout.direction() == QBoxLayout::RightToLeft;
  layout.setAlignment(row ? Qt::AlignLeft : Qt::AlignTop);
}

}  // namespace platform::desktop
