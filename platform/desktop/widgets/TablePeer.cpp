#include "desktop/widgets/TablePeer.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "desktop/widgets/PeerFactory.h"

namespace platform::desktop {

namespace {

// The first text a row shows, looking through its cells in order: what the row is called.
const NSTextField* firstLabel(const NSView& view) {
  if (const auto* field = dynamic_cast<const NSTextField*>(&view)) return field;
  for (const auto& subview : view.subviews()) {
    if (const auto* found = firstLabel(*subview)) return found;
  }
  return nullptr;
}

}  // namespace

TableRowWidget::TableRowWidget(std::function<void()> pressed, QWidget* parent)
    : QFrame(parent), pressed_(std::move(pressed)) {}

void TableRowWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    pressed_();
    event->accept();
    return;
  }
  QFrame::mousePressEvent(event);
}

TablePeer::TablePeer(NSTableView& model, PeerContext context, QWidget* parent)
    : QScrollArea(parent),
      ViewPeer(static_cast<QWidget&>(*this), model),
      context_(std::move(context)) {
  setWidgetResizable(true);
  auto* rows = new QWidget;
  rows->setBackgroundRole(QPalette::Base);
  rows->setAutoFillBackground(true);
  rowsLayout_ = new QVBoxLayout(rows);
  rowsLayout_->setContentsMargins(0, 0, 0, 0);
  rowsLayout_->setSpacing(0);
  packAtStart(*rowsLayout_);
  setWidget(rows);
  modelChanged();
}

void TablePeer::refresh() {
  auto& table = *modelAs<NSTableView>();
  if (!showsRowsOf(table)) rebuildRows(table);
  showSelection(table.selectedRow());
}

bool TablePeer::showsRowsOf(const NSTableView& table) const {
  if (table.numberOfRows() != rowCount()) return false;
  for (std::size_t row = 0; row < rows_.size(); ++row) {
    const ShownRow& shown = rows_[row];
    if (!shown.widget) return false;
    for (std::size_t column = 0; column < shown.views.size(); ++column) {
      const NSView* view = table.viewAtColumnRow(column, static_cast<std::int64_t>(row));
      if (view != shown.views[column]) return false;
      // A view made anew at a freed view's address has no peer here.
      const auto* peer = dynamic_cast<const ViewPeer*>(shown.cells[column].data());
      if (view != nullptr && (peer == nullptr || peer->model() != view)) return false;
    }
  }
  return true;
}

void TablePeer::rebuildRows(NSTableView& table) {
  while (QLayoutItem* item = rowsLayout_->takeAt(0)) delete item;
  for (const ShownRow& shown : rows_) {
    if (shown.widget) retirePeers(*shown.widget);
  }
  rows_.clear();
  QWidget& holder = *widget();
  for (std::int64_t row = 0; row < table.numberOfRows(); ++row) {
    ShownRow shown;
    auto* rowWidget = new TableRowWidget([this, row] { rowPressed(row); }, &holder);
    auto* cells = new QHBoxLayout(rowWidget);
    cells->setContentsMargins(6, 3, 6, 3);
    for (std::size_t column = 0; column < table.tableColumns().size(); ++column) {
      NSView* view = table.viewAtColumnRow(column, row);
      QWidget* cell = view != nullptr ? makeViewPeer(*view, context_, *rowWidget) : nullptr;
      if (cell != nullptr) cells->addWidget(cell);
      shown.views.push_back(view);
      shown.cells.emplace_back(cell);
    }
    std::string name;
    for (const NSView* view : shown.views) {
      const NSTextField* label = view != nullptr ? firstLabel(*view) : nullptr;
      if (label != nullptr) {
        name = label->accessibilityLabel();
        break;
      }
    }
    rowWidget->setAccessibleName(QString::fromStdString(name));
    rowsLayout_->addWidget(rowWidget);
    // Rows made after the table came on screen are not shown with it.
    rowWidget->show();
    shown.widget = rowWidget;
    rows_.push_back(std::move(shown));
  }
}

void TablePeer::showSelection(std::int64_t selected) {
  for (std::size_t row = 0; row < rows_.size(); ++row) {
    QWidget* rowWidget = rows_[row].widget;
    if (rowWidget == nullptr) continue;
    const bool isSelected = static_cast<std::int64_t>(row) == selected;
    // The row's labels take the highlighted text colour from the background role they inherit.
    rowWidget->setAutoFillBackground(isSelected);
    rowWidget->setBackgroundRole(isSelected ? QPalette::Highlight : QPalette::Base);
    QPalette colours;
    if (isSelected)
      colours.setColor(QPalette::WindowText, palette().color(QPalette::HighlightedText));
    rowWidget->setPalette(colours);
  }
}

void TablePeer::rowPressed(std::int64_t row) {
  // The delegate may reload the table, retiring the pressed row; it is deleted later.
  if (auto* table = modelAs<NSTableView>()) table->selectRow(row);
}

}  // namespace platform::desktop
