#include "platform/NSControl.h"

namespace platform {

void NSControl::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  didChange();
}

bool NSControl::sendAction() {
  if (target_ == nullptr || action_.empty()) return false;
  return target_->performAction(action_, *this);
}

void NSTextField::setStringValue(std::string text) {
  if (stringValue_ == text) return;
  stringValue_ = std::move(text);
  didChange();
}

void NSButton::setTitle(std::string title) {
  title_ = std::move(title);
  didChange();
}

void NSButton::setState(NSControlStateValue state) {
  if (state_ == state) return;
  state_ = state;
  didChange();
}

void NSButton::setImage(std::optional<NSImage> image) {
  image_ = std::move(image);
  didChange();
}

void NSButton::performClick() {
  if (!isEnabled()) return;
  if (type_ == NSButtonType::switchButton) {
    setState(state_ == NSControlStateValueOn ? NSControlStateValueOff : NSControlStateValueOn);
  }
  sendAction();
}

void NSImageView::setImage(std::optional<NSImage> image) {
  image_ = std::move(image);
  didChange();
}

}  // namespace platform
