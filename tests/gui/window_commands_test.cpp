// The window commands on the main window, and the launch wait that a
// closing window ends.
#include "gui/window_commands.h"

#include <QElapsedTimer>
#include <QScreen>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

#include "app/register_commands.h"
#include "engine/command_line.h"
#include "engine/engine.h"
#include "gui/main_window.h"
#include "platform/sjis.h"
#include "common/qt_app.h"
#include "common/run_program.h"

namespace nura {
namespace {

class WindowCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureQtApplication();
    RegisterAllCommands();
    cwd_ = std::filesystem::current_path();
    dir_ = test::MakeTempFolder();
  }
  void TearDown() override {
    std::filesystem::current_path(cwd_);
    std::filesystem::remove_all(dir_);
  }
  // A main window on the script `utf8`, not yet run.
  std::unique_ptr<TfrmNura> Window(const std::string& utf8) {
    test::WriteSjisFile(dir_ + "/w.nrs", utf8);
    ProgramCommandLine() = TCommandLine();
    ProgramCommandLine().Parse({dir_ + "/w.nrs"});
    return std::make_unique<TfrmNura>(true);
  }
  std::string Result(TfrmNura& form) { return SjisToUtf8(form.Engine().ResultNode()->Value()); }

  std::filesystem::path cwd_;
  std::string dir_;
};

TEST_F(WindowCommands, ClosingTheWindowEndsTheLaunchWait) {
  auto form = Window("「sleep 5」を起動して終了まで待機\r\nA=1\r\n");
  QTimer::singleShot(300, form.get(), [&form] { form->close(); });
  QElapsedTimer clock;
  clock.start();
  form->eventDoTimer();
  EXPECT_LT(clock.elapsed(), 3000);
  EXPECT_TRUE(form->IsClosed());
}

TEST_F(WindowCommands, FullScreenListAndStates) {
  auto form = Window("母艦全画面化\r\nウインドウ列挙\r\n");
  form->eventDoTimer();
  EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(form->geometry(), form->screen()->geometry());
  EXPECT_NE(Result(*form).find("ぬらせら\r\n"), std::string::npos);
  form->Engine().PrepareRun(SJ("母艦元のサイズ\r\n"), "w.nrs");
  form->Engine().Run();
  EXPECT_FALSE(form->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(WindowMessage, FieldsAreNumbersOrAVariable) {
  TWindowMessage m = ParseWindowMessage(SJ("＄１０,3, buf "));
  EXPECT_EQ(m.message, 16);
  EXPECT_EQ(m.wparam, 3);
  EXPECT_EQ(m.lparamVariable, "buf");
  m = ParseWindowMessage("x,$FF,$10");
  EXPECT_EQ(m.message, 0);
  EXPECT_EQ(m.wparam, 255);
  EXPECT_EQ(m.lparam, 16);
  EXPECT_EQ(m.lparamVariable, "");
  EXPECT_EQ(ParseWindowMessage("-1").message, -1);
  EXPECT_EQ(ParseWindowMessage("99999999999999999999").message, 0);
}

}  // namespace
}  // namespace nura
