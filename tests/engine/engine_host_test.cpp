// What the engine asks of the window: properties, object values, the
// debugger, idle and close requests.
#include "engine_fixture.h"
#include "common/run_program.h"

namespace nura::test {
namespace {

using Strings = std::vector<std::string>;

class FakeHost : public TEngineHost, public TObjectHost {
 public:
  Strings calls;  // UTF-8
  bool refuseClose = false;
  bool endInDebugger = false;
  bool CloseMainWindow() override {
    calls.push_back("close");
    return !refuseClose;
  }
  bool ShowDebugger(TNuraEngine&) override {
    calls.push_back("debugger");
    return endInDebugger;
  }
  void AfterIdle() override { calls.push_back("idle"); }
  bool GetObjectProperty(TNuraEngine&, const std::string& object, const std::string& property,
                         std::string& value) override {
    calls.push_back("get " + SjisToUtf8(object) + "." + SjisToUtf8(property));
    if (property != SJ("幅")) return false;
    value = "640";
    return true;
  }
  void SetObjectProperty(TNuraEngine&, THashNode& node, const std::string& property,
                         const std::string& value) override {
    calls.push_back("set " + SjisToUtf8(node.name) + "." + SjisToUtf8(property) + "=" + SjisToUtf8(value));
  }
  void AssignObjectValue(TNuraEngine&, THashNode& node, const std::string& value) override {
    calls.push_back("value " + SjisToUtf8(node.name) + "=" + SjisToUtf8(value));
  }
};

class HostTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    engine.SetHost(&host);
    engine.SetObjectHost(&host);
    dialogs.choice = ErrorChoice::Continue;
    engine.SetRegistrationHook([](TNuraEngine& e) {
      RegisterTestVocabulary(e);
      auto button = std::make_unique<THashNode>("B", false, kWordObject, 1, "", "", "");
      e.Base().words.Add(std::move(button));
    });
  }
  FakeHost host;
};

TEST_F(HostTest, PropertiesOfObjects) {
  ASSERT_TRUE(Run("Bの幅\nそれと言う\nBの色は「赤」\nBは「押して」\nそを言う"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << dialogs.errorLogs[0];
  EXPECT_EQ(dialogs.messages, (Strings{"640", ""}));  // the object has no value reader here
  EXPECT_EQ(host.calls, (Strings{"get B.幅", "set B.色=\"赤\"", "value B=押して"}));
  // "そ" became a copy of the object's node.
  EXPECT_EQ(engine.Base().words.FindNode(SJ("そ"), false)->kind, kWordObject);
}

TEST_F(HostTest, UnknownWordWithoutArgumentsAddsNoEmptyOne) {
  ASSERT_TRUE(Run("高さ"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find(": \"高さ\"は未定義の命令です。"), std::string::npos);
  EXPECT_EQ(host.calls, Strings{"get .高さ"});
}

TEST_F(HostTest, UnknownPropertyKeepsItsObjectInTheMessage) {
  ASSERT_TRUE(Run("Bのクリックした時"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("\"Bの,クリックした時\"は未定義"), std::string::npos);
}

TEST_F(HostTest, EndAsksTheWindowToClose) {
  host.refuseClose = true;
  ASSERT_TRUE(Run("「a」と言う\n終わり\n「b」と言う"));
  EXPECT_FALSE(engine.Base().stopRequest);
  host.refuseClose = false;
  ASSERT_TRUE(Run("終わり\n「b」と言う"));
  EXPECT_TRUE(engine.Base().stopRequest);
  EXPECT_EQ(dialogs.messages, Strings{"a"});
}

TEST_F(HostTest, IdleEndsTheCurrentRun) {
  ASSERT_TRUE(Run("1回(「a」と言う;待機;「b」と言う)\n「c」と言う"));
  EXPECT_EQ(dialogs.messages, Strings{"a"});
  EXPECT_EQ(host.calls, Strings{"idle"});
  EXPECT_EQ(engine.Base().runControl.Count(), 0);
}

TEST_F(HostTest, LineStopOpensTheDebuggerAfterEachLine) {
  engine.Base().lineStop = true;
  host.endInDebugger = true;
  ASSERT_TRUE(Run("「a」と言う\n「b」と言う"));
  EXPECT_EQ(dialogs.messages, Strings{"a"});
  EXPECT_EQ(host.calls, (Strings{"debugger", "close"}));
}

TEST_F(HostTest, ErrorLabelTakesTheRun) {
  engine.SetRegistrationHook([](TNuraEngine& e) { RegisterTestVocabulary(e); });
  engine.ResetForRun();
  ASSERT_TRUE(Run("ホゲ\n「後」と言う\n終わり\n*エラー\n「捕捉」と言う\n終わり"));
  EXPECT_EQ(dialogs.errorLogs.size(), 1u);  // no label yet: the dialog
  engine.PrepareRun(SJ("ホゲ\n「後」と言う\n終わり\n*エラー\n「捕捉」と言う\n終わり"), "e.nrs");
  engine.Base().errorLabel = engine.Base().words.FindNode(SJ("エラー"), false);
  dialogs.messages.clear();
  engine.Run();
  EXPECT_EQ(dialogs.messages, Strings{"捕捉"});
  EXPECT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_TRUE(engine.Base().errorResume);
}

TEST_F(EngineTest, VariablesAndLinesAsElements) {
  ASSERT_TRUE(Run("V=「a=1」\nVのbは2\nVのaは3\nAは5\nA\n"));
  EXPECT_EQ(Var("V"), "a=3\r\nb=2\r\n");
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("\"A\"は、文法が正しくないため、実行できません。変数を実行することは出来ません。"),
            std::string::npos);
}

TEST_F(EngineTest, JumpOutOfACallUsesTheGlobalLabel) {
  ASSERT_TRUE(Run("下を呼ぶ\n「no」と言う\n*先\n「先」と言う\n終わり\n*下\n先へ飛ぶ"));
  EXPECT_EQ(dialogs.messages, Strings{"先"});
  EXPECT_TRUE(dialogs.errorLogs.empty());
}

TEST_F(EngineTest, IncludesAreLimited) {
  const std::string dir = test::MakeTempFolder() + "/";
  FILE* f = std::fopen((dir + "self.nrs").c_str(), "wb");
  const std::string text = SJ("「" + dir + "self.nrs」を取り込む\r\n");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  ASSERT_TRUE(Run("「" + dir + "self.nrs」を取り込む\n「end」と言う"));
  ASSERT_FALSE(dialogs.errorLogs.empty());
  EXPECT_EQ(engine.NestedRunDepth(), 0);
}

}  // namespace
}  // namespace nura::test
