// The error modes run from program text: the run loop reads what the
// commands set (ignore, warn, error label and resume); the shutdown label.
#include <gtest/gtest.h>

#include "engine/error_mode_commands.h"
#include "engine/engine_fixture.h"

namespace nura::test {
namespace {

class ErrorModes : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    RegisterErrorModeCommands();
  }
  bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
};

TEST_F(ErrorModes, IgnoredErrorSetsTheMessageAndTheRunGoesOn) {
  ASSERT_TRUE(Run("エラーを無視\n"
                  "「一」と言う\n"
                  "フガフガ\n"
                  "「二」と言う\n"
                  "エラーメッセージを言う\n"))
      << prepareError;
  EXPECT_TRUE(dialogs.errorLogs.empty());
  ASSERT_EQ(dialogs.messages.size(), 3u);
  EXPECT_EQ(dialogs.messages[0], "一");
  EXPECT_EQ(dialogs.messages[1], "二");
  EXPECT_TRUE(Contains(dialogs.messages[2], "フガフガ")) << dialogs.messages[2];
  EXPECT_FALSE(engine.Base().warnOnError);
}

TEST_F(ErrorModes, WarnModeShowsTheDialogAgain) {
  dialogs.choice = ErrorChoice::Continue;
  ASSERT_TRUE(Run("エラーを無視\n"
                  "フガ\n"
                  "エラーを警告\n"
                  "ホゲ\n"
                  "「終」と言う\n"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_TRUE(Contains(dialogs.errorLogs[0], "ホゲ"));
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"終"}));
}

TEST_F(ErrorModes, ErrorLabelCatchesAndResumesAfterTheFailingStatement) {
  ASSERT_TRUE(Run("ERRにエラー処理設定\n"
                  "「一」と言う\n"
                  "フガフガ\n"
                  "「三」と言う\n"
                  "「a」と言う;ホゲ;「b」と言う\n"
                  "終わり\n"
                  "*ERR\n"
                  "「捕捉」と言う\n"
                  "エラーから復帰\n"))
      << prepareError;
  EXPECT_TRUE(dialogs.errorLogs.empty());
  EXPECT_EQ(dialogs.messages,
            (std::vector<std::string>{"一", "捕捉", "三", "a", "捕捉", "b"}));
  EXPECT_TRUE(Contains(Var("エラーメッセージ"), "ホゲ"));
}

TEST_F(ErrorModes, ErrorInsideALoopResumesInTheLoop) {
  ASSERT_TRUE(Run("ERRにエラー処理設定\n"
                  "3回(回数と言う;フガ)\n"
                  "「終」と言う\n"
                  "終わり\n"
                  "*ERR\n"
                  "エラーから復帰\n"))
      << prepareError;
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"1", "2", "3", "終"}));
}

TEST_F(ErrorModes, UnknownErrorLabelFailsAndLeavesNoLabel) {
  dialogs.choice = ErrorChoice::Continue;
  ASSERT_TRUE(Run("*ERR\n"
                  "ERRにエラー処理設定\n"
                  "NOLABELにエラー処理設定\n"
                  "「続き」と言う\n"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_TRUE(Contains(dialogs.errorLogs[0], "未定義のラベル\"NOLABEL\"に、ジャンプしようとしました。"));
  EXPECT_EQ(engine.Base().errorLabel, nullptr);
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"続き"}));
}

TEST_F(ErrorModes, ResumeWithoutAnErrorDoesNothing) {
  ASSERT_TRUE(Run("エラーから復帰\n「次」と言う\n"));
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"次"}));
}

TEST_F(ErrorModes, ShutdownLabelBindingAndRemoval) {
  dialogs.choice = ErrorChoice::Continue;
  ASSERT_TRUE(Run("*BYE\n"
                  "BYEに終了処理設定\n"
                  "終了不可能を言う\n"
                  "「」に終了処理設定\n"
                  "終了不可能を言う\n"
                  "BYEに終了処理設定\n"
                  "XYZに終了処理設定\n"
                  "終了不可能を言う\n"
                  "改行で実行を止める\n"));
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"1", "0", "1"}));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_TRUE(Contains(dialogs.errorLogs[0], "未定義のラベル\"XYZ\"に、ジャンプしようとしました。"));
  ASSERT_NE(engine.Base().exitLabel, nullptr);
  EXPECT_EQ(engine.Base().exitLabel->name, "BYE");
  EXPECT_TRUE(engine.Base().lineStop);
}

TEST_F(ErrorModes, ShutdownLabelMustBeALabel) {
  dialogs.choice = ErrorChoice::Continue;
  ASSERT_TRUE(Run("V=1\nVに終了処理設定\n"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_EQ(engine.Base().exitLabel, nullptr);
}

}  // namespace
}  // namespace nura::test
