#include "desktop/QtModals.h"

#include <QWidget>
#include <functional>

#include "desktop/AlertDialog.h"
#include "desktop/DialogLook.h"
#include "desktop/LocalPaths.h"
#include "desktop/PanelDialogs.h"

namespace platform::desktop {

namespace {

// What the person chose in an open dialog that ended, as the panel reports it.
NSModalResponse takeChoice(NSOpenPanel& panel, const QFileDialog& dialog, bool accepted) {
  if (accepted) {
    panel.URLs.clear();
    for (const QString& path : dialog.selectedFiles()) panel.URLs.push_back(fileURL(path));
    panel.URL = panel.URLs.empty() ? std::nullopt : std::optional(panel.URLs.front());
    return NSModalResponseOK;
  }
  panel.URLs = panel.URL ? std::vector{*panel.URL} : std::vector<NSURL>{};
  return NSModalResponseCancel;
}

// Shows `dialog` over the window, owned by Qt until it finishes; `finished` gets its result.
void openAsSheet(QDialog* dialog, NSWindow& window, std::function<void(int)> finished) {
  if (auto* parent = dynamic_cast<QWidget*>(window.peer()); parent != nullptr) {
    dialog->setParent(parent, dialog->windowFlags());
    dialog->setWindowModality(Qt::WindowModal);
  } else {
    dialog->setWindowModality(Qt::ApplicationModal);
  }
  QObject::connect(dialog, &QDialog::finished, dialog, [dialog, finished](int result) {
    dialog->deleteLater();
    finished(result);
  });
  dialog->open();
}

}  // namespace

NSModalResponse QtModals::runModal(NSAlert& alert) {
  alert.window().makeKeyAndOrderFront();
  AlertDialog dialog(alert);
  lookLikeDialog(dialog, program_);
  keepOverActiveWindow(dialog);
  return NSAlertFirstButtonReturn + dialog.exec();
}

NSModalResponse QtModals::runModal(NSOpenPanel& panel) {
  const auto dialog = makeOpenDialog(panel, program_);
  keepOverActiveWindow(*dialog);
  return takeChoice(panel, *dialog, dialog->exec() == QDialog::Accepted);
}

NSModalResponse QtModals::runModal(NSSavePanel& panel) {
  const auto dialog = makeSaveDialog(panel, program_);
  keepOverActiveWindow(*dialog);
  if (dialog->exec() != QDialog::Accepted) return NSModalResponseCancel;
  panel.URL = fileURL(dialog->selectedFiles().value(0));
  return NSModalResponseOK;
}

void QtModals::beginSheetModalForWindow(std::shared_ptr<NSAlert> alert, NSWindow& window,
                                        Completion completion) {
  alert->window().makeKeyAndOrderFront();
  auto* dialog = new AlertDialog(*alert);
  lookLikeDialog(*dialog, program_);
  openAsSheet(dialog, window, [alert, completion](int index) {
    if (completion) completion(NSAlertFirstButtonReturn + index);
  });
}

void QtModals::beginSheetModalForWindow(std::shared_ptr<NSOpenPanel> panel, NSWindow& window,
                                        Completion completion) {
  auto* dialog = makeOpenDialog(*panel, program_).release();
  openAsSheet(dialog, window, [panel, dialog, completion](int result) {
    const auto response = takeChoice(*panel, *dialog, result == QDialog::Accepted);
    if (completion) completion(response);
  });
}

}  // namespace platform::desktop
