#include "host/window/FinderWindowListing.h"

#include <QFile>
#include <algorithm>
#include <system_error>
#include <vector>

#include "desktop/ImageRendering.h"
#include "platform/NSFileManager.h"

namespace plovane::host {

namespace fs = std::filesystem;

namespace {

constexpr int kPathRole = Qt::UserRole + 1;

struct ListedItem {
  fs::path path;
  QString name;
  bool isFolder;
};

bool isHidden(const fs::path& path) {
  return platform::resourceValueIsHidden(platform::NSURL::fileURLWithPath(path.string()))
      .value_or(false);
}

bool listedBefore(const ListedItem& left, const ListedItem& right) {
  if (left.isFolder != right.isFolder) return left.isFolder;
  const int order = QString::compare(left.name, right.name, Qt::CaseInsensitive);
  return order != 0 ? order < 0 : left.name < right.name;
}

QStandardItem* rowFor(const ListedItem& listed) {
  const auto icon = platform::NSImage::fileIcon(listed.path.string());
  auto* item = new QStandardItem(platform::desktop::iconForImage(icon, {}), listed.name);
  item->setData(QByteArray::fromStdString(listed.path.native()), kPathRole);
  item->setEditable(false);
  return item;
}

}  // namespace

bool FolderListing::list(const fs::path& folder, bool showsHiddenFiles) {
  clear();
  std::error_code failed;
  fs::directory_iterator entries(folder, failed);
  if (failed) return false;
  std::vector<ListedItem> listed;
  for (const auto& entry : entries) {
    if (!showsHiddenFiles && isHidden(entry.path())) continue;
    std::error_code ignored;
    listed.push_back({entry.path(), QFile::decodeName(entry.path().filename().c_str()),
                      entry.is_directory(ignored)});
  }
  std::sort(listed.begin(), listed.end(), listedBefore);
  for (const auto& item : listed) appendRow(rowFor(item));
  return true;
}

fs::path FolderListing::pathAt(const QModelIndex& index) const {
  return fs::path(data(index, kPathRole).toByteArray().toStdString());
}

std::optional<QModelIndex> FolderListing::indexOfName(const QString& name) const {
  const auto found = findItems(name, Qt::MatchExactly);
  if (found.isEmpty()) return std::nullopt;
  return found.front()->index();
}

}  // namespace plovane::host
