#include "commands/utility_commands.h"

#include "common/command_test_support.h"
#include "engine/nura_base.h"

namespace nura {
namespace {

class UtilityCommands : public CommandFixture {
 protected:
  static void SetUpTestSuite() { RegisterUtilityCommands(); }
};

TEST_F(UtilityCommands, SwitchValueAndTextComparison) {
  Call(CommandId::Switch, {Text("abc")});
  EXPECT_EQ(engine.Base().switchValue, "abc");
  EXPECT_EQ(Call(CommandId::CompareText, {Text("abc"), Text("abc")}), "1");
  EXPECT_EQ(Kind(), "e");
  EXPECT_EQ(Call(CommandId::CompareText, {Text("abc"), Text("ABC")}), "0");
}

TEST_F(UtilityCommands, BinaryDumpBreaksEvery16Bytes) {
  EXPECT_EQ(Call(CommandId::BinaryDump, {Text("0123456789ABCDEFG")}),
            "30,31,32,33,34,35,36,37,38,39,41,42,43,44,45,46\r\n47,");
  EXPECT_EQ(Kind(), "s");
  EXPECT_EQ(Call(CommandId::BinaryDump, {Text("")}), "");
  EXPECT_EQ(Call(CommandId::BinaryDump, {Jp("あ")}), "82,A0,");
}

TEST_F(UtilityCommands, Base64BothWays) {
  EXPECT_EQ(Call(CommandId::Base64Encode, {Text("abc")}), "YWJj");
  EXPECT_EQ(Call(CommandId::Base64Decode, {Text("YWJj")}), "abc");
  EXPECT_EQ(Kind(), "s");
}

TEST_F(UtilityCommands, JapaneseEraDates) {
  EXPECT_EQ(Call(CommandId::JapaneseEra, {Text("1990/03/04")}), SJ("平成2年3月4日"));
  EXPECT_EQ(Call(CommandId::JapaneseEra, {Text("2026/12/08")}), SJ("令和8年12月8日"));
  EXPECT_EQ(Call(CommandId::JapaneseEra, {Text("1926/12/24")}), SJ("昭和元年12月24日"));
  EXPECT_NE(ErrorOf(CommandId::JapaneseEra, {Text("x")}).find(SJ("\"和暦に変換\"命令の引数に誤りがあります。日付に変換出来ません。")),
            std::string::npos);
}

TEST_F(UtilityCommands, MatchCutsTheVariable) {
  engine.Base().AddVariable("S", "abc123def", "s");
  EXPECT_EQ(Call(CommandId::Match, {"S", Text("abc(*)d")}), "abc123d\r\n123");
  EXPECT_EQ(engine.Base().words.FindValue("S", false), "ef");
  EXPECT_EQ(Kind(), "s");
  // Nothing matched: the variable stays.
  EXPECT_EQ(Call(CommandId::Match, {"S", Text("x*")}), "");
  EXPECT_EQ(engine.Base().words.FindValue("S", false), "ef");
  engine.SetResult("1", "e");
  Call(CommandId::Match, {"S", Text("")});
  EXPECT_EQ(Kind(), "s");
  EXPECT_NE(ErrorOf(CommandId::Match, {Text(""), Text("a")}).find(SJ("\"マッチ\"命令の引数に誤りがあります。")),
            std::string::npos);
}

TEST_F(UtilityCommands, ListVariablesByLevel) {
  engine.Base().AddVariable("G", "1", "e");
  auto local = THashNode::CreateVariable("L", false, 2, "x");
  engine.Base().words.Add(std::move(local));
  engine.Base().words.Add(THashNode::CreateVariable("P", true, 0, "x"));
  EXPECT_EQ(Call(CommandId::ListVariables, {"0"}).find("P\r\n"), std::string::npos);
  EXPECT_NE(Call(CommandId::ListVariables, {"0"}).find("G\r\n"), std::string::npos);
  EXPECT_EQ(Call(CommandId::ListVariables, {"2"}), "L\r\n");
}

TEST_F(UtilityCommands, HtmlTable) {
  EXPECT_EQ(Call(CommandId::HtmlTable, {Text("a,b\r\nc,d\r\n"), Text("border=1")}),
            "<TABLE border=1>\r\n<TR><TD>a</TD><TD>b</TD></TR>\r\n<TR><TD>c</TD><TD>d</TD></TR>\r\n</TABLE>");
}

TEST_F(UtilityCommands, StoreCopiesTheResult) {
  engine.SetResult("42", "e");
  Call(CommandId::Store, {"X"});
  const THashNode* node = engine.Base().words.Find("X", false);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->Value(), "42");
  EXPECT_EQ(node->Annotation(), "e");
  engine.Base().words.Add(THashNode::CreateVariable("R", true, -1, ""));
  EXPECT_NE(ErrorOf(CommandId::Store, {"R"}).find(SJ("読取専用")), std::string::npos);
}

TEST_F(UtilityCommands, TakeArgumentsEmptiesTheSecondStack) {
  engine.Base().secondStack.Push("a");
  engine.Base().secondStack.Push("b");
  EXPECT_EQ(Call(CommandId::TakeArguments), "a\r\nb");
  EXPECT_TRUE(engine.Base().secondStack.Empty());
}

TEST_F(UtilityCommands, DefineFunctionSetsTheLabelPattern) {
  THash& words = engine.Base().words;
  words.Add(std::make_unique<THashNode>(SJ("足し算する"), true, kWordLabel, 0, "", "", ""));
  Call(CommandId::DefineFunction, {Jp("足し算する"), Jp("？に，？を")});
  EXPECT_EQ(words.Find(SJ("足し算する"), false)->Pattern(), SJ("?に,?を"));
  const THashNode* loose = words.Find(SJ("足算"), false);
  ASSERT_NE(loose, nullptr);
  EXPECT_EQ(loose->kind, kWordLabel);
  EXPECT_EQ(loose->Pattern(), SJ("?に,?を"));
  EXPECT_NE(ErrorOf(CommandId::DefineFunction, {Text("nolabel"), Text("?")}).find(SJ("ラベルが定義されていません。")),
            std::string::npos);
}

TEST_F(UtilityCommands, ContinueOutsideAnyLoopStopsTheRun) {
  engine.Base().cursor = TextPos::StartOf(MakeText("abc"));
  TRunControl branch;
  branch.kind = kRunIfThen;
  engine.Base().runControl.Push(branch);
  Call(CommandId::Continue);
  EXPECT_FALSE(engine.Base().cursor);
  EXPECT_EQ(engine.Base().runControl.Count(), 0);
}

}  // namespace
}  // namespace nura
