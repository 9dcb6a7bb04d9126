#include "desktop/HiddenItemsFilter.h"

#include <QFileSystemModel>

#include "desktop/LocalPaths.h"
#include "platform/NSFileManager.h"

namespace platform::desktop {

void HiddenItemsFilter::setSourceModel(QAbstractItemModel* source) {
  QSortFilterProxyModel::setSourceModel(source);
  files_ = qobject_cast<QFileSystemModel*>(source);
  // The model announces a new root before the dialog maps it into this proxy, so the filter
  // lets the way down to the new folder through before it is needed.
  connect(files_, &QFileSystemModel::rootPathChanged, this, &HiddenItemsFilter::showFolder);
  showFolder(files_->rootPath());
}

void HiddenItemsFilter::sort(int column, Qt::SortOrder order) { files_->sort(column, order); }

bool HiddenItemsFilter::filterAcceptsRow(int row, const QModelIndex& parent) const {
  // Showing hidden files (the panel's setting or the dialog's own menu) shows all of them.
  if (files_->filter().testFlag(QDir::Hidden)) return true;
  const QString path = files_->filePath(files_->index(row, 0, parent));
  if (shownFolder_ == path || shownFolder_.startsWith(path + QLatin1Char('/'))) return true;
  return !resourceValueIsHidden(fileURL(path)).value_or(false);
}

void HiddenItemsFilter::showFolder(const QString& path) {
  shownFolder_ = path;
  invalidateFilter();
}

}  // namespace platform::desktop
