#include "platform/NSTableView.h"

#include <algorithm>

namespace platform {

NSTableView::NSTableView() : columns_{{"column", ""}} {}

void NSTableView::setTableColumns(std::vector<NSTableColumn> columns) {
  columns_ = std::move(columns);
}

void NSTableView::registerCell(const std::string& identifier, CellFactory factory) {
  prototypes_[identifier] = std::move(factory);
}

NSTableCellView* NSTableView::makeViewWithIdentifier(const std::string& identifier, const void*) {
  auto prototype = prototypes_.find(identifier);
  if (prototype == prototypes_.end()) return nullptr;
  made_.push_back(prototype->second());
  return made_.back().get();
}

void NSTableView::reloadData() {
  // The old rows stay alive until the new ones are made: a row's own control may be the one
  // whose action asked for the reload.
  std::vector<std::vector<std::unique_ptr<NSView>>> rows;
  const std::int64_t count = dataSource != nullptr ? dataSource->numberOfRowsInTableView(*this) : 0;
  for (std::int64_t row = 0; row < count; ++row) {
    std::vector<std::unique_ptr<NSView>> cells;
    for (const auto& column : columns_) {
      NSView* view = delegate != nullptr
                         ? delegate->tableViewViewForTableColumnRow(*this, column, row)
                         : nullptr;
      auto kept = std::find_if(made_.begin(), made_.end(),
                               [view](const auto& made) { return made.get() == view; });
      if (view != nullptr && kept != made_.end()) {
        cells.push_back(std::move(*kept));
        made_.erase(kept);
      } else {
        cells.push_back(nullptr);
      }
    }
    rows.push_back(std::move(cells));
  }
  made_.clear();
  rows_.swap(rows);
  const bool selectionGone = selectedRow_ >= numberOfRows();
  if (selectionGone) selectedRow_ = -1;
  didChange();
  if (selectionGone && delegate != nullptr) delegate->tableViewSelectionDidChange(*this);
}

NSView* NSTableView::viewAtColumnRow(std::size_t column, std::int64_t row) const {
  if (row < 0 || row >= numberOfRows() || column >= columns_.size()) return nullptr;
  return rows_[static_cast<std::size_t>(row)][column].get();
}

void NSTableView::selectRow(std::int64_t row) {
  if (row < -1 || row >= numberOfRows()) row = -1;
  if (row == selectedRow_) return;
  selectedRow_ = row;
  didChange();
  if (delegate != nullptr) delegate->tableViewSelectionDidChange(*this);
}

}  // namespace platform
