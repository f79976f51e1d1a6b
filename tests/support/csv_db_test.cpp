#include "support/csv_db.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "platform/sjis.h"

namespace nura {
namespace {

std::vector<std::string> Cells(const TCsvDb& db, int row) {
  std::vector<std::string> out;
  const TCsvCells* r = db.GetRow(row);
  for (int c = 0; r && c < r->Count(); ++c) out.emplace_back(r->GetCell(c));
  return out;
}

using V = std::vector<std::string>;

TEST(CsvReader, QuotingRules) {
  TCsvDb db;
  db.SetCsvText("a,\"b\",\"c\"\"\"");
  EXPECT_EQ(Cells(db, 0), (V{"a", "b", "c\""}));
  db.SetCsvText("\"a\"  ,b");
  EXPECT_EQ(Cells(db, 0), (V{"a", "", "b"}));
  db.SetCsvText("ab\"c,\"x\"y\",z");
  EXPECT_EQ(Cells(db, 0), (V{"ab\"c", "x\"y", "z"}));
  db.SetCsvText("\"multi\r\nline\",2\r\n\r\nlast,");
  ASSERT_EQ(db.RowCount(), 3);
  EXPECT_EQ(Cells(db, 0), (V{"multi\r\nline", "2"}));
  EXPECT_EQ(Cells(db, 1), (V{""}));
  EXPECT_EQ(Cells(db, 2), (V{"last"}));
  db.SetCsvText("a\n\rb");  // LF CR is two line ends
  EXPECT_EQ(db.RowCount(), 3);
  db.SetCsvText(" x , y \t,\t\"q\"\t");
  EXPECT_EQ(Cells(db, 0), (V{"x", "y", "q"}));
  // A quoted cell keeps quotes that are part of its text.
  db.SetCsvText("\"\"\"x\"\"\"");
  EXPECT_EQ(Cells(db, 0), (V{"\"x\""}));
  const std::string so = SJ("ソ表,\"能\"");  // trail bytes 0x5C
  db.SetCsvText(so);
  EXPECT_EQ(Cells(db, 0), (V{SJ("ソ表"), SJ("能")}));
}

TEST(CsvWriter, QuotesAndPadding) {
  TCsvDb db;
  db.SetCell(0, 0, "ID");
  db.SetCell(1, 0, "a,b");
  db.SetCell(2, 0, "say \"hi\"");
  db.SetCell(0, 2, "x");
  EXPECT_EQ(db.GetCsvText(), "\"ID\",\"a,b\",\"say \"\"hi\"\"\"\r\n\r\nx,,\r\n");
  TCsvDb plain;
  plain.SetCell(0, 0, SJ("ＩＤ"));  // trail bytes that look like I and D do not count
  plain.SetCell(1, 0, "line\nbreak");
  EXPECT_EQ(plain.GetCsvText(), SJ("ＩＤ") + ",\"line\nbreak\"\r\n");
}

TEST(CsvWriter, RandomTablesRoundTrip) {
  std::mt19937 rng(12345);
  const std::vector<std::string> pieces = {"a", "Z", "0", ",", "\"", "\r\n", "\n", "\r", " ", "ID",
                                           SJ("あ"), SJ("表"), SJ("ソ"), "\t", "''", "x y"};
  for (int round = 0; round < 200; ++round) {
    TCsvDb db;
    const int rows = 1 + static_cast<int>(rng() % 8), cols = 1 + static_cast<int>(rng() % 6);
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) {
        std::string cell;
        const int n = static_cast<int>(rng() % 6);
        for (int k = 0; k < n; ++k) cell += pieces[rng() % pieces.size()];
        // The reader trims blanks at both ends of a cell, so cells are
        // generated without them.
        while (!cell.empty() && static_cast<unsigned char>(cell.back()) <= 32) cell.pop_back();
        while (!cell.empty() && static_cast<unsigned char>(cell.front()) <= 32) cell.erase(0, 1);
        db.SetCell(c, r, cell);
      }
    TCsvDb back;
    back.SetCsvText(db.GetCsvText());
    ASSERT_EQ(back.RowCount(), rows) << db.GetCsvText();
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c)
        ASSERT_EQ(back.GetCell(c, r), db.GetCell(c, r)) << db.GetCsvText();
  }
}

