#include "desktop/PanelDialogs.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <vector>

#include "desktop/DialogLook.h"
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

// The prompt names what the accept button does; the icon the desktop gives that button (a
// folder for "Open") would say something else, as on a "Hide" button.
void showPrompt(QFileDialog& dialog, const QString& prompt) {
  dialog.setLabelText(QFileDialog::Accept, prompt);
  auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
  for (auto* button : box->buttons()) {
    if (box->buttonRole(button) == QDialogButtonBox::AcceptRole) button->setIcon(QIcon());
  }
}

// Names with their size, kind and date in a window that fits all four, each detail as wide as
// what it shows and the name taking the room left, as desktops list files; Qt's default window
// and column widths cut them off.
void fitDetails(QFileDialog& dialog) {
  dialog.setMinimumSize(760, 480);
  auto* header = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))->header();
  header->setStretchLastSection(false);
  header->setSectionResizeMode(QHeaderView::ResizeToContents);
  header->setSectionResizeMode(0, QHeaderView::Stretch);
}

QString purposeOf(const NSSavePanel& panel) {
  for (const auto* text : {&panel.title, &panel.prompt, &panel.message}) {
    if (!text->empty()) return QString::fromStdString(*text);
  }
  return {};
}

void applyPanelFields(QFileDialog& dialog, const NSSavePanel& panel, const QString& program) {
  lookLikeDialog(dialog, dialogTitle(purposeOf(panel), program));
  fitDetails(dialog);
  if (!panel.message.empty()) showMessage(dialog, QString::fromStdString(panel.message));
  if (!panel.prompt.empty()) showPrompt(dialog, QString::fromStdString(panel.prompt));
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

std::unique_ptr<QFileDialog> makeOpenDialog(const NSOpenPanel& panel, const QString& program) {
  auto dialog = openDialogFor(panel);
  applyPanelFields(*dialog, panel, program);
  startAt(*dialog, panel);
  return dialog;
}

std::unique_ptr<QFileDialog> makeSaveDialog(const NSSavePanel& panel, const QString& program) {
  auto dialog = plainDialog();
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  applyPanelFields(*dialog, panel, program);
  if (panel.directoryURL) dialog->setDirectory(qtPath(*panel.directoryURL));
  dialog->selectFile(QString::fromStdString(panel.nameFieldStringValue));
  return dialog;
}

}  // namespace platform::desktop
