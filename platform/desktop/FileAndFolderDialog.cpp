#include "desktop/FileAndFolderDialog.h"

#include <QFileInfo>
#include <QLineEdit>
#include <algorithm>

namespace platform::desktop {

FileAndFolderDialog::FileAndFolderDialog(bool several) {
  setOption(QFileDialog::DontUseNativeDialog);
  setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  nameField_ = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  // Qt updates the button on these signals; connected after it, this runs after it.
  connect(this, &QFileDialog::currentChanged, this, &FileAndFolderDialog::restoreAcceptLabel);
  connect(nameField_, &QLineEdit::textChanged, this, &FileAndFolderDialog::restoreAcceptLabel);
}

void FileAndFolderDialog::setAcceptLabel(const QString& label) {
  acceptLabel_ = label;
  restoreAcceptLabel();
}

void FileAndFolderDialog::accept() {
  const QStringList chosen = selectedFiles();
  const auto exists = [](const QString& path) { return QFileInfo::exists(path); };
  const auto isFolder = [](const QString& path) { return QFileInfo(path).isDir(); };
  const bool choosesFolder = nameField_->text() != QLatin1String("..") &&
                             std::all_of(chosen.begin(), chosen.end(), exists) &&
                             std::any_of(chosen.begin(), chosen.end(), isFolder);
  // Files only, a name that is not there, or ".." to go up: Qt's own handling is right.
  if (choosesFolder) {
    QDialog::accept();
  } else {
    QFileDialog::accept();
  }
}

void FileAndFolderDialog::restoreAcceptLabel() {
  if (!acceptLabel_.isEmpty()) setLabelText(QFileDialog::Accept, acceptLabel_);
}

}  // namespace platform::desktop