TEST(CsvReader, RandomBytesNeverCrash) {
  std::mt19937 rng(3);
  const std::string alphabet = std::string("a,\"\r\n \t\x82\x83\x5C\xE0", 11) + std::string(1, '\0');
  for (int i = 0; i < 3000; ++i) {
    std::string text;
    for (size_t n = rng() % 40; n > 0; --n) text += alphabet[rng() % alphabet.size()];
    TCsvDb db;
    db.SetCsvText(text);
    // Malformed Shift-JIS (a lone lead byte) need not survive a round
    // trip, but nothing may read or write out of bounds.
    TCsvDb back;
    back.SetCsvText(db.GetCsvText());
    db.SortByText(0);
    db.Transpose();
  }
}

TEST(CsvCells, EditsAndLookups) {
  TCsvCells row;
  row.SetCell(2, "c");
  EXPECT_EQ(row.Count(), 3);
  EXPECT_EQ(row.GetCell(0), "");
  row.SetCell(0, "a");
  row.InsertCell(1, "b");
  EXPECT_EQ(row.GetCsvLine(), "a,b,,c");
  row.MoveCell(3, 0);
  EXPECT_EQ(row.GetCsvLine(), "c,a,b,");
  row.DeleteCell(1);
  row.DeleteCell(9);
  EXPECT_EQ(row.GetCsvLine(), "c,b,");
  EXPECT_EQ(row.FieldIndex("b"), 1);
  EXPECT_EQ(row.FieldIndex(""), -1);
  row.SetCell(5, "  ");
  row.TrimTrailingBlanks();
  EXPECT_EQ(row.Count(), 2);
  row.SetCell(0, row.GetCell(1));  // a cell set from its own row
  EXPECT_EQ(row.GetCsvLine(), "b,b");
  row.AddStrings("x\r\ny\n");
  EXPECT_EQ(row.GetCsvLine(), "b,b,x,y");
}

TEST(CsvTable, ColumnsRowsAndSearches) {
  TCsvDb db;
  db.SetCsvText("k,v\r\na,1\r\nb,22\r\na,3\r\n");
  EXPECT_EQ(db.ColCount(), 2);
  EXPECT_EQ(db.FindRow("a", 0, 0), 1);
  EXPECT_EQ(db.FindRow("a", 0, 2), 3);
  EXPECT_EQ(db.FindRow("22", -1, 0), 2);
  EXPECT_EQ(db.FindRow("zz", 0, 0), -1);
  EXPECT_EQ(db.FindRowContaining("2", 1, 0), 2);
  EXPECT_EQ(db.FindRowContaining("b,2", -1, 0), 2);
  EXPECT_EQ(db.FindRowWildcard("#", 1, 0), 1);
  EXPECT_EQ(db.FindRowWildcard("a,*", -1, 2), 3);
  EXPECT_EQ(db.GetCell(5, 5), "");
  db.MoveColumn(1, 0);
  EXPECT_EQ(db.GetCsvText(), "v,k\r\n1,a\r\n22,b\r\n3,a\r\n");
  TCsvCells source;
  source.AddStrings("h\r\nx\r\n");
  db.InsertColumn(1, &source);
  EXPECT_EQ(db.GetCsvText(), "v,h,k\r\n1,x,a\r\n22,,b\r\n3,,a\r\n");
  db.DeleteColumn(0);
  db.header = true;
  db.ReverseRows();
  EXPECT_EQ(db.GetCsvText(), "h,k\r\n,a\r\n,b\r\nx,a\r\n");
  db.RemoveDuplicateRows(1);
  EXPECT_EQ(db.GetCsvText(), "h,k\r\n,b\r\nx,a\r\n");
  EXPECT_EQ(db.GetHtmlTable("border=1"),
            "<TABLE border=1>\r\n<TR><TD>h</TD><TD>k</TD></TR>\r\n<TR><TD></TD><TD>b</TD></TR>\r\n"
            "<TR><TD>x</TD><TD>a</TD></TR>\r\n</TABLE>");
}

