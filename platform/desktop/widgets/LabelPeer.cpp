#include "desktop/widgets/LabelPeer.h"

namespace platform::desktop {

LabelPeer::LabelPeer(NSTextField& model, QWidget* parent)
    : QLabel(parent), ViewPeer(static_cast<QWidget&>(*this), model) {
  // Names of files and commands are shown as they are, never as markup.
  setTextFormat(Qt::PlainText);
  if (model.style() == NSTextFieldStyle::heading) {
    QFont heading = font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.3);
    setFont(heading);
  }
  setWordWrap(model.style() == NSTextFieldStyle::wrappingLabel);
  modelChanged();
}

void LabelPeer::refresh() {
  setText(QString::fromStdString(modelAs<NSTextField>()->stringValue()));
}

}  // namespace platform::desktop
