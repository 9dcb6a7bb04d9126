#pragma once

#include <QProxyStyle>

namespace platform::desktop {

// The desktop's style, except that the icons it reads from image files are read when first
// drawn. Reading the first such file makes Qt load every image-format plugin it has, and a
// window's menu bar asks for its overflow arrow when it is made, though it is seldom shown.
class DeferredIconStyle final : public QProxyStyle {
  Q_OBJECT

 public:
  QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                     const QWidget* widget) const override;
};

}  // namespace platform::desktop
