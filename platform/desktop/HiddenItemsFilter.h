#pragma once

#include <QSortFilterProxyModel>
#include <QString>

class QFileSystemModel;

namespace platform::desktop {

// Leaves out of a file dialog what this platform counts as hidden (resourceValueIsHidden): dot
// names, and names listed in their folder's ".hidden" file, which Qt's own filter ignores.
// While the dialog's filter includes QDir::Hidden it leaves everything in. The folder shown
// and the folders above it always stay, so a dialog can start in, or be typed into, a hidden
// folder. Install it with QFileDialog::setProxyModel.
class HiddenItemsFilter final : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

  void setSourceModel(QAbstractItemModel* source) override;
  // Sorting stays the file model's own, which keeps folders first.
  void sort(int column, Qt::SortOrder order) override;

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

 private:
  void showFolder(const QString& path);

  QFileSystemModel* files_ = nullptr;
  QString shownFolder_;
};

}  // namespace platform::desktop
