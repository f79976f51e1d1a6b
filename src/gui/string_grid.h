// A grid of texts on a QTableWidget, addressed as the tables address it:
// column, row, with row 0 the fixed header row when one fixed row is set
// (its cells are the column headers). Clicking a header sorts the rows by
// that column, both ways. The debugger shows its variables in it; the
// sortable grid object can take its place through the same model.
#pragma once

#include <QTableWidget>

#include "commands/csv_db.h"

namespace nura {

class TStringGrid : public QTableWidget, public TCsvGridModel {
 public:
  explicit TStringGrid(QWidget* parent = nullptr);

  // TCsvGridModel: rows count the fixed header row.
  int RowCount() const override;
  int ColCount() const override { return columnCount(); }
  void SetSize(int rows, int cols) override;
  // At most one fixed row (the header) and no fixed column.
  void SetFixed(int rows, int cols) override;
  std::string GetCell(int col, int row) const override;
  void SetCell(int col, int row, const std::string& text) override;
  int TextWidth(const std::string& text) const override;
  int DefaultColWidth() const override { return 64; }
  void SetColWidth(int col, int width) override { setColumnWidth(col, width); }
  int FontHeight() const override;
  void SetDefaultRowHeight(int height) override;

  // The grid row of the current cell (header included); -1 for none.
  int SelectedRow() const;
  void SelectRow(int row);

 private:
  QTableWidgetItem* ItemAt(int col, int row) const;
  int fixedRows_ = 1;
  int sortColumn_ = -1;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

}  // namespace nura
