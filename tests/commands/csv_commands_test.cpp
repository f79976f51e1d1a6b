#include "commands/csv_commands.h"

#include <gtest/gtest.h>

#include "engine/command_registry.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "platform/sjis.h"

namespace nura {
namespace {

class CsvCommands : public ::testing::Test {
 protected:
  void SetUp() override { RegisterCsvCommands(); }

  void SetHeader(bool on) {
    const std::string name = SJ("表フィールド名");
    if (THashNode* node = engine.Base().words.Find(name, false))
      node->SetValue(on ? "1" : "0");
    else
      engine.Base().AddVariable(name, on ? "1" : "0", "");
  }

  // Runs command `id` with the arguments in order; returns "それ".
  std::string Run(CommandId id, const std::vector<std::string>& args) {
    for (const std::string& a : args) engine.Base().args.Push(TNuraEngine::MakeRawLiteral(a));
    FindCommandHandler(IdNumber(id))(engine, id);
    return engine.ResultNode()->Value();
  }
  std::string Kind() { return engine.ResultNode()->Annotation(); }

  TNuraEngine engine;
};

const std::string kPeople = "name,age\r\nA,20\r\nB,35\r\nC,50\r\n";

TEST_F(CsvCommands, QueryAndItsErrors) {
  EXPECT_EQ(Run(CommandId::TableSelect, {kPeople, "age<30 OR age>40 AND name=\"C\""}), "name,age\r\nA,20\r\nC,50\r\n");
  EXPECT_EQ(Kind(), "s");
  // Full-width operators and the Japanese connectives are folded first.
  EXPECT_EQ(Run(CommandId::TableSelect, {kPeople, SJ("age＞30 かつ age＜40")}), "name,age\r\nB,35\r\n");
  EXPECT_EQ(Run(CommandId::TableSelect, {kPeople, SJ("age=20 または age=50")}), "name,age\r\nA,20\r\nC,50\r\n");
  try {
    Run(CommandId::TableSelect, {kPeople, "size=1"});
    FAIL();
  } catch (const ENura& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find(SJ("CSVデータベースの解析エラー。フィールド名\"size\"が見つかりません。")),
              std::string::npos);
  }
  EXPECT_THROW(Run(CommandId::TableSelect, {kPeople, "age=>>1"}), ENura);
  EXPECT_THROW(Run(CommandId::TableSelect, {kPeople, "(age=1"}), ENura);
}

TEST_F(CsvCommands, SortsAndHeaderFlag) {
  EXPECT_EQ(Run(CommandId::TableNumberSort, {"10\r\n9\r\n100\r\n", "0"}), "9\r\n10\r\n100\r\n");
  EXPECT_EQ(Run(CommandId::TableSort, {"10\r\n9\r\n100\r\n", "0"}), "10\r\n100\r\n9\r\n");
  SetHeader(true);
  EXPECT_EQ(Run(CommandId::TableSort, {"k\r\nb\r\na\r\n", "0"}), "k\r\na\r\nb\r\n");
  EXPECT_EQ(Run(CommandId::TableDateSort, {"d\r\n2024/2/1\r\n2023/5/6\r\n", "0"}), "d\r\n2023/5/6\r\n2024/2/1\r\n");
  EXPECT_THROW(Run(CommandId::TableDateSort, {"d\r\nnope\r\n2023/5/6\r\n", "0"}), ENura);
  EXPECT_THROW(Run(CommandId::TableSort, {"a\r\n", "-1"}), ENura);
  try {
    Run(CommandId::TableNumberSort, {"a\r\n", "x"});
    FAIL();
  } catch (const ENura& e) {
    EXPECT_NE(std::string(e.what()).find(SJ("\"表数値ソート\"命令の引数に誤りがあります。")),
              std::string::npos);
  }
}

TEST_F(CsvCommands, Statistics) {
  SetHeader(true);
  EXPECT_EQ(Run(CommandId::TableMax, {"v\r\n-5\r\n-2\r\n-9\r\n", "0"}), "-2");
  EXPECT_EQ(Kind(), "e");
  EXPECT_EQ(Run(CommandId::TableMin, {"v\r\n5\r\n\r\n2\r\n", "0"}), "2");
  EXPECT_EQ(Run(CommandId::TableSum, {"v\r\n1.5\r\n2\r\n", "0"}), "3.5");
  EXPECT_EQ(Run(CommandId::TableMean, {"v\r\n2\r\n4\r\n", "0"}), "3");
  EXPECT_EQ(Run(CommandId::TableMean, {"v\r\n", "0"}), "0");  // only the header row
  EXPECT_EQ(Run(CommandId::TableMean, {"", "0"}), "0");
  SetHeader(false);
  EXPECT_EQ(Run(CommandId::TableMax, {"7\r\n3\r\n", "0"}), "7");
  EXPECT_THROW(Run(CommandId::TableSum, {"1\r\n", "-1"}), ENura);
}

TEST_F(CsvCommands, SearchKeepsStateUntilCleared) {
  const std::string table = "k,v\r\napple,1\r\nbanana,2\r\napple,3\r\n";
  EXPECT_EQ(Run(CommandId::TableFind, {table, "0", "apple"}), "1");
  EXPECT_EQ(Run(CommandId::TableFindNext, {}), "3");
  EXPECT_EQ(Run(CommandId::TableFindNext, {}), "-1");
  EXPECT_EQ(Run(CommandId::TableFindNext, {}), "-1");
  EXPECT_EQ(Run(CommandId::TableFuzzyFind, {table, "0", "nan"}), "2");
  EXPECT_EQ(Run(CommandId::TableFuzzyFind, {table, "0", "b*"}), "2");
  EXPECT_EQ(Run(CommandId::TableFuzzyFind, {table, "-1", "apple,3"}), "3");
  EXPECT_EQ(Run(CommandId::TableFuzzyFind, {table, "-1", "apple,*"}), "1");
  SetHeader(true);
  EXPECT_EQ(Run(CommandId::TableFind, {table, "x", "k"}), "-1");  // invalid column: every cell, from row 1
  Run(CommandId::TableFindClear, {});
  EXPECT_EQ(Run(CommandId::TableFindNext, {}), "-1");
}

TEST_F(CsvCommands, PickupJoinAndShape) {
  const std::string table = "f\r\napple\r\nbanana\r\ncherry\r\n";
  EXPECT_EQ(Run(CommandId::TablePickup, {table, "-1", "an"}), "banana\r\n");
  EXPECT_EQ(Run(CommandId::TablePickup, {table, "0", "*rr*"}), "cherry\r\n");
  SetHeader(true);
  EXPECT_EQ(Run(CommandId::TablePickup, {table, "0", "a"}), "f\r\napple\r\nbanana\r\n");
  EXPECT_EQ(Run(CommandId::TablePickup, {table, "-1", "f"}), "");
  engine.SetResult("kept", "e");
  EXPECT_EQ(Run(CommandId::TablePickup, {table, "0", ""}), "kept");
  EXPECT_EQ(Kind(), "s");
  EXPECT_EQ(Run(CommandId::TableJoin, {"id,n\r\n1,A\r\n2,B\r\n", "0", "id,s\r\n2,90\r\n", "0"}),
            "id,n,s\r\n1,A,\r\n2,B,90\r\n");
  EXPECT_EQ(Run(CommandId::TableTranspose, {"a,b\r\nc,d\r\n"}), "a,c\r\nb,d\r\n");
  EXPECT_EQ(Run(CommandId::TableRowCount, {"a\r\nb\r\nc\r\n"}), "3");
  EXPECT_EQ(Run(CommandId::ElementCount, {"a\r\nb\r\n"}), "2");
  EXPECT_EQ(Run(CommandId::TableColumnCount, {"a\r\nb,c,d\r\n"}), "3");
}

TEST_F(CsvCommands, ColumnEdits) {
  const std::string table = "a,b\r\nc,d\r\n";
  EXPECT_EQ(Run(CommandId::TableColumnReplace, {"xax,b\r\nca,a\r\n", "0", "a", "ZZ"}), "xZZx,b\r\ncZZ,a\r\n");
  EXPECT_EQ(Run(CommandId::TableMoveColumn, {table, "0", "1"}), "b,a\r\nd,c\r\n");
  engine.SetResult("before", "e");
  EXPECT_EQ(Run(CommandId::TableInsertColumn, {table, "1"}), "a,,b\r\nc,,d\r\n");
  EXPECT_EQ(Kind(), "e");  // the column edits leave the type letter
  EXPECT_EQ(Run(CommandId::TableInsertColumn, {table, "-1"}), "a,,b\r\nc,,d\r\n");
  EXPECT_EQ(Run(CommandId::TableDeleteColumn, {table, "0"}), "b\r\nd\r\n");
  EXPECT_EQ(Run(CommandId::TableCopyColumn, {table, "1"}), "b\r\nd\r\n");
  EXPECT_EQ(Run(CommandId::TablePasteColumn, {table, "1", "X\r\nY\r\nZ\r\n"}), "a,X,b\r\nc,Y,d\r\n");
  EXPECT_EQ(Run(CommandId::TableRemoveDuplicates, {"k,1\r\nj,2\r\nk,3\r\n", "0"}), "j,2\r\nk,3\r\n");
}

}  // namespace
}  // namespace nura
