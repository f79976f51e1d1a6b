// Handlers of the table commands. Each parses its table argument into a
// TCsvDb, works on it and writes the CSV text back into "それ"; only the
// table search keeps state between commands (TFindCsv).
#include "commands/csv_commands.h"

#include <exception>
#include <utility>

#include "engine/command_api.h"
#include "support/number_functions.h"
#include "support/wildcard.h"
#include "engine/conv_half.h"
#include "engine/number_format.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// True when the variable 表フィールド名 says that row 0 holds field names.
bool HeaderFlag(TNuraEngine& engine) {
  static const std::string kName = SJ("表フィールド名");
  return WordValue(engine, kName) == "1";
}

std::unique_ptr<TCsvDb> ReadTable(const std::string& text, bool header) {
  auto db = std::make_unique<TCsvDb>();
  db->SetCsvText(text);
  db->header = header;
  return db;
}

void SetTableResult(TNuraEngine& engine, const TCsvDbBase& db) {
  SetTextResult(engine, db.GetCsvText());
}

// A column read "as an integer, -1 when invalid".
int PopColumnOrMinusOne(TNuraEngine& engine) {
  int32_t col;
  return ParsePlainInteger(PopText(engine), col) ? col : -1;
}

// A column that must be valid: -1 or not an integer is the argument error.
int PopRequiredColumn(TNuraEngine& engine, CommandId id) {
  const int col = PopColumnOrMinusOne(engine);
  if (col == -1) RaiseArgumentError(engine, id);
  return col;
}

// Runs `work`; a wildcard or parser error becomes a script error.
template <typename Work>
void WithScriptErrors(TNuraEngine& engine, Work work) {
  try {
    work();
  } catch (const EWildcard& e) {
    RaiseScriptError(engine, e.what());
  } catch (const EConvertDate& e) {
    RaiseScriptError(engine, e.what());
  }
}

// ---- pickup, query, join, shape ----

// The lines of `text` that match: by wildcard when the text holds one,
// else by containing it. With field names the first line is skipped.
std::string PickupLines(const std::string& table, const std::string& text, bool header) {
  std::string out;
  size_t pos = 0;
  bool first = true;
  std::unique_ptr<TWString> pattern;
  if (ContainsWildcard(text)) pattern = std::make_unique<TWString>(text);
  while (pos < table.size()) {
    const size_t start = pos;
    while (pos < table.size() && table[pos] != '\r' && table[pos] != '\n') ++pos;
    const std::string_view line(table.data() + start, pos - start);
    if (pos < table.size() && table[pos] == '\r') ++pos;
    if (pos < table.size() && table[pos] == '\n') ++pos;
    if (std::exchange(first, false) && header) continue;
    const bool keep = pattern ? pattern->MatchWhole(line) : SjisPos(text, line) > 0;
    if (keep) {
      out.append(line);
      out += "\r\n";
    }
  }
  return out;
}

void TablePickup(TNuraEngine& engine, CommandId) {
  const std::string text = PopText(engine);
  const int col = PopColumnOrMinusOne(engine);
  const std::string table = PopText(engine);
  const bool header = HeaderFlag(engine);
  WithScriptErrors(engine, [&] {
    if (col == -1) {
      SetTextResult(engine, PickupLines(table, text, header));
      return;
    }
    if (text.empty()) {
      ResultNode(engine)->SetAnnotation("s");
      SetResultKind(engine, "s");
      return;
    }
    SetTableResult(engine, *ReadTable(table, header)->PickupRows(col, text));
  });
}

// The query folded to half width, with "," as a blank and the Japanese
// words for OR and AND.
std::string NormalizeQuery(const std::string& query) {
  static const std::string kOr = SJ("または "), kAnd = SJ("かつ ");
  std::string text = ConvertToHalf(query);
  for (char& c : text)
    if (c == ',') c = ' ';
  text = SjisReplace(text, kOr, "OR ", true);
  return SjisReplace(text, kAnd, "AND ", true);
}

void TableSelect(TNuraEngine& engine, CommandId) {
  const std::string query = PopText(engine);
  const std::string table = PopText(engine);
  static const std::string kHead = SJ("CSVデータベースの解析エラー。");
  std::string result;
  try {
    result = ReadTable(table, true)->SelectRows(NormalizeQuery(query))->GetCsvText();
  } catch (const std::exception& e) {
    RaiseScriptError(engine, kHead + e.what());
  }
  SetTextResult(engine, result);
}

