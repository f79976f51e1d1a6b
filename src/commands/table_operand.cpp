#include "commands/table_operand.h"

#include "support/csv_db.h"
#include "engine/table_access.h"

namespace nura {

std::string ReadTableCell(const std::string& table, int row, int column) {
  TCsvDb db;
  db.SetCsvText(table);
  if (row < 0 || row >= db.RowCount()) return "";
  const TCsvCells* cells = db.GetRow(row);
  if (!cells) return "";
  if (column >= 0) return std::string(cells->GetCell(column));
  return cells->Count() == 1 ? std::string(cells->GetCell(0)) : cells->GetCsvLine();
}

void WriteTableCell(std::string& table, int row, int column, const std::string& value) {
  if (row < 0) return;
  TCsvDb db;
  db.SetCsvText(table);
  if (column >= 0) {
    db.SetCell(column, row, value);
  } else {
    db.SetRowCsvLine(row, value);
  }
  table = db.GetCsvText();
}

void RegisterTableAccess() { SetTableAccess(WriteTableCell, ReadTableCell); }

}  // namespace nura
