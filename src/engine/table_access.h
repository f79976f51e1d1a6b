// Access to a variable's value as a CSV table ("A#row#column"). The table
// type lives with the table commands; they install these functions, so
// the engine reads and writes cells without depending on them.
#pragma once

#include <string>

namespace nura {

// Replaces row `row` (column < 0) or the cell `row`,`column` of the CSV
// text `table` by `value`.
using TableCellWriter = void (*)(std::string& table, int row, int column, const std::string& value);
// Row `row` (column < 0: its only cell when it has one, else the row's
// text) or the cell `row`,`column` of `table`; empty out of range.
using TableCellReader = std::string (*)(const std::string& table, int row, int column);

void SetTableAccess(TableCellWriter writer, TableCellReader reader);
TableCellWriter GetTableCellWriter();
TableCellReader GetTableCellReader();

}  // namespace nura