void TableJoin(TNuraEngine& engine, CommandId) {
  const int keyB = PopInteger(engine);
  const std::string tableB = PopText(engine);
  const int keyA = PopInteger(engine);
  const std::string tableA = PopText(engine);
  const bool header = HeaderFlag(engine);
  auto a = ReadTable(tableA, header);
  a->JoinTable(keyA, *ReadTable(tableB, header), keyB);
  SetTableResult(engine, *a);
}

void TableTranspose(TNuraEngine& engine, CommandId) {
  auto db = ReadTable(PopText(engine), false);
  db->Transpose();
  SetTableResult(engine, *db);
}

void TableRowCount(TNuraEngine& engine, CommandId) {
  SetResult(engine, std::to_string(ReadTable(PopText(engine), false)->RowCount()), "e");
}

void TableColCount(TNuraEngine& engine, CommandId) {
  SetResult(engine, std::to_string(ReadTable(PopText(engine), false)->ColCount()), "e");
}

// ---- search ----

void TableFindNext(TNuraEngine& engine, CommandId) {
  TFindCsv& find = FindCsvOf(engine);
  SetResult(engine, "-1", "e");
  if (find.table.RowCount() == 0) return;
  int row = -1;
  WithScriptErrors(engine, [&] {
    if (find.exact)
      row = find.table.FindRow(find.key, find.column, find.nextRow);
    else if (find.key.find_first_of("*?") != std::string::npos)
      row = find.table.FindRowWildcard(find.key, find.column, find.nextRow);
    else
      row = find.table.FindRowContaining(find.key, find.column, find.nextRow);
  });
  find.nextRow = row < 0 ? find.table.RowCount() : row + 1;
  SetResult(engine, std::to_string(row), "e");
}

void TableFind(TNuraEngine& engine, CommandId id) {
  const std::string key = PopText(engine);
  const int col = PopColumnOrMinusOne(engine);
  const std::string table = PopText(engine);
  TFindCsv& find = FindCsvOf(engine);
  find.key = key;
  find.column = col;
  find.table.SetCsvText(table);
  find.exact = id == CommandId::TableFind;
  find.nextRow = HeaderFlag(engine) ? 1 : 0;
  TableFindNext(engine, CommandId::TableFindNext);
}

void TableFindClear(TNuraEngine& engine, CommandId) {
  TFindCsv& find = FindCsvOf(engine);
  find.column = -1;
  find.table.Clear();
  find.nextRow = 0;
}

// ---- statistics ----

struct ColumnNumbers {
  std::unique_ptr<TCsvDb> db;
  int col = 0, first = 0;
};

ColumnNumbers ReadStatisticsArguments(TNuraEngine& engine, CommandId id) {
  ColumnNumbers in;
  in.col = PopRequiredColumn(engine, id);
  const bool header = HeaderFlag(engine);
  in.db = ReadTable(PopText(engine), header);
  in.first = header ? 1 : 0;
  return in;
}

void TableMaxMin(TNuraEngine& engine, CommandId id) {
  const ColumnNumbers in = ReadStatisticsArguments(engine, id);
  const bool wantMax = id == CommandId::TableMax;
  long double best = TextToNumber(in.db->GetCell(in.col, in.first));
  for (int r = in.first + 1; r < in.db->RowCount(); ++r) {
    const std::string_view cell = in.db->GetCell(in.col, r);
    if (!wantMax && cell.empty()) continue;  // the minimum skips empty cells
    const long double value = TextToNumber(cell);
    if (wantMax ? value > best : value < best) best = value;
  }
  SetNumberResult(engine, best);
}

void TableSumMean(TNuraEngine& engine, CommandId id) {
  const ColumnNumbers in = ReadStatisticsArguments(engine, id);
  long double sum = 0;
  for (int r = in.first; r < in.db->RowCount(); ++r) sum += TextToNumber(in.db->GetCell(in.col, r));
  const int count = in.db->RowCount() - in.first;
  if (id == CommandId::TableMean) sum = count > 0 ? sum / count : 0;  // no data rows: 0
  SetNumberResult(engine, CheckFloat(sum));
}

// ---- sorts ----

