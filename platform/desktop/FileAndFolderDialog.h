#pragma once

#include <QFileDialog>
#include <QString>

class QLineEdit;

namespace platform::desktop {

// A file dialog that chooses folders as well as files (Qt has a mode for either, not both):
// accepting with a folder selected chooses it instead of opening it. Double-clicking a folder
// still opens it.
class FileAndFolderDialog final : public QFileDialog {
 public:
  explicit FileAndFolderDialog(bool several);

  // Qt renames the accept button "Open" whenever a folder is selected; here that button
  // chooses the folder, so its own title is put back.
  void setAcceptLabel(const QString& label);

  void accept() override;

 private:
  void restoreAcceptLabel();

  QLineEdit* nameField_;
  QString acceptLabel_;
};

}  // namespace platform::desktop
