#pragma once

#include <QScrollArea>

#include "desktop/widgets/ViewPeer.h"

namespace platform::desktop {

// A scroll view: its document view's peer as wide as the scroll area, scrolled up and down.
class ScrollPeer final : public QScrollArea, public ViewPeer {
  Q_OBJECT

 public:
  ScrollPeer(NSScrollView& model, PeerContext context, QWidget* parent);

 private:
  void refresh() override;
  void showDocument(NSView* document);

  PeerContext context_;
};

}  // namespace platform::desktop
