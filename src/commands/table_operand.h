// The "#" syntax of the statement loop and of expressions ("A#2",
// "A#2#3") reads and writes a variable as a table; the engine asks the
// table engine through these two functions.
#pragma once

#include <string>

namespace nura {

// Row `row` of the CSV text (its only cell when it has one, else the row as
// a CSV line) or, with `column` not negative, one cell. Empty out of range.
std::string ReadTableCell(const std::string& table, int row, int column);

// Replaces row `row` (by `value` read as a CSV line) or, with `column` not
// negative, one cell; `table` becomes the table's new text.
void WriteTableCell(std::string& table, int row, int column, const std::string& value);

// Installs both as the engine's table access (at start-up).
void RegisterTableAccess();

}  // namespace nura
