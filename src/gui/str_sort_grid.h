// TStrSortGrid: a text grid whose rows the user sorts by clicking a cell of
// its fixed top row; an arrow beside the header text shows the direction.
// Row 0 is an ordinary row of the table drawn in the fixed colour (Qt's own
// headers are hidden and its sorting stays off), so row indexes and CSV
// texts count it like any other row. The last row never moves: grids
// filled from CSV end in an empty row, which stays at the bottom.
#pragma once

#include <QTableWidget>
#include <string>

#include "support/csv_db.h"

namespace nura {

enum class TSortops { soBoth, soUponly, soDownOnly, soNon };

class TStrSortGrid : public QTableWidget, public TCsvGridModel {
  Q_OBJECT
 public:
  // Width and height of the direction arrow in pixels.
  static constexpr int kGlyphSize = 8;

  explicit TStrSortGrid(QWidget* parent = nullptr);
  ~TStrSortGrid() override;

  TSortops SortOps = TSortops::soBoth;
  int Spacing = 10;  // pixels between the header text and the arrow

  bool Sorted() const { return sorted_; }
  bool Ascending() const { return ascending_; }
  int SortedColumn() const { return sortedColumn_; }
  // The sorted column's header text as it was at the click.
  const std::string& SortedHeader() const { return sortedHeader_; }
  int FixedRows() const { return fixedRows_; }

  // A click on header cell `col`: the direction by SortOps (soBoth turns
  // it over, so the first click sorts descending), then rows 1 to
  // row count - 2 sorted by that column.
  void HeaderClick(int col);
  // Sorts rows first..last by column `col` in the current direction.
  void SortRange(int col, int first, int last);
  // The rectangle of the arrow in header cell `cell` whose text is
  // `textWidth` pixels wide (viewport coordinates).
  QRect GlyphRect(const QRect& cell, int textWidth) const;

  // The row of the current cell (fixed rows counted); -1 for none.
  int SelectedRow() const { return currentRow(); }
  // Makes row `row` current and selected; a fixed row or one outside the
  // grid is ignored.
  void SelectRow(int row);

  // Puts the grid's own mouse handling before every event filter that was
  // installed on its viewport later: a header click sorts before anyone
  // hears of the press.
  void HandleMouseFirst();

  // TCsvGridModel: texts as Shift-JIS.
  int RowCount() const override { return rowCount(); }
  int ColCount() const override { return columnCount(); }
  void SetSize(int rows, int cols) override;
  void SetFixed(int rows, int cols) override;
  std::string GetCell(int col, int row) const override;
  void SetCell(int col, int row, const std::string& text) override;
  int TextWidth(const std::string& text) const override;
  int DefaultColWidth() const override { return 64; }
  void SetColWidth(int col, int width) override { setColumnWidth(col, width); }
  int FontHeight() const override;
  void SetDefaultRowHeight(int height) override;

 private:
  friend class TSortGridMouse;
  // Cells of fixed rows take no selection, focus or editing; the current
  // cell stands below them.
  void MarkFixedCells();
  bool MouseEvent(QEvent* event);

  int fixedRows_ = 1;
  int sortedColumn_ = 0;
  std::string sortedHeader_;
  bool sorted_ = false;
  bool ascending_ = true;
  QObject* mouse_ = nullptr;
  int sizingColumn_ = -1;  // a column being widened by dragging its right edge
};

}  // namespace nura
