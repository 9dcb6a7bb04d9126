#include "desktop/widgets/DeferredIconStyle.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPointer>
#include <QStyleOption>
#include <QWidget>
#include <optional>

namespace platform::desktop {

namespace {

// Stands for one of a style's icons and asks the style for it on first use.
class DeferredIconEngine final : public QIconEngine {
 public:
  DeferredIconEngine(QPointer<QStyle> style, QStyle::StandardPixmap which,
                     Qt::LayoutDirection direction)
      : style_(std::move(style)), which_(which), direction_(direction) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return icon().pixmap(size, mode, state);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                       qreal scale) override {
    return icon().pixmap(size, scale, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return icon().actualSize(size, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return icon().availableSizes(mode, state);
  }
  bool isNull() override { return icon().isNull(); }
  QString key() const override { return QStringLiteral("DeferredIconEngine"); }
  QIconEngine* clone() const override { return new DeferredIconEngine(*this); }

 private:
  const QIcon& icon() {
    if (!icon_) {
      QStyleOption option;
      option.direction = direction_;
      icon_ = style_ ? style_->standardIcon(which_, &option) : QIcon();
    }
    return *icon_;
  }

  QPointer<QStyle> style_;
  QStyle::StandardPixmap which_;
  Qt::LayoutDirection direction_;
  std::optional<QIcon> icon_;
};

}  // namespace

QIcon DeferredIconStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                                      const QWidget* widget) const {
  const Qt::LayoutDirection direction = option != nullptr   ? option->direction
                                        : widget != nullptr ? widget->layoutDirection()
                                                            : QGuiApplication::layoutDirection();
  return QIcon(new DeferredIconEngine(baseStyle(), which, direction));
}

}  // namespace platform::desktop
