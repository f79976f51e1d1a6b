#include "gui/string_grid.h"

#include <QFontMetrics>
#include <QHeaderView>

#include "platform/sjis.h"

namespace nura {

TStringGrid::TStringGrid(QWidget* parent) : QTableWidget(parent) {
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  verticalHeader()->hide();
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setSortIndicatorShown(true);
  // A click sorts by that column, ascending first, then the other way on
  // each further click; writing cells never moves rows.
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int col) {
    const bool again = sortColumn_ == col && sortOrder_ == Qt::AscendingOrder;
    sortColumn_ = col;
    sortOrder_ = again ? Qt::DescendingOrder : Qt::AscendingOrder;
    sortItems(col, sortOrder_);
    horizontalHeader()->setSortIndicator(col, sortOrder_);
  });
}

int TStringGrid::RowCount() const { return rowCount() + fixedRows_; }

void TStringGrid::SetSize(int rows, int cols) {
  setColumnCount(std::max(cols, 0));
  setRowCount(std::max(rows - fixedRows_, 0));
}

void TStringGrid::SetFixed(int rows, int) {
  const int total = RowCount();
  fixedRows_ = rows > 0 ? 1 : 0;
  horizontalHeader()->setVisible(fixedRows_ == 1);
  SetSize(total, columnCount());
}

QTableWidgetItem* TStringGrid::ItemAt(int col, int row) const {
  if (col < 0 || col >= columnCount() || row < 0 || row >= RowCount()) return nullptr;
  return row < fixedRows_ ? horizontalHeaderItem(col) : item(row - fixedRows_, col);
}

std::string TStringGrid::GetCell(int col, int row) const {
  const QTableWidgetItem* cell = ItemAt(col, row);
  return cell ? QStringToSjis(cell->text()) : std::string();
}

void TStringGrid::SetCell(int col, int row, const std::string& text) {
  if (col < 0 || col >= columnCount() || row < 0 || row >= RowCount()) return;
  auto* cell = new QTableWidgetItem(SjisToQString(text));
  if (row < fixedRows_) setHorizontalHeaderItem(col, cell);
  else setItem(row - fixedRows_, col, cell);
}

int TStringGrid::TextWidth(const std::string& text) const {
  return QFontMetrics(font()).horizontalAdvance(SjisToQString(text));
}

int TStringGrid::FontHeight() const { return QFontMetrics(font()).height(); }

void TStringGrid::SetDefaultRowHeight(int height) {
  verticalHeader()->setDefaultSectionSize(height);
}

int TStringGrid::SelectedRow() const {
  const int row = currentRow();
  return row < 0 ? -1 : row + fixedRows_;
}

void TStringGrid::SelectRow(int row) {
  if (row >= fixedRows_ && row < RowCount()) selectRow(row - fixedRows_);
}

}  // namespace nura
