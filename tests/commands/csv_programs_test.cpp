// The table commands run from program texts.
#include "commands/csv_commands.h"
#include "engine/engine_fixture.h"

namespace nura::test {
namespace {

class CsvPrograms : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    RegisterCsvCommands();
  }
};

TEST_F(CsvPrograms, QuerySortAndStatistics) {
  ASSERT_TRUE(Run("T=「name,age\nA,20\nB,35\nC,50\n」\n"
                  "Tを『age<30 OR age>40 AND name=\"C\"』で表条件抽出\nそれと言う\n"
                  "表フィールド名=1\nTの1列目の表平均値\nそれと言う\n"
                  "Tの1列目を表数値ソート\nそれと言う\n"));
  EXPECT_EQ(dialogs.messages,
            (std::vector<std::string>{"name,age\r\nA,20\r\nC,50\r\n", "35",
                                      "name,age\r\nA,20\r\nB,35\r\nC,50\r\n"}));
  EXPECT_EQ(Log(), "");
}

TEST_F(CsvPrograms, SearchPickupAndErrors) {
  ASSERT_TRUE(Run("T=「k,v\napple,1\nbanana,2\napple,3\n」\n"
                  "Tの0列目から「apple」を表検索\nそれと言う\n表検索次の値\nそれと言う\n"
                  "表検索次の値\nそれと言う\n"
                  "Tの0列目から「b*」を表ピックアップ\nそれと言う\n"
                  "Tの「x」列目を表ソート\n"));
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"1", "3", "-1", "banana,2\r\n"}));
  EXPECT_NE(Log().find("\"表ソート\"命令の引数に誤りがあります。"), std::string::npos);
}

}  // namespace
}  // namespace nura::test
