#include "desktop/widgets/ImagePeer.h"

#include "desktop/ImageRendering.h"

namespace platform::desktop {

QSize imageSize(NSSize asked, const NSImage& image, int fallback) {
  for (const NSSize size : {asked, image.size()}) {
    if (size.width > 0 && size.height > 0) {
      return {static_cast<int>(size.width), static_cast<int>(size.height)};
    }
  }
  return {fallback, fallback};
}

ImagePeer::ImagePeer(NSImageView& model, PeerContext context, QWidget* parent)
    : QLabel(parent), ViewPeer(static_cast<QWidget&>(*this), model), context_(std::move(context)) {
  setAlignment(Qt::AlignCenter);
  modelChanged();
}

void ImagePeer::refresh() {
  const auto& view = *modelAs<NSImageView>();
  if (!view.image()) {
    setPixmap({});
    return;
  }
  const QIcon icon = iconForImage(*view.image(), context_.resourcesFolder);
  setPixmap(icon.isNull() ? QPixmap()
                          : icon.pixmap(imageSize(view.preferredSize(), *view.image(), 24)));
}

}  // namespace platform::desktop
