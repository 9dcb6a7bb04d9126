#include "platform/NSWindow.h"

#include "platform/NSViewController.h"
#include "platform/WindowServer.h"

namespace platform {

NSWindow::~NSWindow() {
  if (!visible_) return;
  if (content_) content_->endAppearance();
  if (server_ != nullptr) server_->orderOut(*this);
}

void NSWindow::setTitle(std::string title) {
  title_ = std::move(title);
  didChange();
}

void NSWindow::setContentSize(NSSize size) {
  contentSize_ = size;
  fitContentView();
  didChange();
}

void NSWindow::setContentViewController(std::shared_ptr<NSViewController> controller) {
  if (visible_ && content_) content_->endAppearance();
  content_ = std::move(controller);
  fitContentView();
  if (visible_ && content_) content_->beginAppearance();
  if (server_ != nullptr) server_->windowChanged(*this);
  didChange();
}

void NSWindow::fitContentView() {
  if (content_) content_->view().setFrame({0, 0, contentSize_.width, contentSize_.height});
}

void NSWindow::makeKeyAndOrderFront() {
  const bool appearing = !visible_;
  if (appearing && content_) content_->beginAppearance();
  visible_ = true;
  if (server_ != nullptr) server_->orderFront(*this);
}

void NSWindow::orderOut() {
  if (!visible_) return;
  if (content_) content_->endAppearance();
  visible_ = false;
  if (server_ != nullptr) server_->orderOut(*this);
}

void NSWindow::performClose() {
  if (delegate != nullptr) delegate->windowWillClose(*this);
  orderOut();
}

void NSWindowController::loadWindow(std::unique_ptr<NSWindow> window) {
  window_ = std::move(window);
  windowDidLoad();
}

void NSWindowController::showWindow(const void*) {
  if (window_) window_->makeKeyAndOrderFront();
}

}  // namespace platform
