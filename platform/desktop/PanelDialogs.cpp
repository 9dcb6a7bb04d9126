#include "desktop/PanelDialogs.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <vector>

#include "desktop/FileAndFolderDialog.h"
#include "desktop/HiddenItemsFilter.h"
#include "desktop/LocalPaths.h"

namespace platform::desktop {

namespace {

// Qt's dialog has no message line: its grid moves down one row to make room at the top.
void showMessage(QFileDialog& dialog, const QString& text) {
  auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
  struct Placed {
    QLayoutItem* item;
    int row, column, rowSpan, columnSpan;
  };
  std::vector<Placed> placed;
  while (grid->count() > 0) {
    Placed cell{};
    grid->getItemPosition(0, &cell.row, &cell.column, &cell.rowSpan, &cell.columnSpan);
    cell.item = grid->takeAt(0);
    placed.push_back(cell);
  }
  for (const auto& cell : placed) {
    grid->addItem(cell.item, cell.row + 1, cell.column, cell.rowSpan, cell.columnSpan);
  }
  auto* message = new QLabel(text, &dialog);
  message->setObjectName(QStringLiteral("message"));
  message->setTextFormat(Qt::PlainText);
  message->setWordWrap(true);
  grid->addWidget(message, 0, 0, 1, grid->columnCount());
}

void applyPanelFields(QFileDialog& dialog, const NSSavePanel& panel) {
  if (!panel.title.empty()) dialog.setWindowTitle(QString::fromStdString(panel.title));
  if (!panel.message.empty()) showMessage(dialog, QString::fromStdString(panel.message));
  if (!panel.prompt.empty()) {
    dialog.setLabelText(QFileDialog::Accept, QString::fromStdString(panel.prompt));
  }
  dialog.setProxyModel(new HiddenItemsFilter(&dialog));
  dialog.setFilter(panel.showsHiddenFiles ? dialog.filter() | QDir::Hidden
                                          : dialog.filter() & ~QDir::Hidden);
}

// A start item that is a file opens its folder with it selected, where files can be chosen.
void startAt(QFileDialog& dialog, const NSOpenPanel& panel) {
  if (!panel.directoryURL) return;
  const QFileInfo start(qtPath(*panel.directoryURL));
  if (start.isDir()) {
    dialog.setDirectory(start.filePath());
  } else if (panel.canChooseFiles) {
    dialog.selectFile(start.filePath());
  } else {
    dialog.setDirectory(start.path());
  }
}

std::unique_ptr<QFileDialog> plainDialog() {
  auto dialog = std::make_unique<QFileDialog>();
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  return dialog;
}

std::unique_ptr<QFileDialog> openDialogFor(const NSOpenPanel& panel) {
  const bool several = panel.allowsMultipleSelection;
  if (panel.canChooseDirectories && (panel.canChooseFiles || several)) {
    auto both = std::make_unique<FileAndFolderDialog>(several);
    both->setAcceptLabel(QString::fromStdString(panel.prompt));
    both->setOption(QFileDialog::ShowDirsOnly, !panel.canChooseFiles);
    return both;
  }
  auto dialog = plainDialog();
  if (panel.canChooseDirectories) {
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
  } else {
    dialog->setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  }
  return dialog;
}

}  // namespace

std::unique_ptr<QFileDialog> makeOpenDialog(const NSOpenPanel& panel) {
  auto dialog = openDialogFor(panel);
  applyPanelFields(*dialog, panel);
  startAt(*dialog, panel);
  return dialog;
}

std::unique_ptr<QFileDialog> makeSaveDialog(const NSSavePanel& panel) {
  auto dialog = plainDialog();
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  applyPanelFields(*dialog, panel);
  if (panel.directoryURL) dialog->setDirectory(qtPath(*panel.directoryURL));
  dialog->selectFile(QString::fromStdString(panel.nameFieldStringValue));
  return dialog;
}

}  // namespace platform::desktop
