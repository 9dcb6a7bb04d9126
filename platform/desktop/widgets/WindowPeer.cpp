#include "desktop/widgets/WindowPeer.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include "desktop/widgets/PeerFactory.h"
#include "platform/NSViewController.h"

namespace platform::desktop {

WindowPeer::WindowPeer(NSWindow& model, PeerContext context)
    : model_(&model), context_(std::move(context)), layout_(new QVBoxLayout(this)) {
  // Whether closing the last window ends the program is the application delegate's call.
  setAttribute(Qt::WA_QuitOnClose, false);
  model.setPeer(this);
  modelChanged();
}

WindowPeer::~WindowPeer() {
  if (model_ != nullptr && model_->peer() == this) model_->setPeer(nullptr);
}

void WindowPeer::modelChanged() {
  if (model_ == nullptr) return;
  setWindowTitle(QString::fromStdString(model_->title()));
  setAccessibleName(windowTitle());
  // Only a new content size resizes: the person may have resized the window since.
  const NSSize size = model_->contentSize();
  if (size != sized_ && size.width > 0 && size.height > 0) {
    resize(static_cast<int>(size.width), static_cast<int>(size.height));
  }
  sized_ = size;
  showContent();
}

void WindowPeer::showContent() {
  NSViewController* controller = model_->contentViewController();
  NSView* view = controller != nullptr ? &controller->view() : nullptr;
  const auto* shown = dynamic_cast<const ViewPeer*>(content_.data());
  if (view == nullptr ? !content_ : shown != nullptr && shown->model() == view) return;
  if (content_) retirePeers(*content_);
  content_ = view != nullptr ? makeViewPeer(*view, context_, *this) : nullptr;
  if (content_) layout_->addWidget(content_);
}

void WindowPeer::modelDestroyed() {
  model_ = nullptr;
  hide();
  deleteLater();
}

void WindowPeer::closeEvent(QCloseEvent* event) {
  // The model orders the window out, which hides this widget; Qt then finds it hidden.
  event->accept();
  if (model_ != nullptr && model_->isVisible()) model_->performClose();
}

}  // namespace platform::desktop
