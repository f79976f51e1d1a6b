// Commands of the dispatcher's own family.
#pragma once

#include <string>

namespace nura {

// "計算": evaluates its argument into "それ".
void RegisterExpressionCommands();

}  // namespace nura

namespace nura {

// Reads a table text (CSV) for the "#" operand: row `row` alone (`column`
// -1) or one cell. Empty for rows out of range. The table commands own the
// CSV reader and install theirs at start-up.
using TableCellReader = std::string (*)(const std::string& table, int row, int column);
void SetTableCellReader(TableCellReader reader);
TableCellReader GetTableCellReader();

}  // namespace nura
