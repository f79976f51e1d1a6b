// The number, date and utility commands run from program texts.
#include "commands/date_commands.h"
#include "commands/math_commands.h"
#include "engine/engine_fixture.h"

namespace nura::test {
namespace {

class NumberPrograms : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    RegisterMathCommands();
    RegisterDateCommands();
  }
};

TEST_F(NumberPrograms, RandomNumbersAfterSeeding) {
  ASSERT_TRUE(Run("0で乱数初期化\nRND\nそれと言う\nRND\nそれと言う\n"
                  "0で乱数初期化\n100の乱数\nそれと言う\n100の乱数\nそれと言う\n100の乱数\nそれと言う\n"
                  "100の乱数\nそれと言う\n100の乱数\nそれと言う\n"));
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"2.3283064365387E-10", "0.0313799395225942",
                                                         "0", "3", "86", "20", "27"}));
}

TEST_F(NumberPrograms, ComputedValues) {
  ASSERT_TRUE(Run("ROUND(2.5)と言う\n3.5を0位で四捨五入\nそれと言う\nHEX(-1)と言う\n"
                  "-1を28ビットSHR\nそれと言う\n-7と3のMOD\nそれと言う\nPOWER(10,16)と言う\n"
                  "「1234.5」を通貨形式に変換\nそれと言う\n3.14159を「%5.1f|」の指定形式に変換\nそれと言う\n"));
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"2", "4", "FFFFFFFF", "15", "-1", "1E16",
                                                         "1,234.50", "  3.1|"}));
}

TEST_F(NumberPrograms, AddToAVariable) {
  ASSERT_TRUE(Run("A=「ab」\nAに「cd」を足す\nAと言う\nB=2\nBに3を足す\nBと言う\nBを4で割る\nBと言う\n"));
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"abcd", "5", "1.25"}));
}

TEST_F(NumberPrograms, Dates) {
  ASSERT_TRUE(Run("「2001/01/01」の曜日\nそれと言う\n「2001/01/31」に「0/1/0」を日付加算\nそれと言う\n"
                  "「23:30:00」に「1:0:0」を時間加算\nそれと言う\n「2001/01/03」と「2001/01/01」の日数差\nそれと言う\n"
                  "「1990/03/04」を和暦に変換\nそれと言う\n"));
  EXPECT_EQ(dialogs.messages,
            (std::vector<std::string>{"月", "2001/02/28", "00:30:00", "2", "平成2年3月4日"}));
}

TEST_F(NumberPrograms, ErrorsAreReported) {
  ASSERT_TRUE(Run("「abc」と「2001/01/01」の日数差\n"));
  EXPECT_NE(Log().find("日時の指定が不正です。"), std::string::npos);
  ASSERT_TRUE(Run("0の乱数\n"));
  EXPECT_NE(Log().find("\"乱数\"命令の引数に誤りがあります。"), std::string::npos);
}

TEST_F(NumberPrograms, DumpAndMatch) {
  ASSERT_TRUE(Run("「0123456789ABCDEFG」をバイナリダンプ\nそれと言う\n"
                  "S=「abc123def」\nSを「abc(*)d」でマッチ\nそれと言う\nSと言う\n"));
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{
                                  "30,31,32,33,34,35,36,37,38,39,41,42,43,44,45,46\r\n47,",
                                  "abc123d\r\n123", "ef"}));
}

}  // namespace
}  // namespace nura::test
