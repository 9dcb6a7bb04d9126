#include "host/window/FinderWindowStatus.h"

#include <QResizeEvent>

namespace plovane::host {

StatusMessage::StatusMessage(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  // The bar gives it the room there is; the message never widens the window.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void StatusMessage::setMessage(const QString& message) {
  message_ = message;
  // Escaped and in a paragraph, the tooltip shows the text as it is and wraps long lines.
  setToolTip(message.isEmpty() ? QString()
                               : QStringLiteral("<p style=\"white-space:pre-wrap\">%1</p>")
                                     .arg(message.toHtmlEscaped()));
  setAccessibleDescription(message);
  showWhatFits();
}

void StatusMessage::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  showWhatFits();
}

void StatusMessage::showWhatFits() {
  QString line = message_;
  line.replace(QLatin1Char('\n'), QLatin1Char(' '));
  const int room = contentsRect().width();
  setText(fontMetrics().elidedText(line, Qt::ElideRight, room));
}

}  // namespace plovane::host
