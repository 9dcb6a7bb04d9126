#pragma once

#include <QLabel>
#include <QString>

namespace plovane::host {

// The window's latest message on its status bar. The bar is one line, and the extension's
// errors are often longer than the window is wide: the line shows as much as fits, ending in
// an ellipsis, and the whole message is its tooltip and accessible description.
class StatusMessage final : public QLabel {
  Q_OBJECT

 public:
  explicit StatusMessage(QWidget* parent);

  void setMessage(const QString& message);
  const QString& message() const { return message_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void showWhatFits();

  QString message_;
};

}  // namespace plovane::host
