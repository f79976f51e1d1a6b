#include "commands/table_operand.h"

#include <gtest/gtest.h>

namespace nura {
namespace {

TEST(TableOperand, RowsAndCells) {
  const std::string table = "a,b,c\r\nd\r\n\"x,y\",z\r\n";
  EXPECT_EQ(ReadTableCell(table, 0, -1), "a,b,c");
  EXPECT_EQ(ReadTableCell(table, 1, -1), "d");   // a row of one cell is that cell
  EXPECT_EQ(ReadTableCell(table, 2, 0), "x,y");
  EXPECT_EQ(ReadTableCell(table, 0, 2), "c");
  EXPECT_EQ(ReadTableCell(table, 0, 7), "");
  EXPECT_EQ(ReadTableCell(table, 9, -1), "");
  EXPECT_EQ(ReadTableCell(table, -1, 0), "");
}

TEST(TableOperand, WritesRowsAndCells) {
  std::string table = "a,b\r\nc,d\r\n";
  WriteTableCell(table, 1, 0, "x");
  EXPECT_EQ(ReadTableCell(table, 1, -1), "x,d");
  WriteTableCell(table, 0, -1, "p,q,r");
  EXPECT_EQ(ReadTableCell(table, 0, 2), "r");
  WriteTableCell(table, 3, 1, "z");  // rows are added up to it
  EXPECT_EQ(ReadTableCell(table, 3, 1), "z");
}

}  // namespace
}  // namespace nura
