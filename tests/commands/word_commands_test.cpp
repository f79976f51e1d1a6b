// The word commands: declarations, dictionary keys, word copy, logging and
// the statement that "作る" runs.
#include "engine/word_commands.h"

#include "common/command_test_support.h"
#include "engine/engine_fixture.h"
#include "engine/errors.h"

namespace nura {
namespace {

class WordCommands : public CommandFixture {
 protected:
  static void SetUpTestSuite() { RegisterWordCommands(); }
  void SetUp() override { SetDialogs(&dialogs); }
  void TearDown() override { SetDialogs(nullptr); }
  NodePtr Word(const std::string& name) { return engine.Base().words.FindNode(name, false); }
  test::RecordingDialogs dialogs;
};

TEST_F(WordCommands, Declarations) {
  Call(CommandId::AsNumber, {"N"});
  ASSERT_TRUE(Word("N"));
  EXPECT_EQ(Word("N")->Value(), "0");
  EXPECT_EQ(Word("N")->Annotation(), "e");
  engine.Base().AddVariable("E", "", "s");
  Call(CommandId::AsNumber, {"E"});
  EXPECT_EQ(Word("E")->Value(), "0");
  Call(CommandId::AsString, {"S"});
  EXPECT_EQ(Word("S")->kind, kWordVariable);
  EXPECT_EQ(Word("S")->Annotation(), "s");
  // A new dictionary is found by name later.
  Call(CommandId::AsDictionary, {"D"});
  ASSERT_TRUE(Word("D"));
  EXPECT_EQ(Word("D")->kind, kWordHash);
  EXPECT_EQ(Word("D")->Annotation(), "hs");
  ASSERT_TRUE(Word("D")->Hash());
  // A variable's lines become items; back to a string gives the lines.
  engine.Base().AddVariable("V", "a=1\r\nb=2", "s");
  Call(CommandId::AsDictionary, {"V"});
  ASSERT_TRUE(Word("V")->Hash());
  EXPECT_EQ(Word("V")->Hash()->FindValue("b", false), "2");
  EXPECT_EQ(Word("V")->Value(), "");
  Call(CommandId::AsString, {"V"});
  EXPECT_EQ(Word("V")->kind, kWordVariable);
  EXPECT_NE(Word("V")->Value().find("a=1"), std::string::npos);
  EXPECT_FALSE(Word("V")->Hash());
}

TEST_F(WordCommands, DeclarationsRefuseProtectedAndOtherWords) {
  engine.Base().words.Add(THashNode::CreateVariable("P", true, 0, "x"));
  EXPECT_NE(ErrorOf(CommandId::AsNumber, {"P"}).find(SJ("オブジェクト\"P\"は、既に存在するので、作成できません。")),
            std::string::npos);
  engine.Base().words.Add(std::make_unique<THashNode>("L", false, kWordLabel, 0, "", "", ""));
  EXPECT_NE(ErrorOf(CommandId::AsDictionary, {"L"}).find(SJ("\"L\"は、文法が正しくないため、実行できません。変更できません！")),
            std::string::npos);
}

TEST_F(WordCommands, KeysOfDictionariesAndOfLines) {
  engine.Base().AddVariable("V", "a=1\r\nb=2\r\nnone", "s");
  EXPECT_EQ(Call(CommandId::HashKeys, {"V"}), "a\r\nb\r\n\r\n");
  EXPECT_EQ(Kind(), "s");
  Call(CommandId::AsDictionary, {"V"});
  const std::string keys = Call(CommandId::DictionaryKeys, {"V"});
  EXPECT_TRUE(keys == "a\r\nb\r\nnone\r\n" || keys.size() == 11u) << keys;
  EXPECT_NE(keys.find("a\r\n"), std::string::npos);
  EXPECT_NE(keys.find("b\r\n"), std::string::npos);
  EXPECT_NE(ErrorOf(CommandId::HashKeys, {"X"}).find(SJ("オブジェクト\"X\"は、作成されていません。")), std::string::npos);
}

TEST_F(WordCommands, CopyWord) {
  engine.Base().AddVariable("A", "42", "e");
  Call(CommandId::CopyWord, {"A", "B"});
  ASSERT_TRUE(Word("B"));
  EXPECT_EQ(Word("B")->Value(), "42");
  EXPECT_EQ(Word("B")->Annotation(), "e");
  EXPECT_EQ(Word("B")->name, "B");
  EXPECT_NE(ErrorOf(CommandId::CopyWord, {"Z", "B"}).find(SJ("オブジェクト\"Z\"は、作成されていません。")),
            std::string::npos);
  engine.Base().words.Add(THashNode::CreateVariable("P", true, 0, "x"));
  EXPECT_FALSE(ErrorOf(CommandId::CopyWord, {"A", "P"}).empty());
  EXPECT_EQ(Word("P")->Value(), "x");
}

TEST_F(WordCommands, ShowValueOfANonWord) {
  Call(CommandId::Show, {Text("1+2")});
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0], "「1+2」の内容は、3");
}

