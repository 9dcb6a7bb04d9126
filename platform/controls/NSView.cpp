#include "platform/NSView.h"

namespace platform {

PeerObservable::~PeerObservable() {
  if (peer_ != nullptr) peer_->modelDestroyed();
}

void PeerObservable::didChange() const {
  if (peer_ != nullptr) peer_->modelChanged();
}

void NSView::adopt(std::unique_ptr<NSView> view) {
  view->superview_ = this;
  subviews_.push_back(std::move(view));
  didChange();
}

void NSView::setHidden(bool hidden) {
  if (hidden_ == hidden) return;
  hidden_ = hidden;
  didChange();
}

void NSView::setPreferredSize(NSSize size) {
  preferredSize_ = size;
  didChange();
}

std::string NSView::accessibilityLabel() const {
  if (!accessibilityLabel_.empty()) return accessibilityLabel_;
  if (auto shown = visibleText(); !shown.empty()) return shown;
  return titleElement_ != nullptr ? titleElement_->accessibilityLabel() : std::string();
}

void NSView::setAccessibilityLabel(std::string label) {
  accessibilityLabel_ = std::move(label);
  didChange();
}

void NSView::setAccessibilityTitleUIElement(const NSView* titleElement) {
  titleElement_ = titleElement;
  didChange();
}

}  // namespace platform
