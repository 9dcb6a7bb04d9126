#include "desktop/widgets/ButtonPeers.h"

#include <QPointer>

#include "desktop/ImageRendering.h"
#include "desktop/widgets/ImagePeer.h"

namespace platform::desktop {

namespace {

// The action may reload the table the button sits in, destroying the model and retiring this
// very widget (deleted later), so nothing of the model is used once the click returns.
void clickModel(ViewPeer& peer) {
  if (auto* button = static_cast<NSButton*>(peer.model())) button->performClick();
}

}  // namespace

PushButtonPeer::PushButtonPeer(NSButton& model, PeerContext context, QWidget* parent)
    : QPushButton(parent),
      ViewPeer(static_cast<QWidget&>(*this), model),
      context_(std::move(context)) {
  connect(this, &QAbstractButton::clicked, this, [this] { clickModel(*this); });
  modelChanged();
}

void PushButtonPeer::refresh() {
  const auto& button = *modelAs<NSButton>();
  setText(QString::fromStdString(button.title()));
  if (button.image()) {
    setIcon(iconForImage(*button.image(), context_.resourcesFolder));
    setIconSize(imageSize({}, *button.image(), 16));
  } else {
    setIcon({});
  }
  if (button.showsPointingHand()) {
    setCursor(Qt::PointingHandCursor);
  } else {
    unsetCursor();
  }
}

CheckBoxPeer::CheckBoxPeer(NSButton& model, QWidget* parent)
    : QCheckBox(parent), ViewPeer(static_cast<QWidget&>(*this), model) {
  connect(this, &QAbstractButton::clicked, this, [this] { personClicked(); });
  // A screen reader's toggle action sets the box directly, without a click.
  connect(this, &QAbstractButton::toggled, this, [this](bool checked) { toggled(checked); });
  modelChanged();
}

void CheckBoxPeer::refresh() {
  const auto& button = *modelAs<NSButton>();
  following_ = true;
  setText(QString::fromStdString(button.title()));
  setChecked(button.state() == NSControlStateValueOn);
  following_ = false;
}

void CheckBoxPeer::personClicked() {
  const QPointer<CheckBoxPeer> alive(this);
  clickModel(*this);
  // The model may have refused the click; a model still mirrored here is alive.
  if (alive && model() != nullptr) refresh();
}

void CheckBoxPeer::toggled(bool checked) {
  const auto* button = modelAs<NSButton>();
  if (following_ || button == nullptr || checked == (button->state() == NSControlStateValueOn)) {
    return;
  }
  personClicked();
}

}  // namespace platform::desktop