TEST(CsvTable, TransposeTrimAndJoin) {
  TCsvDb db;
  db.SetCsvText(",\r\na,b,c\r\nd,e\r\n , \r\n");
  db.TrimBlankRows();
  EXPECT_EQ(db.GetCsvText(), "a,b,c\r\nd,e,\r\n");
  db.Transpose();
  EXPECT_EQ(db.GetCsvText(), "a,d\r\nb,e\r\nc,\r\n");

  TCsvDb left, right;
  left.SetCsvText("id,name\r\n1,A\r\n2,B\r\n3,C\r\n");
  right.SetCsvText("score,id\r\n90,2\r\n80,1\r\n");
  left.header = right.header = true;
  left.JoinTable(0, right, 1);
  EXPECT_EQ(left.GetCsvText(), "id,name,score\r\n1,A,80\r\n2,B,90\r\n3,C,\r\n");
  // Without field names the other table's row 0 joins like any row.
  TCsvDb a, b;
  a.SetCsvText("1,x\r\n");
  b.SetCsvText("1,y\r\n");
  a.JoinTable(0, b, 0);
  EXPECT_EQ(a.GetCsvText(), "1,x,y\r\n");
}

TEST(CsvTable, SortsByTextNumberAndDate) {
  TCsvDb db;
  db.SetCsvText("10\r\n9\r\n100\r\n");
  db.SortByNumber(0);
  EXPECT_EQ(db.GetCsvText(), "9\r\n10\r\n100\r\n");
  db.SortByText(0);
  EXPECT_EQ(db.GetCsvText(), "10\r\n100\r\n9\r\n");
  db.SetCsvText("d\r\n2024/3/1\r\n2023/12/31\r\n2024/1/15\r\n");
  db.header = true;
  db.SortByDate(0);
  EXPECT_EQ(db.GetCsvText(), "d\r\n2023/12/31\r\n2024/1/15\r\n2024/3/1\r\n");
  db.SetCsvText("d\r\nnot a date\r\n1999/1/1\r\n");
  EXPECT_THROW(db.SortByDate(0), EConvertDate);
}

TEST(CsvTable, MergeSortKeepsEqualKeysInOrderForLongRuns) {
  TCsvDb db;
  for (int i = 0; i < 25; ++i) {
    db.SetCell(0, i, "k");
    db.SetCell(1, i, std::to_string(i));
  }
  db.SortByText(0);
  for (int i = 0; i < 25; ++i) EXPECT_EQ(db.GetCell(1, i), std::to_string(i));
}

TEST(CsvTable, SortsSurviveHostileInput) {
  std::mt19937 rng(7);
  const std::vector<std::string> values = {"", "abc", "1e999", "-1e999", "nan", "$FF", "1,000",
                                           "-0", "0", "9", "10", "  "};
  TCsvDb db;
  for (int i = 0; i < 500; ++i) db.SetCell(0, i, values[rng() % values.size()]);
  db.SortByNumber(0);
  db.SortByText(0);
  EXPECT_GT(db.RowCount(), 0);
}

