// The slot of the table reader that the "#" operand uses (kept apart from
// the dispatcher so that the table commands can install it on their own).
#include "engine/dispatch.h"

namespace nura {

namespace {

TableCellReader& TableReaderSlot() {
  static TableCellReader reader = nullptr;
  return reader;
}

}  // namespace

void SetTableCellReader(TableCellReader reader) { TableReaderSlot() = reader; }
TableCellReader GetTableCellReader() { return TableReaderSlot(); }

}  // namespace nura
