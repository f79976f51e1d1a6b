// Tables held as CSV text: the reader and writer with their quoting rules,
// cell, row and column access, searches, the row query language, sorts,
// join, transpose and the exchange with a grid.
//
// A row keeps all its cells in one buffer with their end offsets, so that
// reading and writing a table costs a few allocations per row, not one per
// cell. An empty cell and a missing cell read the same (empty text).
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nura {

class TCsvDb;

// Raised by the query parser for a bad operator or an unknown field.
class EParserError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One row of a table.
class TCsvCells {
 public:
  int Count() const { return static_cast<int>(ends_.size()); }
  // Bytes of all cell texts together.
  size_t TextSize() const { return data_.size(); }
  // The cell text; empty when `i` is out of range. Valid until the row
  // changes.
  std::string_view GetCell(int i) const;
  void Add(std::string_view text);
  void Clear();
  // Appends empty cells up to `i` when needed; a negative `i` is ignored.
  void SetCell(int i, std::string_view text);
  void InsertCell(int i, std::string_view text);
  void DeleteCell(int i);
  void MoveCell(int from, int to);
  void Assign(const TCsvCells& row) { *this = row; }
  // One cell per line of `lines` (CR LF, LF or CR ends a line).
  void AddStrings(std::string_view lines);
  // Index of the first non-empty cell equal to `name`, -1 when none.
  int FieldIndex(std::string_view name) const;
  // Drops cells from the end while they are blank after trimming.
  void TrimTrailingBlanks();
  // The row as one CSV line of its own cells (no line end).
  std::string GetCsvLine() const;
  // Appends the row's first `width` cells as a CSV line (no line end).
  void AppendCsvLine(std::string& out, int width) const;

  // Reads one row of CSV text at `pos` (the reader's rules); `pos` stops
  // at the line end, which is not consumed.
  void ParseLine(std::string_view text, size_t& pos);

 private:
  size_t Begin(size_t i) const { return i == 0 ? 0 : ends_[i - 1]; }
  void PadTo(size_t count);
  void ShiftEnds(size_t from, std::ptrdiff_t delta);

  std::string data_;           // the cells' texts, one after another
  std::vector<size_t> ends_;   // end offset of each cell in data_
};

// The cell model of a string grid, which the grid object implements.
class TCsvGridModel {
 public:
  virtual ~TCsvGridModel() = default;
  virtual int RowCount() const = 0;
  virtual int ColCount() const = 0;
  virtual void SetSize(int rows, int cols) = 0;
  virtual void SetFixed(int rows, int cols) = 0;
  virtual std::string GetCell(int col, int row) const = 0;
  virtual void SetCell(int col, int row, const std::string& text) = 0;
  // Width in pixels of `text` in the grid's font.
  virtual int TextWidth(const std::string& text) const = 0;
  virtual int DefaultColWidth() const = 0;
  virtual void SetColWidth(int col, int width) = 0;
  // Absolute height of the grid's font in pixels.
  virtual int FontHeight() const = 0;
  virtual void SetDefaultRowHeight(int height) = 0;
};

class TCsvDbBase {
 public:
  TCsvDbBase() = default;
  TCsvDbBase(const TCsvDbBase&) = delete;
  TCsvDbBase& operator=(const TCsvDbBase&) = delete;
  virtual ~TCsvDbBase() = default;

  bool header = false;  // row 0 holds the field names

  void Clear() { rows_.clear(); }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  int ColCount() const;

  std::string_view GetCell(int col, int row) const;
  void SetCell(int col, int row, std::string_view text);
  TCsvCells* GetRow(int i) const;
  // Puts `row` at `i` (nil rows appended up to it), replacing what was
  // there; a negative `i` is ignored.
  void PutRow(int i, std::unique_ptr<TCsvCells> row);
  void SetRowCsvLine(int i, std::string_view line);
  void DeleteRow(int i);

  // Inserts a cell at `i` in every non-nil row: the cell of `source` with
  // the row's index, or an empty one.
  void InsertColumn(int i, const TCsvCells* source = nullptr);
  void DeleteColumn(int i);
  void MoveColumn(int from, int to);
  void ReverseRows();

  std::string GetCsvText() const;
  void SetCsvText(std::string_view text);

  int FieldIndex(std::string_view name) const;
  // Searches from row `start`: exact cell, contained text, or wildcard
  // pattern. A negative column tests every cell (FindRow) or the row's
  // whole CSV line (the other two). -1 when nothing is found.
  int FindRow(std::string_view key, int col, int start) const;
  int FindRowContaining(std::string_view key, int col, int start) const;
  int FindRowWildcard(std::string_view pattern, int col, int start) const;

  void JoinTable(int keyCol, const TCsvDbBase& other, int otherKeyCol);
  std::string GetHtmlTable(std::string_view attributes) const;

  void SortByText(int col);
  void SortByNumber(int col);
  // Raises EConvertDate for a cell that is not a date.
  void SortByDate(int col);

  // New tables (header flag off) of deep copies of the selected rows.
  std::unique_ptr<TCsvDb> SelectRows(std::string_view query) const;
  std::unique_ptr<TCsvDb> PickupRows(int col, std::string_view text) const;

  void Transpose();
  void RemoveDuplicateRows(int col);
  void TrimBlankRows();

  void ShowInGrid(TCsvGridModel& grid, bool autoSize) const;
  void LoadFromGrid(const TCsvGridModel& grid);

 private:
  template <typename Key>
  void SortRows(int col, Key (*keyOf)(std::string_view));
  void CopyRowTo(TCsvDbBase& target, int i) const;
  // A script's index may make the table grow: ERangeError when a table of
  // `rows` rows (at least) of `cols` cells (at least; with `newRows` at
  // least the present width) would pass the growth bound, counting eight
  // bytes per cell and sixteen per row.
  void CheckGrowthTo(int64_t rows, int64_t cols, bool newRows) const;

  std::vector<std::unique_ptr<TCsvCells>> rows_;
};

// The table type used everywhere.
class TCsvDb : public TCsvDbBase {};

// A cell that the date sort cannot read as a date.
class EConvertDate : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace nura
