#include "desktop/QtModals.h"

#include "desktop/AlertDialog.h"
#include "desktop/LocalPaths.h"
#include "desktop/PanelDialogs.h"

namespace platform::desktop {

NSModalResponse QtModals::runModal(NSAlert& alert) {
  alert.window().makeKeyAndOrderFront();
  AlertDialog dialog(alert);
  return NSAlertFirstButtonReturn + dialog.exec();
}

NSModalResponse QtModals::runModal(NSOpenPanel& panel) {
  const auto dialog = makeOpenDialog(panel);
  if (dialog->exec() == QDialog::Accepted) {
    panel.URLs.clear();
    for (const QString& path : dialog->selectedFiles()) panel.URLs.push_back(fileURL(path));
    panel.URL = panel.URLs.empty() ? std::nullopt : std::optional(panel.URLs.front());
    return NSModalResponseOK;
  }
  panel.URLs = panel.URL ? std::vector{*panel.URL} : std::vector<NSURL>{};
  return NSModalResponseCancel;
}

NSModalResponse QtModals::runModal(NSSavePanel& panel) {
  const auto dialog = makeSaveDialog(panel);
  if (dialog->exec() != QDialog::Accepted) return NSModalResponseCancel;
  panel.URL = fileURL(dialog->selectedFiles().value(0));
  return NSModalResponseOK;
}

}  // namespace platform::desktop
