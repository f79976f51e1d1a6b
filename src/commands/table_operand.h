// The "#" operand of expressions ("A#2", "A#2#3") reads a variable as a
// table; the engine asks the table engine through this reader.
#pragma once

#include <string>

namespace nura {

// Row `row` of the CSV text (its only cell when it has one, else the row as
// a CSV line) or, with `column` not negative, one cell. Empty out of range.
std::string ReadTableCell(const std::string& table, int row, int column);

// Installs ReadTableCell as the engine's table reader (at start-up).
void RegisterTableOperandReader();

}  // namespace nura