TEST(CsvQuery, SelectRows) {
  TCsvDb db;
  db.SetCsvText("name,age\r\nA,20\r\nB,35\r\nC,50\r\n");
  auto result = db.SelectRows("age<30 OR age>40 AND name=\"C\"");
  EXPECT_EQ(result->GetCsvText(), "name,age\r\nA,20\r\nC,50\r\n");
  EXPECT_EQ(db.SelectRows("name=\"?\" and age>=35")->GetCsvText(),
            "name,age\r\nB,35\r\nC,50\r\n");
  EXPECT_EQ(db.SelectRows("(age=20 or age=50) and name<>`A`")->GetCsvText(),
            "name,age\r\nC,50\r\n");
  EXPECT_EQ(db.SelectRows("name>\"A\"")->GetCsvText(), "name,age\r\nB,35\r\nC,50\r\n");
  EXPECT_EQ(db.SelectRows("   ")->RowCount(), 0);
  EXPECT_EQ(db.SelectRows("age=99")->GetCsvText(), "name,age\r\n");
  EXPECT_THROW(db.SelectRows("age<>=1"), EParserError);
  try {
    db.SelectRows("size=1");
    FAIL();
  } catch (const EParserError& e) {
    EXPECT_EQ(e.what(), SJ("フィールド名") + "\"size\"" + SJ("が見つかりません。"));
  }
  EXPECT_ANY_THROW(db.SelectRows("(age=1"));

  // Long chains and deep groups neither overflow the stack nor crash.
  std::string chain = "age=1";
  for (int i = 0; i < 20000; ++i) chain += " OR age=" + std::to_string(i % 40);
  EXPECT_EQ(db.SelectRows(chain)->GetCsvText(), "name,age\r\nA,20\r\nB,35\r\n");
  EXPECT_EQ(db.SelectRows("((((age=50))))")->GetCsvText(), "name,age\r\nC,50\r\n");
  EXPECT_THROW(db.SelectRows(std::string(5000, '(') + "age=1" + std::string(5000, ')')),
               EParserError);

  TCsvDb dates;
  dates.SetCsvText("d\r\n2024/1/1\r\nbad\r\n2024/6/1\r\n");
  EXPECT_EQ(dates.SelectRows("d>#2024/3/1")->GetCsvText(), "d\r\n2024/6/1\r\n");
  EXPECT_EQ(dates.SelectRows("d>#nonsense")->GetCsvText(), "d\r\n");
}

TEST(CsvTable, PickupRows) {
  TCsvDb db;
  db.SetCsvText("f\r\napple\r\nbanana\r\ncherry\r\n");
  db.header = true;
  EXPECT_EQ(db.PickupRows(0, "an")->GetCsvText(), "f\r\nbanana\r\n");
  EXPECT_EQ(db.PickupRows(0, "*e*")->GetCsvText(), "f\r\napple\r\ncherry\r\n");
  EXPECT_EQ(db.PickupRows(-1, "a")->GetCsvText(), "f\r\n");
}

class FakeGrid : public TCsvGridModel {
 public:
  int rows = 0, cols = 0, fixedRows = -1, fixedCols = -1, rowHeight = 0;
  std::map<std::pair<int, int>, std::string> cells;
  std::map<int, int> widths;
  int RowCount() const override { return rows; }
  int ColCount() const override { return cols; }
  void SetSize(int r, int c) override { rows = r, cols = c; }
  void SetFixed(int r, int c) override { fixedRows = r, fixedCols = c; }
  std::string GetCell(int c, int r) const override {
    auto it = cells.find({c, r});
    return it == cells.end() ? std::string() : it->second;
  }
  void SetCell(int c, int r, const std::string& t) override { cells[{c, r}] = t; }
  int TextWidth(const std::string& t) const override { return static_cast<int>(t.size()) * 7; }
  int DefaultColWidth() const override { return 64; }
  void SetColWidth(int c, int w) override { widths[c] = w; }
  int FontHeight() const override { return -12; }
  void SetDefaultRowHeight(int h) override { rowHeight = h; }
};

TEST(CsvTable, GridTransfer) {
  TCsvDb db;
  db.SetCsvText("a,bb\r\nccc,\r\n");
  FakeGrid grid;
  grid.cells[{0, 2}] = "stale";
  db.ShowInGrid(grid, true);
  EXPECT_EQ(grid.rows, 3);
  EXPECT_EQ(grid.cols, 2);
  EXPECT_EQ(grid.fixedRows, 1);
  EXPECT_EQ(grid.GetCell(0, 1), "ccc");
  EXPECT_EQ(grid.GetCell(0, 2), "");
  EXPECT_EQ(grid.widths[0], 26);
  EXPECT_EQ(grid.widths[1], 19);
  EXPECT_EQ(grid.rowHeight, 16);
  TCsvDb back;
  back.LoadFromGrid(grid);
  EXPECT_EQ(back.GetCell(1, 0), "bb");
  EXPECT_EQ(back.GetCell(0, 1), "ccc");
}

}  // namespace
}  // namespace nura
