#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/NSControl.h"
#include "platform/NSView.h"

namespace platform {

class NSTableView;

struct NSTableColumn {
  std::string identifier;
  std::string title;
};

// The view of one row and column; a subclass adds the outlets its storyboard cell wires.
class NSTableCellView : public NSView {
 public:
  NSTextField* textField = nullptr;
  NSImageView* imageView = nullptr;
};

class NSTableViewDataSource {
 public:
  virtual ~NSTableViewDataSource() = default;
  virtual std::int64_t numberOfRowsInTableView(NSTableView& tableView) = 0;
};

class NSTableViewDelegate {
 public:
  virtual ~NSTableViewDelegate() = default;
  // A view made with makeViewWithIdentifier (the table keeps it), or none for an empty cell.
  virtual NSView* tableViewViewForTableColumnRow(NSTableView& tableView,
                                                 const NSTableColumn& column, std::int64_t row) = 0;
  virtual void tableViewSelectionDidChange(NSTableView&) {}
};

// Rows asked of the data source and delegate on reloadData; at most one selected row.
class NSTableView : public NSView {
 public:
  using CellFactory = std::function<std::unique_ptr<NSTableCellView>()>;

  NSTableView();

  NSTableViewDataSource* dataSource = nullptr;
  NSTableViewDelegate* delegate = nullptr;

  const std::vector<NSTableColumn>& tableColumns() const { return columns_; }
  void setTableColumns(std::vector<NSTableColumn> columns);
  // The storyboard's cell prototypes, by identifier.
  void registerCell(const std::string& identifier, CellFactory factory);

  // A new cell of the prototype `identifier`, kept by the table; none for an unknown one.
  NSTableCellView* makeViewWithIdentifier(const std::string& identifier, const void* owner);
  // Asks the data source and delegate again for every row.
  void reloadData();

  std::int64_t numberOfRows() const { return static_cast<std::int64_t>(rows_.size()); }
  // The view of a row and column after the last reload; none for an empty cell.
  NSView* viewAtColumnRow(std::size_t column, std::int64_t row) const;

  // -1 when no row is selected.
  std::int64_t selectedRow() const { return selectedRow_; }
  // Selects a row (or none with -1) as the person does: the delegate hears of a change.
  void selectRow(std::int64_t row);

 private:
  std::vector<NSTableColumn> columns_;
  std::map<std::string, CellFactory> prototypes_;
  std::vector<std::unique_ptr<NSTableCellView>> made_;
  std::vector<std::vector<std::unique_ptr<NSView>>> rows_;
  std::int64_t selectedRow_ = -1;
};

}  // namespace platform
