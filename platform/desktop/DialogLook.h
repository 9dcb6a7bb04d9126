#pragma once

#include <QString>

class QDialog;

namespace platform::desktop {

// What a dialog is for, then the program that asks ("Hide — Plovane Menu"), as desktops title
// their windows; the program alone when nothing says what the dialog is for.
QString dialogTitle(const QString& purpose, const QString& program);

// Makes `dialog` a dialog window titled `title`: a close button but no minimise or maximise,
// application-modal until a sheet makes it window-modal.
void lookLikeDialog(QDialog& dialog, const QString& title);

// Puts `dialog` over the program's window in front, when there is one, so the desktop keeps
// them together.
void keepOverActiveWindow(QDialog& dialog);

}  // namespace platform::desktop
