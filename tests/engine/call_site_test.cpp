// Command statements and calls run again from the same place: what was read
// there the first time must give way when the words change, and errors
// keep their lines and messages.
#include "engine/word_commands.h"
#include "engine_fixture.h"

namespace nura::test {
namespace {

using Strings = std::vector<std::string>;

class CallSiteTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    RegisterWordCommands();
  }
  std::string LastLog() { return dialogs.errorLogs.empty() ? std::string() : dialogs.errorLogs.back(); }
};

// Arguments that are one number or one variable give their value as any
// other argument text does: numbers in the general format, texts as they
// stand, everything else read as an expression or a plain text.
TEST_F(CallSiteTest, ArgumentsOfOneOperand) {
  ASSERT_TRUE(Run("「見せる」を「?を」で関数定義\nA=\"007\"\nN=0010\n"
                  "Aを見せる\nNを見せる\n 0010 を見せる\n-2.50を見せる\nA&1を見せる\n"
                  "(N+1)を見せる\n未定義を見せる\n(-N)を見せる\n"
                  "B=A\nC= 0010 \nD=N\nB&C&Dを見せる\n終わり\n*見せる\n引数取得\n「[」&それ&「]」と言う\n戻る"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << LastLog();
  EXPECT_EQ(dialogs.messages, (Strings{"[007]", "[10]", "[10]", "[-2.5]", "[0071]", "[11]",
                                       "[未定義]", "[-10]", "[0071010]"}));
}

// The argument names no word in the first round, a variable from the
// second, whose value changes in the third.
TEST_F(CallSiteTest, ArgumentVariableThatComesToExist) {
  ASSERT_TRUE(Run("「見せる」を「?を」で関数定義\n3回(\n  甲を見せる\n  甲=回数*10\n)\n"
                  "終わり\n*見せる\n引数取得\n「[」&それ&「]」と言う\n戻る"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << LastLog();
  EXPECT_EQ(dialogs.messages, (Strings{"[甲]", "[10]", "[20]"}));
}

// A statement bound once gives the left-out first argument as "それ" read
// anew each round, and binds leniently again inside a call of the function
// form, where the texts stay as they stand.
TEST_F(CallSiteTest, StatementsBoundOnceKeepTheirSubjectAndLeniency) {
  ASSERT_TRUE(Run("「合算」を「?を,?に」で関数定義\n2回(\n  それ=回数\n  10に合算\n)\n"
                  "包む\nX=包む()\n終わり\n*合算\n引数取得\n「[」&それ&「]」と言う\n戻る\n"
                  "*包む\n引数取得\n6に5を合算\n戻る"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << LastLog();
  EXPECT_EQ(dialogs.messages, (Strings{"[1\r\n10]", "[2\r\n10]", "[5\r\n6]", "[6に\r\n5を]"}));
}

// A variable argument read at once as long as it stays a variable: one
// that became a hash or a text again gives what it holds now.
TEST_F(CallSiteTest, ArgumentVariableThatChangesItsKind) {
  ASSERT_TRUE(Run("「見せる」を「?を」で関数定義\n甲=1\n乙の(「k」)=5\n3回(\n  甲を見せる\n"
                  "  もし回数=1ならば甲=乙\n  もし回数=2ならば甲=7\n)\n"
                  "終わり\n*見せる\n引数取得\n「[」&それ&「]」と言う\n戻る"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << LastLog();
  EXPECT_EQ(dialogs.messages, (Strings{"[1]", "[k=5]", "[7]"}));
}

// The argument texts leave the stack before the first is expanded: a label
// run for its value neither finds the others as words of its own
// statements nor keeps the variable it renames from being read as text.
TEST_F(CallSiteTest, LabelRunByAnArgumentFindsNoOtherArguments) {
  ASSERT_TRUE(Run("「合算」を「?を,?に」で関数定義\n乙=2\n2回(\n  改名を乙に合算\n)\n"
                  "改名を乙に合算;\n終わり\n*合算\n引数取得\n「[」&それ&「]」と言う\n戻る\n"
                  "*改名\nもし回数=1ならば「乙」を「丙」に名義変更\n戻る"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << LastLog();
  EXPECT_EQ(dialogs.messages, (Strings{"[乙]", "[乙]", "[乙]"}));
}

TEST_F(CallSiteTest, RenamedLabelIsNoLongerCalledFromTheSamePlace) {
  ASSERT_TRUE(Run("「合算」を「?を」で関数定義\nT=0\n3回(\n  回数を合算\n"
                  "  もし回数=2ならば(「合算」を「?を,累加」に名義変更)\n)\n"
                  "終わり\n*合算\n引数取得\nT=T+それ\n戻る"));
  EXPECT_EQ(Var("T"), "3");
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_EQ(dialogs.errorLogs[0],
            "[エラー] test.nrs(4行目): \"回数を,合算\"は未定義の命令です。(;o;)<綴りミスか、命令の引数に注意！\r\n");
}

TEST_F(CallSiteTest, RenamedLabelAnswersToItsNewName) {
  ASSERT_TRUE(Run("「合算」を「?を」で関数定義\nT=0\n「合算」を「?を,累加」に名義変更\n"
                  "3回(回数を累加)\nTと言う\n終わり\n*合算\n引数取得\nT=T+それ\n戻る"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << LastLog();
  EXPECT_EQ(dialogs.messages, Strings{"6"});
}

// The number a variable kept goes along with its value into "それ": it
// must count only while "それ" holds that very text, also after calls that
// pass other values and after the label changes "それ".
TEST_F(CallSiteTest, ValueOfAVariableTakesItsNumberAlong) {
  ASSERT_TRUE(Run("「合算」を「?を」で関数定義\nT=0\nN=41\nNを合算\n(N+1)を合算\n"
                  "N=N+1\nNを合算\nTと言う\n終わり\n*合算\n引数取得\nそれ=それ&\"0\"\nT=T+それ\n戻る"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << LastLog();
  EXPECT_EQ(dialogs.messages, Strings{"1250"});
}

TEST_F(CallSiteTest, NewPatternRebindsTheSameStatement) {
  ASSERT_TRUE(Run("「合算」を「?に,?を」で関数定義\n3回(\n  回数を10に合算\n"
                  "  もし回数=1ならば「合算」を「?を,?に」で関数定義\n)\n"
                  "終わり\n*合算\n引数取得\nそれと言う\n戻る"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << LastLog();
  EXPECT_EQ(dialogs.messages, (Strings{"10\r\n1", "2\r\n10", "3\r\n10"}));
}

// A word that comes to exist inside the loop changes how the statement
// reads: the whole run is then one word, a variable, which cannot run.
TEST_F(CallSiteTest, NewVariableNamedLikeTheWholeStatement) {
  ASSERT_TRUE(Run("2回(\n  甲乙を言う\n  「甲乙を言う」を数値として扱う\n)"));
  EXPECT_EQ(dialogs.messages, Strings{"甲乙"});
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("(2行目): \"甲乙を言う\"は、文法が正しくないため、実行できません。"
                                      "変数を実行することは出来ません。"),
            std::string::npos)
      << dialogs.errorLogs[0];
}

TEST_F(CallSiteTest, ValuesAreReadAnewEveryRound) {
  ASSERT_TRUE(Run("S=「a」\n3回(\n  Sの行数\n  それと言う\n  S=S&\"\\nb\"\n  回数を言う\n)"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << LastLog();
  EXPECT_EQ(dialogs.messages, (Strings{"1", "1", "2", "2", "3", "3"}));
}

TEST_F(CallSiteTest, BindingErrorsKeepTheirLineEveryRound) {
  dialogs.choice = ErrorChoice::Continue;
  ASSERT_TRUE(Run("「合算」を「?を」で関数定義\n「x」と言う\n2回(回数へ合算)\n終わり\n*合算\n戻る"));
  ASSERT_EQ(dialogs.errorLogs.size(), 2u);
  const std::string line =
      "[エラー] test.nrs(3行目): \"合算\"命令の引数に誤りがあります。\"?を\"の形式で指定してください。\"を\"\r\n";
  EXPECT_EQ(dialogs.errorLogs[1], line + line);
}

// The arguments-left error names the word of the statement, short or
// long, every round.
TEST_F(CallSiteTest, ArgumentsLeftNameTheStatementsWord) {
  dialogs.choice = ErrorChoice::Continue;
  ASSERT_TRUE(Run("「とても長い名前の関数」を「?を」で関数定義\nA=1\n2回(\nAとAをとても長い名前の関数\n)\n"
                  "2回(\nAとAと言う\n)\n終わり\n*とても長い名前の関数\n引数取得\n戻る"));
  const std::string longWord =
      "[エラー] test.nrs(10行目): \"とても長い名前の関数\"命令の引数に誤りがあります。引数が多いです。\"A\"\r\n";
  const std::string shortWord =
      "[エラー] test.nrs(7行目): \"言う\"命令の引数に誤りがあります。引数が多いです。\"Aと\"\r\n";
  ASSERT_EQ(dialogs.errorLogs.size(), 4u);
  EXPECT_EQ(dialogs.errorLogs[3], longWord + longWord + shortWord + shortWord);
}

TEST_F(CallSiteTest, ErrorsInsideTheCalledLabelKeepTheirLine) {
  dialogs.choice = ErrorChoice::Continue;
  ASSERT_TRUE(Run("「合算」を「?を」で関数定義\n2回(回数を合算)\n終わり\n*合算\n引数取得\nそれを謎る\n戻る"));
  ASSERT_EQ(dialogs.errorLogs.size(), 2u);
  const std::string line = "[エラー] test.nrs(6行目): \"それを,謎る\"は未定義の命令です。(;o;)<綴りミスか、命令の引数に注意！\r\n";
  EXPECT_EQ(dialogs.errorLogs[1], line + line);
}

// Also when the call is the label's first statement: the line of the
// label is reported.
TEST_F(CallSiteTest, EndlessRecursionWithAnArgumentIsAnError) {
  ASSERT_TRUE(Run("「再帰」を「?を」で関数定義\n1を再帰\n*再帰\n引数取得\nそれを再帰"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("実行が無限ループしている可能性があるので終了します。"),
            std::string::npos);
  ASSERT_TRUE(Run("「再帰」を「?を」で関数定義\nN=1\nNを再帰\n*再帰\nNを再帰"));
  ASSERT_EQ(dialogs.errorLogs.size(), 2u);
  EXPECT_EQ(dialogs.errorLogs[1],
            "[エラー] test.nrs(4行目): 実行が無限ループしている可能性があるので終了します。\r\n");
}

// A command word copied over a variable makes it callable: statements that
// named the variable read as calls from then on.
TEST_F(CallSiteTest, CopiedCommandWordIsCalled) {
  dialogs.choice = ErrorChoice::Continue;
  ASSERT_TRUE(Run("甲=1\n2回(\n  回数を甲\n  もし回数=1ならば「言」から「甲」へ単語コピー\n)"));
  EXPECT_EQ(dialogs.messages, Strings{"2"});
  ASSERT_EQ(dialogs.errorLogs.size(), 1u) << LastLog();
  EXPECT_NE(dialogs.errorLogs[0].find("変数を実行することは出来ません。"), std::string::npos);
}

}  // namespace
}  // namespace nura::test
