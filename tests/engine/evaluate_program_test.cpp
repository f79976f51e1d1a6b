// Whole program texts through the statement loop, the dispatcher and the
// evaluator.
#include "engine/dispatch.h"
#include "engine_fixture.h"

namespace nura::test {
namespace {

using Strings = std::vector<std::string>;

class ProgramTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    RegisterExpressionCommands();
  }
};

TEST_F(ProgramTest, CalculateAndSay) {
  ASSERT_TRUE(Run("1+2*3を計算して言う"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << dialogs.errorLogs[0];
  EXPECT_EQ(dialogs.messages, Strings{"7"});
  EXPECT_EQ(Var("それ"), "7");
}

TEST_F(ProgramTest, TeFormBeforeAnotherCommand) {
  ASSERT_TRUE(Run("「1+2」を計算して言う\n「言って」と言う"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << dialogs.errorLogs[0];
  EXPECT_EQ(dialogs.messages, (Strings{"3", "言って"}));
}

TEST_F(ProgramTest, CalculateKeepsLargeNumbers) {
  ASSERT_TRUE(Run("10^16を計算する\nそれを言う\n2^0.5を計算して言う"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << dialogs.errorLogs[0];
  EXPECT_EQ(dialogs.messages, (Strings{"1E16", "1.4142135623731"}));
}

TEST_F(ProgramTest, EmbeddedExpressionInLiteral) {
  ASSERT_TRUE(Run("「合計{1+2}円」と言う"));
  EXPECT_EQ(dialogs.messages, Strings{"合計3円"});
}

// Keys of the keystroke syntax stay braced; a key name that names a word,
// and any other word, still give their value.
TEST_F(ProgramTest, KeyNamesInLiteralsStayBraced) {
  ASSERT_TRUE(Run("「a{ENTER}b{tab 3}{+}{~}{F5}」と言う\n「{ABC}{1+1}」と言う\nEND=「終」\n「{END}」と言う"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << dialogs.errorLogs[0];
  EXPECT_EQ(dialogs.messages, (Strings{"a{ENTER}b{tab 3}{+}{~}{F5}", "ABC2", "終"}));
}

TEST_F(ProgramTest, CalculateALiteralExpression) {
  ASSERT_TRUE(Run("A=4\n「A*(A+1)」を計算する\nそれを言う\n「(10>9)&(2^3)」を計算する\nそれを言う"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << dialogs.errorLogs[0];
  EXPECT_EQ(dialogs.messages, (Strings{"20", "18"}));
}

TEST_F(ProgramTest, ConditionsInJapanese) {
  ASSERT_TRUE(Run("A=7\nもしAが5以上ならば「大」と言う\nもしAが8以上ならば「X」と言う。違えば「小」と言う\n"
                  "もし(Aが7)かつ(Aが10以下)ならば「両方」と言う"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << dialogs.errorLogs[0];
  EXPECT_EQ(dialogs.messages, (Strings{"大", "小", "両方"}));
}

TEST_F(ProgramTest, StringAndNumberComparison) {
  ASSERT_TRUE(Run("もし「abc」=「abd」ならば「同じ」と言う。違えば「違う」と言う\n"
                  "もし10>9ならば「大きい」と言う"));
  EXPECT_EQ(dialogs.messages, (Strings{"違う", "大きい"}));
}

TEST_F(ProgramTest, DivisionByZeroIsAnError) {
  ASSERT_TRUE(Run("A=0\n「1/A」を計算する\nそれを言う"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("計算式に誤りがあります。0で割ることはできません。"), std::string::npos)
      << dialogs.errorLogs[0];
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ProgramTest, ArgumentsByParticle) {
  // "置換" has "?の,?を,?に": a handler that shows its three arguments.
  RegisterCommandHandler(CommandId::Replace, [](TNuraEngine& e, CommandId) {
    const std::string c = e.PopArgumentText(), b = e.PopArgumentText(), a = e.PopArgumentText();
    Dialogs().ShowMessage(a + "/" + b + "/" + c, "");
  });
  ASSERT_TRUE(Run("「X」の「Z」へ「Y」を置換\nそれは「S」\n「Y」を「Z」に置換"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << dialogs.errorLogs[0];
  EXPECT_EQ(dialogs.messages, (Strings{"X/Y/Z", "S/Y/Z"}));
  ASSERT_TRUE(Run("「Z」に置換"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("引数が少ないです。"), std::string::npos);
}

}  // namespace
}  // namespace nura::test

namespace nura::test {
namespace {

TEST_F(ProgramTest, ConditionWithoutThenWordIsAFormattedError) {
  ASSERT_TRUE(Run("A=1\nもしA=1「x」と言う"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("[エラー] test.nrs(2行目): 条件分岐の終端文字を認識できませんでした。"),
            std::string::npos)
      << dialogs.errorLogs[0];
}

}  // namespace
}  // namespace nura::test
