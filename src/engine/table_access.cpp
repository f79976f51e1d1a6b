#include "engine/table_access.h"

namespace nura {
namespace {

TableCellWriter g_writer = nullptr;
TableCellReader g_reader = nullptr;

}  // namespace

void SetTableAccess(TableCellWriter writer, TableCellReader reader) {
  g_writer = writer;
  g_reader = reader;
}

TableCellWriter GetTableCellWriter() { return g_writer; }
TableCellReader GetTableCellReader() { return g_reader; }

}  // namespace nura