void TableSort(TNuraEngine& engine, CommandId id) {
  const int col = PopRequiredColumn(engine, id);
  auto db = ReadTable(PopText(engine), HeaderFlag(engine));
  WithScriptErrors(engine, [&] {
    if (id == CommandId::TableSort) db->SortByText(col);
    else if (id == CommandId::TableNumberSort) db->SortByNumber(col);
    else db->SortByDate(col);
  });
  SetTableResult(engine, *db);
}

// ---- column edits ----

void TableColumnReplace(TNuraEngine& engine, CommandId) {
  const std::string replacement = PopText(engine);
  const std::string search = PopText(engine);
  const int col = PopInteger(engine);
  auto db = ReadTable(PopText(engine), false);
  for (int r = 0; r < db->RowCount(); ++r)
    if (TCsvCells* row = db->GetRow(r))
      row->SetCell(col, SjisReplace(row->GetCell(col), search, replacement, true));
  SetTableResult(engine, *db);
}

void TableColumnMove(TNuraEngine& engine, CommandId) {
  const int to = PopInteger(engine);
  const int from = PopInteger(engine);
  auto db = ReadTable(PopText(engine), false);
  db->MoveColumn(from, to);
  SetTableResult(engine, *db);
}

void TableColumnInsert(TNuraEngine& engine, CommandId) {
  const int col = PopInteger(engine);
  auto db = ReadTable(PopText(engine), false);
  if (col < 0) return;
  db->InsertColumn(col);
  SetValueOnly(engine, db->GetCsvText());
}

void TableColumnDelete(TNuraEngine& engine, CommandId) {
  const int col = PopInteger(engine);
  auto db = ReadTable(PopText(engine), false);
  if (col < 0) return;
  db->DeleteColumn(col);
  SetValueOnly(engine, db->GetCsvText());
}

void TableColumnCopy(TNuraEngine& engine, CommandId) {
  const int col = PopInteger(engine);
  auto db = ReadTable(PopText(engine), false);
  if (col < 0) return;
  std::string out;
  for (int r = 0; r < db->RowCount(); ++r) {
    out.append(db->GetCell(col, r));
    out += "\r\n";
  }
  SetValueOnly(engine, out);
}

void TableColumnPaste(TNuraEngine& engine, CommandId) {
  const std::string lines = PopText(engine);
  const int col = PopInteger(engine);
  auto db = ReadTable(PopText(engine), false);
  if (col < 0) return;
  TCsvCells source;
  source.AddStrings(lines);
  db->InsertColumn(col, &source);
  SetValueOnly(engine, db->GetCsvText());
}

void TableRemoveDuplicates(TNuraEngine& engine, CommandId) {
  const int col = PopInteger(engine);
  auto db = ReadTable(PopText(engine), false);
  db->RemoveDuplicateRows(col);
  SetValueOnly(engine, db->GetCsvText());
}

}  // namespace

TFindCsv& FindCsvOf(TNuraEngine& engine) { return FamilyState<TFindCsv>(engine); }

constexpr CommandEntry kCsvCommands[] = {
    {CommandId::TablePickup, TablePickup},
    {CommandId::TableSelect, TableSelect},
    {CommandId::TableJoin, TableJoin},
    {CommandId::TableTranspose, TableTranspose},
    {CommandId::ElementCount, TableRowCount},
    {CommandId::TableRowCount, TableRowCount},
    {CommandId::TableColumnCount, TableColCount},
    {CommandId::TableFind, TableFind},
    {CommandId::TableFuzzyFind, TableFind},
    {CommandId::TableFindNext, TableFindNext},
    {CommandId::TableFindClear, TableFindClear},
    {CommandId::TableMax, TableMaxMin},
    {CommandId::TableMin, TableMaxMin},
    {CommandId::TableSum, TableSumMean},
    {CommandId::TableMean, TableSumMean},
    {CommandId::TableSort, TableSort},
    {CommandId::TableNumberSort, TableSort},
    {CommandId::TableDateSort, TableSort},
    {CommandId::TableColumnReplace, TableColumnReplace},
    {CommandId::TableMoveColumn, TableColumnMove},
    {CommandId::TableInsertColumn, TableColumnInsert},
    {CommandId::TableDeleteColumn, TableColumnDelete},
    {CommandId::TableCopyColumn, TableColumnCopy},
    {CommandId::TablePasteColumn, TableColumnPaste},
    {CommandId::TableRemoveDuplicates, TableRemoveDuplicates},
};

void RegisterCsvCommands() { RegisterCommandTable(kCsvCommands); }

}  // namespace nura
