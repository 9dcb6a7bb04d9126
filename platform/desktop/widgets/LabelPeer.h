#pragma once

#include <QLabel>

#include "desktop/widgets/ViewPeer.h"
#include "platform/NSControl.h"

namespace platform::desktop {

// A text field's text, as plain text in the field's style.
class LabelPeer final : public QLabel, public ViewPeer {
  Q_OBJECT

 public:
  LabelPeer(NSTextField& model, QWidget* parent);

 private:
  void refresh() override;
};

}  // namespace platform::desktop
