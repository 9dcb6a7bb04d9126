#pragma once

#include <QStandardItemModel>
#include <filesystem>
#include <optional>

namespace plovane::host {

// One folder's items as the window lists them: folders first, then files, each group by name.
// What this platform counts as hidden (a leading dot, or a name in the folder's ".hidden") is
// listed only while hidden files are shown. Each row keeps its item's path byte for byte, since
// a Linux name need not be text.
class FolderListing final : public QStandardItemModel {
 public:
  using QStandardItemModel::QStandardItemModel;

  // Lists the folder again from the disk; false when it cannot be read (the listing is empty).
  bool list(const std::filesystem::path& folder, bool showsHiddenFiles);

  std::filesystem::path pathAt(const QModelIndex& index) const;
  std::optional<QModelIndex> indexOfName(const QString& name) const;
};

}  // namespace plovane::host
