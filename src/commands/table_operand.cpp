#include "commands/table_operand.h"

#include "commands/csv_db.h"
#include "engine/dispatch.h"

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

void RegisterTableOperandReader() { SetTableCellReader(ReadTableCell); }

}  // namespace nura
