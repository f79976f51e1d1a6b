#include "engine_fixture.h"

namespace nura::test {
namespace {

using Strings = std::vector<std::string>;

TEST_F(EngineTest, SaysALiteral) {
  ASSERT_TRUE(Run("「こんにちは」と言う"));
  EXPECT_EQ(dialogs.messages, Strings{"こんにちは"});
  EXPECT_TRUE(dialogs.errorLogs.empty());
}

TEST_F(EngineTest, TeFormRunsAtOnce) {
  ASSERT_TRUE(Run("「a」と言って「b」と言う"));
  EXPECT_EQ(dialogs.messages, (Strings{"a", "b"}));
}

TEST_F(EngineTest, AssignmentAndRead) {
  ASSERT_TRUE(Run("Aは5\nAと言う\nB=「x」&A\nBを言う\nC は 7\nC と 言う"));
  EXPECT_EQ(dialogs.messages, (Strings{"5", "x5", "7"}));
}

TEST_F(EngineTest, StatementsSeparatedAndContinued) {
  ASSERT_TRUE(Run("「a」と言う;「b」と言う\n「c」と、\n言う\n「d」と言う。「e」と言う"));
  EXPECT_EQ(dialogs.messages, (Strings{"a", "b", "c", "d", "e"}));
}

TEST_F(EngineTest, AndThenEndsTheStatementBefore) {
  ASSERT_TRUE(Run("「a」と言う そして 「b」と言う"));
  EXPECT_EQ(dialogs.messages, (Strings{"a", "b"}));
}

TEST_F(EngineTest, ReadOnlyVariable) {
  ASSERT_TRUE(Run("回数は5"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_EQ(dialogs.errorLogs[0], "[エラー] test.nrs(1行目): \"回数\"は、読取専用です。\r\n");
}

TEST_F(EngineTest, CommandIsNotAssignable) {
  ASSERT_TRUE(Run("言うは5"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("\"システム命令\"で予約語なので代入できません。"), std::string::npos);
}

TEST_F(EngineTest, UndefinedCommandNamesTheArguments) {
  ASSERT_TRUE(Run("1と2とホゲ"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_EQ(dialogs.errorLogs[0],
            "[エラー] test.nrs(1行目): \"1と,2と,ホゲ\"は未定義の命令です。(;o;)<綴りミスか、命令の引数に注意！\r\n");
}

TEST_F(EngineTest, ErrorReportsItsLine) {
  ASSERT_TRUE(Run("「a」と言う\nホゲ\n「c」と言う"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("test.nrs(2行目)"), std::string::npos);
  // The error dialog ended the run.
  EXPECT_EQ(dialogs.messages, Strings{"a"});
}

TEST_F(EngineTest, ContinuedErrorGoesOnWithTheNextStatement) {
  dialogs.choice = ErrorChoice::Continue;
  ASSERT_TRUE(Run("ホゲ\n) と言う\n「c」と言う;フガ;「d」と言う"));
  EXPECT_EQ(dialogs.messages, (Strings{"c", "d"}));
  EXPECT_EQ(dialogs.errorLogs.size(), 3u);
  EXPECT_EQ(Log().find("特定できないシステムエラー"), std::string::npos);
}

TEST_F(EngineTest, IgnoreModeRunsOn) {
  engine.SetRegistrationHook([](TNuraEngine& e) {
    RegisterTestVocabulary(e);
    e.Base().warnOnError = false;
  });
  ASSERT_TRUE(Run("ホゲ\n「次」と言う"));
  EXPECT_EQ(dialogs.messages, Strings{"次"});
  EXPECT_TRUE(dialogs.errorLogs.empty());
  EXPECT_NE(Var("エラーメッセージ").find("ホゲ"), std::string::npos);
}

TEST_F(EngineTest, TooManyArguments) {
  ASSERT_TRUE(Run("「a」と「b」と言う"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("\"言う\"命令の引数に誤りがあります。引数が多いです。\"`a`と\""),
            std::string::npos);
  // The command itself ran before the check.
  EXPECT_EQ(dialogs.messages, Strings{"b"});
}

TEST_F(EngineTest, NumberExpressionsAndGroups) {
  ASSERT_TRUE(Run("1+2*3と言う\n(1+2)と言う\n(「x」&「y」)と言う"));
  EXPECT_EQ(dialogs.messages, (Strings{"7", "3", "xy"}));
}

TEST_F(EngineTest, HashElements) {
  ASSERT_TRUE(Run("H#aは5\nGのbは6\nGのcは「x」"));
  EXPECT_TRUE(dialogs.errorLogs.empty());
  NodePtr g = engine.Base().words.FindNode("G", false);
  ASSERT_TRUE(g && g->Hash());
  EXPECT_EQ(g->kind, kWordHash);
  EXPECT_EQ(g->Hash()->GetNameValueText(), "b=6\r\nc=x");
}

TEST_F(EngineTest, TableCellsAndRows) {
  ASSERT_TRUE(Run("T=「a,b\nc,d」\nT#1#0は「x」\nT#0=「p,q」\n回数#0#0は1"));
  EXPECT_EQ(Var("T"), "p,q\r\nx,d\r\n");
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("\"回数\"は、読取専用です。"), std::string::npos);
}

TEST_F(EngineTest, VariableChainsEnd) {
  // "縦" names itself; A and B name each other.
  ASSERT_TRUE(Run("縦のxは1\nA=「B」\nB=「A」\nAのkは2"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << dialogs.errorLogs[0];
  std::string value;
  EXPECT_FALSE(engine.ParsePropertyReference(SJ("Aの k"), value));
}

TEST_F(EngineTest, ElementOfProtectedVariableIsReadOnly) {
  ASSERT_TRUE(Run("回数のaは1"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("\"回数\"は、読取専用です。"), std::string::npos);
}

TEST_F(EngineTest, RawLiterals) {
  EXPECT_EQ(TNuraEngine::MakeRawLiteral("a`b"), "`a``b`");
  EXPECT_EQ(TNuraEngine::RawLiteralToText("`a``b`"), "a`b");
  // A trail byte equal to the backquote is not doubled.
  const std::string kana = "\x83\x60";  // "チ"
  EXPECT_EQ(TNuraEngine::MakeRawLiteral(kana), "`" + kana + "`");
  EXPECT_EQ(TNuraEngine::RawLiteralToText("`" + kana + "`"), kana);
}

}  // namespace
}  // namespace nura::test
