#pragma once

#include <QCheckBox>
#include <QPushButton>

#include "desktop/widgets/ViewPeer.h"
#include "platform/NSControl.h"

namespace platform::desktop {

// A push button: its title, its image as the icon, and a click sends the action.
class PushButtonPeer final : public QPushButton, public ViewPeer {
  Q_OBJECT

 public:
  PushButtonPeer(NSButton& model, PeerContext context, QWidget* parent);

 private:
  void refresh() override;

  PeerContext context_;
};

// A check box whose state is the model's: a click asks the model to flip it, and the box shows
// what the model then holds.
class CheckBoxPeer final : public QCheckBox, public ViewPeer {
  Q_OBJECT

 public:
  CheckBoxPeer(NSButton& model, QWidget* parent);

 protected:
  // Qt would flip the box itself before the model heard of the click.
  void nextCheckState() override {}

 private:
  void refresh() override;
  void personClicked();
  void toggled(bool checked);

  // Set while the box is shown the model's state, which is no news to the model.
  bool following_ = false;
};

}  // namespace platform::desktop
