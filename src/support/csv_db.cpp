#include "support/csv_db.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

#include "support/date_time.h"
#include "support/wildcard.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// Byte classes for the reader's fast copy loop.
enum : unsigned char { kPlain = 0, kLead = 1, kStop = 2 };

const std::array<unsigned char, 256>& ReaderClasses() {
  static const std::array<unsigned char, 256> table = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c)
      if (IsSjisLead(static_cast<unsigned char>(c))) t[c] = kLead;
    t['"'] = t[','] = t['\r'] = t['\n'] = kStop;
    return t;
  }();
  return table;
}

bool IsBlankByte(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view TrimView(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlankByte(s[b])) ++b;
  while (e > b && IsBlankByte(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// Reads one cell at `p` and appends its text to `out`; returns true when
// the cell was opened with a double quote.
bool ReadCell(std::string_view s, size_t& p, std::string& out) {
  const auto& cls = ReaderClasses();
  const size_t n = s.size();
  while (p < n && s[p] == ' ') ++p;
  bool quoted = false;
  if (p < n && s[p] == '"') {
    ++p;
    quoted = true;
  }
  while (p < n) {
    size_t q = p;
    while (q < n) {
      const unsigned char t = cls[static_cast<unsigned char>(s[q])];
      if (t == kPlain) ++q;
      else if (t == kLead) q += q + 1 < n ? 2 : 1;
      else break;
    }
    out.append(s.data() + p, q - p);
    p = q;
    if (p >= n) break;
    const char c = s[p];
    if (c == '"') {
      if (p + 1 < n && s[p + 1] == '"') {
        out += '"';
        p += 2;
        continue;
      }
      size_t after = p + 1;
      while (after < n && s[after] == ' ') ++after;
      if (after >= n || s[after] == '\r' || s[after] == '\n' || s[after] == ',') {
        ++p;  // a closing quote: the cursor stays right after it
        break;
      }
      out += '"';
      ++p;
      continue;
    }
    if (!quoted) break;  // ",", CR or LF ends an unquoted cell
    out += c;
    ++p;
  }
  if (p < n && s[p] == ',') ++p;
  return quoted;
}

// Scans a cell for what the writer must quote: a double quote, or a
// comma, CR, LF or "ID" at a character start.
void ScanForQuoting(std::string_view cell, bool& hasQuote, bool& special) {
  hasQuote = special = false;
  for (size_t i = 0; i < cell.size(); ++i) {
    const char c = cell[i];
    if (IsSjisLead(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '"') {
      hasQuote = true;
      return;
    } else if (c == ',' || c == '\r' || c == '\n' ||
               (c == 'I' && i + 1 < cell.size() && cell[i + 1] == 'D')) {
      special = true;
    }
  }
}

void AppendCsvCell(std::string& out, std::string_view cell) {
  bool hasQuote, special;
  ScanForQuoting(cell, hasQuote, special);
  if (hasQuote) {
    out += '"';
    for (char c : cell) {
      out += c;
      if (c == '"') out += '"';  // never a trail byte, so safe byte-wise
    }
    out += '"';
  } else if (special) {
    out += '"';
    out.append(cell);
    out += '"';
  } else {
    out.append(cell);
  }
}

std::string_view LineAt(std::string_view text, size_t& pos) {
  const size_t start = pos;
  while (pos < text.size() && text[pos] != '\r' && text[pos] != '\n') ++pos;
  std::string_view line = text.substr(start, pos - start);
  if (pos < text.size() && text[pos] == '\r') ++pos;
  if (pos < text.size() && text[pos] == '\n') ++pos;
  return line;
}

}  // namespace

// ---------------------------------------------------------------- rows

std::string_view TCsvCells::GetCell(int i) const {
  if (i < 0 || i >= Count()) return {};
  const size_t b = Begin(static_cast<size_t>(i));
  return std::string_view(data_).substr(b, ends_[static_cast<size_t>(i)] - b);
}

void TCsvCells::Add(std::string_view text) {
  data_.append(text);
  ends_.push_back(data_.size());
}

void TCsvCells::Clear() {
  data_.clear();
  ends_.clear();
}

void TCsvCells::PadTo(size_t count) {
  if (count <= ends_.size()) return;
  if (count > ends_.size() + 1) CheckGrowth(count * sizeof(size_t));
  ends_.resize(count, data_.size());
}

void TCsvCells::ShiftEnds(size_t from, std::ptrdiff_t delta) {
  for (size_t k = from; k < ends_.size(); ++k)
    ends_[k] = static_cast<size_t>(static_cast<std::ptrdiff_t>(ends_[k]) + delta);
}

void TCsvCells::SetCell(int i, std::string_view text) {
  if (i < 0) return;
  const auto idx = static_cast<size_t>(i);
  PadTo(idx + 1);
  const std::string copy(text);  // `text` may point into this row
  const size_t b = Begin(idx), e = ends_[idx];
  data_.replace(b, e - b, copy);
  ShiftEnds(idx, static_cast<std::ptrdiff_t>(copy.size()) - static_cast<std::ptrdiff_t>(e - b));
}

void TCsvCells::InsertCell(int i, std::string_view text) {
  if (i < 0) return;
  const auto idx = static_cast<size_t>(i);
  PadTo(idx);
  const std::string copy(text);
  const size_t b = Begin(idx);
  data_.insert(b, copy);
  ends_.insert(ends_.begin() + i, b);
  ShiftEnds(idx, static_cast<std::ptrdiff_t>(copy.size()));
}

void TCsvCells::DeleteCell(int i) {
  if (i < 0 || i >= Count()) return;
  const auto idx = static_cast<size_t>(i);
  const size_t b = Begin(idx), e = ends_[idx];
  data_.erase(b, e - b);
  ends_.erase(ends_.begin() + i);
  ShiftEnds(idx, -static_cast<std::ptrdiff_t>(e - b));
}

void TCsvCells::MoveCell(int from, int to) {
  if (from < 0 || to < 0 || from == to) return;
  PadTo(static_cast<size_t>(std::max(from, to)) + 1);
  const std::string moved(GetCell(from));
  DeleteCell(from);
  InsertCell(to, moved);
}

void TCsvCells::AddStrings(std::string_view lines) {
  size_t pos = 0;
  while (pos < lines.size()) Add(LineAt(lines, pos));
}

int TCsvCells::FieldIndex(std::string_view name) const {
  if (name.empty()) return -1;
  for (int i = 0; i < Count(); ++i)
    if (GetCell(i) == name) return i;
  return -1;
}

void TCsvCells::TrimTrailingBlanks() {
  while (!ends_.empty() && TrimView(GetCell(Count() - 1)).empty()) {
    ends_.pop_back();
    data_.resize(Begin(ends_.size()));
  }
}

std::string TCsvCells::GetCsvLine() const {
  std::string out;
  AppendCsvLine(out, Count());
  return out;
}

void TCsvCells::AppendCsvLine(std::string& out, int width) const {
  for (int c = 0; c < width; ++c) {
    if (c > 0) out += ',';
    AppendCsvCell(out, GetCell(c));
  }
}

void TCsvCells::ParseLine(std::string_view s, size_t& p) {
  // Cells are collected in reused buffers and copied once into the row,
  // so that a row costs one allocation for its text and one for its ends.
  thread_local std::string text;
  thread_local std::vector<size_t> ends;
  text.assign(data_);
  ends.assign(ends_.begin(), ends_.end());
  do {
    const size_t start = text.size();
    const bool quoted = ReadCell(s, p, text);
    // Trim the cell in place.
    size_t end = text.size();
    while (end > start && IsBlankByte(text[end - 1])) --end;
    text.resize(end);
    size_t first = start;
    while (first < end && IsBlankByte(text[first])) ++first;
    if (first > start) text.erase(start, first - start);
    // A quote pair around an unquoted cell (blank-padded) is dropped; a
    // quoted cell has lost its own quotes already, so what is left of its
    // text is kept as written.
    if (!quoted && text.size() - start > 1 && text[start] == '"' && text.back() == '"') {
      text.pop_back();
      text.erase(start, 1);
    }
    ends.push_back(text.size());
  } while (p < s.size() && s[p] != '\r' && s[p] != '\n');
  data_.assign(text);
  ends_.assign(ends.begin(), ends.end());
}

// ---------------------------------------------------------------- table

int TCsvDbBase::ColCount() const {
  int width = 0;
  for (const auto& row : rows_)
    if (row) width = std::max(width, row->Count());
  return width;
}

std::string_view TCsvDbBase::GetCell(int col, int row) const {
  const TCsvCells* r = GetRow(row);
  return r ? r->GetCell(col) : std::string_view();
}

void TCsvDbBase::CheckGrowthTo(int64_t rows, int64_t cols, bool newRows) const {
  // Only new rows need the width of the others. A cell costs its end
  // offset in memory, a row its pointer and its line end.
  const int64_t width = newRows ? std::max<int64_t>(ColCount(), cols) : cols;
  CheckGrowth(static_cast<uint64_t>(std::max<int64_t>(RowCount(), rows)) * static_cast<uint64_t>(width + 2) *
              sizeof(size_t));
}

void TCsvDbBase::SetCell(int col, int row, std::string_view text) {
  if (row < 0 || col < 0) return;
  const TCsvCells* current = GetRow(row);
  if (row > RowCount() || col > (current ? current->Count() : 0))
    CheckGrowthTo(int64_t{row} + 1, int64_t{col} + 1, row > RowCount());
  if (rows_.size() <= static_cast<size_t>(row)) rows_.resize(static_cast<size_t>(row) + 1);
  auto& r = rows_[static_cast<size_t>(row)];
  if (!r) r = std::make_unique<TCsvCells>();
  r->SetCell(col, text);
}

TCsvCells* TCsvDbBase::GetRow(int i) const {
  if (i < 0 || i >= RowCount()) return nullptr;
  return rows_[static_cast<size_t>(i)].get();
}

void TCsvDbBase::PutRow(int i, std::unique_ptr<TCsvCells> row) {
  if (i < 0) return;
  if (i > RowCount()) CheckGrowthTo(int64_t{i} + 1, row ? row->Count() : 0, true);
  if (rows_.size() <= static_cast<size_t>(i)) rows_.resize(static_cast<size_t>(i) + 1);
  rows_[static_cast<size_t>(i)] = std::move(row);
}

void TCsvDbBase::SetRowCsvLine(int i, std::string_view line) {
  auto row = std::make_unique<TCsvCells>();
  size_t pos = 0;
  row->ParseLine(line, pos);
  PutRow(i, std::move(row));
}

void TCsvDbBase::DeleteRow(int i) {
  if (i < 0 || i >= RowCount()) return;
  rows_.erase(rows_.begin() + i);
}

void TCsvDbBase::InsertColumn(int i, const TCsvCells* source) {
  if (i < 0) return;
  CheckGrowthTo(0, int64_t{i} + 1, false);
  for (size_t r = 0; r < rows_.size(); ++r)
    if (rows_[r])
      rows_[r]->InsertCell(i, source ? source->GetCell(static_cast<int>(r)) : std::string_view());
}

void TCsvDbBase::DeleteColumn(int i) {
  for (auto& row : rows_)
    if (row) row->DeleteCell(i);
}

void TCsvDbBase::MoveColumn(int from, int to) {
  if (from < 0 || to < 0 || from == to) return;
  CheckGrowthTo(0, int64_t{std::max(from, to)} + 1, false);
  for (auto& row : rows_)
    if (row) row->MoveCell(from, to);
}

void TCsvDbBase::ReverseRows() {
  auto first = rows_.begin();
  if (header && !rows_.empty()) ++first;
  std::reverse(first, rows_.end());
}

std::string TCsvDbBase::GetCsvText() const {
  const int width = ColCount();
  std::string out;
  size_t estimate = 0;
  for (const auto& row : rows_)
    estimate += (row ? row->TextSize() : 0) + static_cast<size_t>(width) + 2;
  out.reserve(estimate + estimate / 16);
  for (const auto& row : rows_) {
    if (row) row->AppendCsvLine(out, width);
    out += "\r\n";
  }
  return out;
}

void TCsvDbBase::SetCsvText(std::string_view text) {
  Clear();
  size_t p = 0;
  const size_t n = text.size();
  while (p < n) {
    auto row = std::make_unique<TCsvCells>();
    row->ParseLine(text, p);
    rows_.push_back(std::move(row));
    if (p < n && (text[p] == '\r' || text[p] == ',')) ++p;
    if (p < n && text[p] == '\n') ++p;
  }
}

int TCsvDbBase::FieldIndex(std::string_view name) const {
  const TCsvCells* row0 = GetRow(0);
  return row0 ? row0->FieldIndex(name) : -1;
}

int TCsvDbBase::FindRow(std::string_view key, int col, int start) const {
  for (int r = std::max(start, 0); r < RowCount(); ++r) {
    if (col >= 0) {
      if (GetCell(col, r) == key) return r;
      continue;
    }
    const TCsvCells* row = GetRow(r);
    if (!row) continue;
    for (int c = 0; c < row->Count(); ++c)
      if (row->GetCell(c) == key) return r;
  }
  return -1;
}

int TCsvDbBase::FindRowContaining(std::string_view key, int col, int start) const {
  if (key.empty()) return -1;
  for (int r = std::max(start, 0); r < RowCount(); ++r) {
    if (col >= 0) {
      if (GetCell(col, r).find(key) != std::string_view::npos) return r;
    } else if (const TCsvCells* row = GetRow(r)) {
      if (row->GetCsvLine().find(key) != std::string::npos) return r;
    }
  }
  return -1;
}

int TCsvDbBase::FindRowWildcard(std::string_view pattern, int col, int start) const {
  TWString compiled(pattern);
  for (int r = std::max(start, 0); r < RowCount(); ++r) {
    if (col >= 0) {
      if (compiled.MatchWhole(GetCell(col, r))) return r;
    } else {
      const TCsvCells* row = GetRow(r);
      if (compiled.MatchWhole(row ? row->GetCsvLine() : std::string())) return r;
    }
  }
  return -1;
}

void TCsvDbBase::JoinTable(int keyCol, const TCsvDbBase& other, int otherKeyCol) {
  const int width = ColCount();
  auto appendOther = [&](int row, const TCsvCells& from) {
    int c = width;
    for (int k = 0; k < from.Count(); ++k)
      if (k != otherKeyCol) SetCell(c++, row, from.GetCell(k));
  };
  int first = 0;
  if (header) {
    if (other.header && other.GetRow(0)) appendOther(0, *other.GetRow(0));
    first = 1;
  }
  // The other table's field-name row never joins; without the flag its
  // row 0 is data like any other.
  const int otherFirst = other.header ? 1 : 0;
  std::unordered_map<std::string_view, int> index;
  for (int r = other.RowCount() - 1; r >= otherFirst; --r)
    index[other.GetCell(otherKeyCol, r)] = r;
  for (int r = first; r < RowCount(); ++r) {
    if (!GetRow(r)) continue;
    const auto hit = index.find(GetCell(keyCol, r));
    if (hit == index.end()) continue;
    if (const TCsvCells* from = other.GetRow(hit->second)) appendOther(r, *from);
  }
}

std::string TCsvDbBase::GetHtmlTable(std::string_view attributes) const {
  const int width = ColCount();
  std::string out = "<TABLE ";
  out.append(attributes);
  out += ">\r\n";
  for (int r = 0; r < RowCount(); ++r) {
    out += "<TR>";
    for (int c = 0; c < width; ++c) {
      out += "<TD>";
      out.append(GetCell(c, r));
      out += "</TD>";
    }
    out += "</TR>\r\n";
  }
  out += "</TABLE>";
  return out;
}

// ---------------------------------------------------------------- sorts

namespace {

std::string_view TextKey(std::string_view cell) { return cell; }

long double NumberKey(std::string_view cell) { return TextToNumber(cell); }

TDateTimeValue DateKey(std::string_view cell) {
  TDateTimeValue value;
  if (!ParseDateTime(cell, value))
    throw EConvertDate("'" + std::string(cell) + SJ("' は正しい日付と時刻ではありません。"));
  return value;
}

// A strict weak order for every key type; a NaN number sorts first.
bool KeyLess(std::string_view a, std::string_view b) { return a < b; }
bool KeyLess(long double a, long double b) {
  if (std::isnan(b)) return false;
  if (std::isnan(a)) return true;
  return a < b;
}
bool KeyLess(const TDateTimeValue& a, const TDateTimeValue& b) { return a < b; }

template <typename Key>
struct SortItem {
  Key key;
  size_t row;
};

// Top-down merge sort of [first, last]; ranges of at most 20 items are
// sorted by exchange selection, which does not keep equal keys in order.
template <typename Key>
void MergeSort(std::vector<SortItem<Key>>& items, std::vector<SortItem<Key>>& scratch, size_t first,
               size_t last) {
  if (last - first < 20) {
    for (size_t i = first; i < last; ++i) {
      size_t m = i;
      for (size_t j = i + 1; j <= last; ++j)
        if (KeyLess(items[j].key, items[m].key)) m = j;
      if (m != i) std::swap(items[i], items[m]);
    }
    return;
  }
  const size_t mid = first / 2 + last / 2;
  MergeSort(items, scratch, first, mid);
  MergeSort(items, scratch, mid + 1, last);
  size_t i = first, j = mid + 1, k = first;
  while (i <= mid && j <= last)
    scratch[k++] = KeyLess(items[j].key, items[i].key) ? items[j++] : items[i++];
  while (i <= mid) scratch[k++] = items[i++];
  while (j <= last) scratch[k++] = items[j++];
  for (k = first; k <= last; ++k) items[k] = scratch[k];
}

}  // namespace

template <typename Key>
void TCsvDbBase::SortRows(int col, Key (*keyOf)(std::string_view)) {
  TrimBlankRows();
  const size_t first = header ? 1 : 0;
  if (rows_.size() <= first + 1) return;
  std::vector<SortItem<Key>> items;
  items.reserve(rows_.size() - first);
  for (size_t r = first; r < rows_.size(); ++r)
    items.push_back({keyOf(GetCell(col, static_cast<int>(r))), r});
  std::vector<SortItem<Key>> scratch(items.size());
  MergeSort(items, scratch, 0, items.size() - 1);
  std::vector<std::unique_ptr<TCsvCells>> sorted;
  sorted.reserve(rows_.size());
  for (size_t r = 0; r < first; ++r) sorted.push_back(std::move(rows_[r]));
  for (const auto& item : items) sorted.push_back(std::move(rows_[item.row]));
  rows_ = std::move(sorted);
}

void TCsvDbBase::SortByText(int col) { SortRows<std::string_view>(col, TextKey); }
void TCsvDbBase::SortByNumber(int col) { SortRows<long double>(col, NumberKey); }
void TCsvDbBase::SortByDate(int col) { SortRows<TDateTimeValue>(col, DateKey); }

// ---------------------------------------------------------------- selection

void TCsvDbBase::CopyRowTo(TCsvDbBase& target, int i) const {
  const TCsvCells* row = GetRow(i);
  target.rows_.push_back(row ? std::make_unique<TCsvCells>(*row) : nullptr);
}

std::unique_ptr<TCsvDb> TCsvDbBase::PickupRows(int col, std::string_view text) const {
  auto result = std::make_unique<TCsvDb>();
  int first = 0;
  if (header) {
    CopyRowTo(*result, 0);
    first = 1;
  }
  if (col < 0) return result;
  if (ContainsWildcard(text)) {
    TWString pattern(text);
    for (int r = first; r < RowCount(); ++r)
      if (pattern.MatchWhole(GetCell(col, r))) CopyRowTo(*result, r);
  } else {
    for (int r = first; r < RowCount(); ++r)
      if (SjisPosFrom(text, GetCell(col, r), 1) > 0) CopyRowTo(*result, r);
  }
  return result;
}

// ---------------------------------------------------------------- reshaping

void TCsvDbBase::Transpose() {
  const int width = ColCount();
  std::vector<std::unique_ptr<TCsvCells>> columns;
  columns.reserve(static_cast<size_t>(width));
  for (int c = 0; c < width; ++c) {
    auto row = std::make_unique<TCsvCells>();
    for (int r = 0; r < RowCount(); ++r) row->Add(GetCell(c, r));
    columns.push_back(std::move(row));
  }
  rows_ = std::move(columns);
  TrimBlankRows();
}

void TCsvDbBase::RemoveDuplicateRows(int col) {
  if (col < 0) {
    for (int r = 0; r < RowCount();) {
      if (FindRow(GetCell(col, r), col, r + 1) >= 0)
        DeleteRow(r);
      else
        ++r;
    }
    return;
  }
  // A row stays when no later row has the same cell: keep the last of each.
  std::unordered_map<std::string_view, size_t> last;
  for (size_t r = 0; r < rows_.size(); ++r) last[GetCell(col, static_cast<int>(r))] = r;
  std::vector<std::unique_ptr<TCsvCells>> kept;
  for (size_t r = 0; r < rows_.size(); ++r)
    if (last[GetCell(col, static_cast<int>(r))] == r) kept.push_back(std::move(rows_[r]));
  rows_ = std::move(kept);
}

void TCsvDbBase::TrimBlankRows() {
  // A row counts as blank when nothing is left after dropping its blank
  // trailing cells; the check leaves the kept edge rows trimmed that way.
  auto blank = [](std::unique_ptr<TCsvCells>& row) {
    if (!row) return true;
    row->TrimTrailingBlanks();
    return row->Count() == 0;
  };
  size_t top = 0;
  while (top < rows_.size() && blank(rows_[top])) ++top;
  rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(top));
  while (!rows_.empty() && blank(rows_.back())) rows_.pop_back();
}

// ---------------------------------------------------------------- grid

void TCsvDbBase::ShowInGrid(TCsvGridModel& grid, bool autoSize) const {
  const int rows = RowCount(), width = ColCount();
  grid.SetSize(rows + 1, width);
  grid.SetFixed(1, 0);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < width; ++c) grid.SetCell(c, r, std::string(GetCell(c, r)));
  for (int c = 0; c < width; ++c) grid.SetCell(c, rows, std::string());
  if (!autoSize) return;
  for (int c = 0; c < width; ++c) {
    int widest = 0;
    for (int r = 0; r < rows; ++r) {
      const std::string_view cell = GetCell(c, r);
      if (!cell.empty()) widest = std::max(widest, grid.TextWidth(std::string(cell)));
    }
    grid.SetColWidth(c, widest > 0 ? widest + 5 : grid.DefaultColWidth());
  }
  // The height of the grid's font, bounded: a font of any size gives a row.
  const int fontHeight = std::clamp(grid.FontHeight(), -32767, 32767);
  grid.SetDefaultRowHeight(std::abs(fontHeight) + 4);
}

void TCsvDbBase::LoadFromGrid(const TCsvGridModel& grid) {
  for (int r = 0; r < grid.RowCount(); ++r)
    for (int c = 0; c < grid.ColCount(); ++c) SetCell(c, r, grid.GetCell(c, r));
}

}  // namespace nura
