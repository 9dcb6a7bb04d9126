#pragma once

#include <QLabel>

#include "desktop/widgets/ViewPeer.h"
#include "platform/NSControl.h"

namespace platform::desktop {

// An image view's picture at the size it asks for.
class ImagePeer final : public QLabel, public ViewPeer {
  Q_OBJECT

 public:
  ImagePeer(NSImageView& model, PeerContext context, QWidget* parent);

 private:
  void refresh() override;

  PeerContext context_;
};

// The size an image is drawn at: the size asked for, else the image's own, else `fallback`.
QSize imageSize(NSSize asked, const NSImage& image, int fallback);

}  // namespace platform::desktop
