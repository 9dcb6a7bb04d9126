#pragma once

#include <QFrame>
#include <QPointer>
#include <QScrollArea>
#include <cstdint>
#include <functional>
#include <vector>

#include "desktop/widgets/ViewPeer.h"
#include "platform/NSTableView.h"

class QVBoxLayout;

namespace platform::desktop {

// One row of a table: its cells side by side; a press on it selects it.
class TableRowWidget final : public QFrame {
  Q_OBJECT

 public:
  TableRowWidget(std::function<void()> pressed, QWidget* parent);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  std::function<void()> pressed_;
};

// A table as a scrolling column of rows, each holding its cells' peers. The rows are made
// again when the table reloads; a selection change only moves the highlight.
class TablePeer final : public QScrollArea, public ViewPeer {
  Q_OBJECT

 public:
  TablePeer(NSTableView& model, PeerContext context, QWidget* parent);

  int rowCount() const { return static_cast<int>(rows_.size()); }
  QWidget* rowWidget(int row) const { return rows_.at(static_cast<std::size_t>(row)).widget; }

 private:
  struct ShownRow {
    QPointer<QWidget> widget;
    std::vector<const NSView*> views;
    std::vector<QPointer<QWidget>> cells;
  };

  void refresh() override;
  bool showsRowsOf(const NSTableView& table) const;
  void rebuildRows(NSTableView& table);
  void showSelection(std::int64_t selected);
  void rowPressed(std::int64_t row);

  PeerContext context_;
  QVBoxLayout* rowsLayout_;
  std::vector<ShownRow> rows_;
};

}  // namespace platform::desktop
