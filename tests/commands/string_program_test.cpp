// The string commands run from program text: particles bind the arguments
// and the cut commands write back into the script's variables.
#include <gtest/gtest.h>

#include "commands/string_commands.h"
#include "engine/engine_fixture.h"

namespace nura::test {
namespace {

class StringProgram : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    RegisterStringCommands();
  }
};

TEST_F(StringProgram, CutsMeasuresAndMatches) {
  ASSERT_TRUE(Run(
      "A=\"abcde\"\n"
      "Aから2文字左端を切り取る\n"
      "それを言う\n"
      "Aを言う\n"
      "「あいa」の文字数\n"
      "それを言う\n"
      "「あいa」のバイト数\n"
      "それを言う\n"
      "「abcb」を「s/b/X/g」で正規表現置換\n"
      "それを言う\n"
      "「abc」を「a(.)c」で正規表現マッチ\n"
      "マッチ数を言う\n"
      "「abcd」を「tr/a-c/A-C/」で正規表現入換\n"
      "それを言う\n"))
      << prepareError << Log();
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(dialogs.messages,
            (std::vector<std::string>{"ab", "cde", "3", "5", "aXcX", "2", "ABCd"}));
}

TEST_F(StringProgram, CutsWriteBackIntoScriptVariables) {
  ASSERT_TRUE(Run(
      "S=\"x<b>bold</b>y\"\n"
      "Sの「<b>」から「</b>」までの範囲を切り取る\n"
      "それを言う\n"
      "Sを言う\n"
      "T=\"k=v;rest\"\n"
      "Tの「;」までを切り取る\n"
      "それを言う\n"
      "Tを言う\n"
      "「a,b」を「,」で区切る\n"
      "それを言う\n"))
      << prepareError << Log();
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(dialogs.messages,
            (std::vector<std::string>{"<b>bold</b>", "xy", "k=v", "rest", "a\r\nb\r\n"}));
}

}  // namespace
}  // namespace nura::test
