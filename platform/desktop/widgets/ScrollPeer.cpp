#include "desktop/widgets/ScrollPeer.h"

#include "desktop/widgets/PeerFactory.h"

namespace platform::desktop {

ScrollPeer::ScrollPeer(NSScrollView& model, PeerContext context, QWidget* parent)
    : QScrollArea(parent),
      ViewPeer(static_cast<QWidget&>(*this), model),
      context_(std::move(context)) {
  setWidgetResizable(true);
  viewport()->setBackgroundRole(QPalette::Base);
  modelChanged();
}

void ScrollPeer::refresh() {
  const auto& scroll = *modelAs<NSScrollView>();
  setFrameShape(scroll.drawsBackground() ? QFrame::StyledPanel : QFrame::NoFrame);
  viewport()->setAutoFillBackground(scroll.drawsBackground());
  showDocument(scroll.documentView());
}

void ScrollPeer::showDocument(NSView* document) {
  const auto* shown = dynamic_cast<const ViewPeer*>(widget());
  if (document == nullptr ? widget() == nullptr : shown != nullptr && shown->model() == document) {
    return;
  }
  if (QWidget* old = takeWidget()) retirePeers(*old);
  if (document == nullptr) return;
  setWidget(makeViewPeer(*document, context_, *this));
  // Moving into the scroll area hid the peer.
  widget()->setHidden(document->isHidden());
}

}  // namespace platform::desktop