TEST_F(WordCommands, LogLinesPerVariableAndTheDialogAtTheLimit) {
  engine.Base().AddVariable("A", "x", "s");
  engine.Base().AddVariable("B", "p\r\nq", "s");
  Call(CommandId::WriteLog, {"A", "2"});
  Call(CommandId::WriteLog, {"B", "2"});
  EXPECT_TRUE(dialogs.messages.empty());
  ASSERT_EQ(engine.Base().logList.size(), 2u);
  EXPECT_EQ(engine.Base().logList[1], "B;1;2;" + SJ("~改行_(1)=p~改行_q"));
  engine.Base().words.FindNode("A", false)->SetValue("y");
  Call(CommandId::WriteLog, {"A", "2"});
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0], "\r\n(1)=x\r\n(2)=y");
  EXPECT_EQ(engine.Base().logList[0], "A;2;2;");
  Call(CommandId::WriteLog, {"B", "2"});
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1], "\r\n(1)=p\r\nq\r\n(2)=p\r\nq");
  // Past the limit the dialog does not show again.
  Call(CommandId::WriteLog, {"A", "2"});
  EXPECT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(engine.Base().logList[0], "A;3;2;" + SJ("~改行_(3)=y"));
}

TEST(CreationStatement, KindFromTheEndOfTheName) {
  EXPECT_EQ(CreationStatement(SJ("OKボタン")), SJ("`OKボタン`を,ボタンとして,作成;"));
  EXPECT_EQ(CreationStatement(SJ("本文Tエディタ")), SJ("`本文Tエディタ`を,エディタとして,作成;"));
  EXPECT_EQ(CreationStatement(SJ("ファイルメニュー")), SJ("`ファイルメニュー`を,メニュー作成;"));
  EXPECT_EQ(CreationStatement("X"), SJ("`X`を,ボタンとして,作成;"));
  EXPECT_EQ(CreationStatement("a`b"), SJ("`a``b`を,ボタンとして,作成;"));
}

std::vector<std::string> created;
void FakeCreate(TNuraEngine& engine, CommandId) {
  std::string parts;
  while (!engine.Base().args.Empty()) parts = engine.Base().args.Pop() + "|" + parts;
  if (parts.find("Bad") != std::string::npos) throw ENura(engine.FormatErrorMessage("no"));
  created.push_back(SjisToUtf8(parts));
}

class MakeProgram : public test::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    RegisterWordCommands();
    RegisterCommandHandler(CommandId::Create, FakeCreate);
    created.clear();
  }
};

TEST_F(MakeProgram, RunsTheCreationAndNotesItsError) {
  dialogs.choice = ErrorChoice::Continue;
  ASSERT_TRUE(Run("「OKボタン」を作る\n「次」と言う\n「Badリスト」を作る\n「」を作る\n")) << prepareError;
  ASSERT_EQ(created.size(), 1u);
  EXPECT_NE(created[0].find("OKボタン"), std::string::npos) << created[0];
  EXPECT_NE(created[0].find("ボタン"), std::string::npos);
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"次"}));
  ASSERT_EQ(dialogs.errorLogs.size(), 2u);
  EXPECT_NE(dialogs.errorLogs[0].find("no(\"作る\"命令にて)"), std::string::npos) << dialogs.errorLogs[0];
  EXPECT_NE(dialogs.errorLogs[1].find("\"作る\"命令の引数に誤りがあります。オブジェクト名がありません。"),
            std::string::npos);
}

}  // namespace
}  // namespace nura
