#include "desktop/DialogLook.h"

#include <QApplication>
#include <QDialog>

namespace platform::desktop {

QString dialogTitle(const QString& purpose, const QString& program) {
  if (purpose.isEmpty() || purpose == program) return program;
  // The separator Qt itself puts between a window's title and the program's name.
  return purpose + QStringLiteral(" \u2014 ") + program;
}

void lookLikeDialog(QDialog& dialog, const QString& title) {
  dialog.setWindowTitle(title);
  dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  dialog.setWindowModality(Qt::ApplicationModal);
}

void keepOverActiveWindow(QDialog& dialog) {
  QWidget* front = QApplication::activeWindow();
  if (front != nullptr && front != &dialog) dialog.setParent(front, dialog.windowFlags());
}

}  // namespace platform::desktop
