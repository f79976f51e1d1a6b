#include "gui/main_window.h"

#include <QImage>
#include <filesystem>
#include <gtest/gtest.h>

#include "engine/command_line.h"
#include "engine/engine.h"
#include "platform/sjis.h"
#include "common/qt_app.h"
#include "common/run_program.h"

namespace nura {
namespace {

// Builds the main window for a script file with the given arguments.
std::unique_ptr<TfrmNura> MakeWindow(const std::vector<std::string>& args) {
  test::EnsureQtApplication();
  ProgramCommandLine() = TCommandLine();
  ProgramCommandLine().Parse(args);
  return std::make_unique<TfrmNura>(true);
}

TEST(MainWindow, GrabsToTheClientSize) {
  auto form = MakeWindow({});
  const QImage shot = form->grab().toImage();
  EXPECT_EQ(shot.width(), 640);
  EXPECT_EQ(shot.height(), 400);
  EXPECT_EQ(shot.pixel(5, 5), qRgb(255, 255, 255));
  EXPECT_EQ(form->img->width(), 632);
  EXPECT_EQ(form->img->height(), 453);
}

TEST(MainWindow, SecuritySwitchBeforeOrAfterTheScript) {
  const std::string dir = test::MakeTempFolder();
  test::WriteSjisFile(dir + "/s.nrs", "");
  const auto cwd = std::filesystem::current_path();
  EXPECT_EQ(MakeWindow({"-security", "high", dir + "/s.nrs"})->Engine().Base().securityLevel, 2);
  EXPECT_EQ(MakeWindow({dir + "/s.nrs", "-security", "high"})->Engine().Base().securityLevel, 2);
  EXPECT_EQ(MakeWindow({dir + "/s.nrs"})->Engine().Base().securityLevel, 1);
  std::filesystem::current_path(cwd);
  std::filesystem::remove_all(dir);
}

TEST(MainWindow, ShowsItselfUnlessTheProgramFloatsItLater) {
  const std::string dir = test::MakeTempFolder();
  const auto cwd = std::filesystem::current_path();
  test::WriteSjisFile(dir + "/plain.nrs", "A=1\r\n");
  test::WriteSjisFile(dir + "/float.nrs", "A=\"母艦浮上\"\r\n");
  auto plain = MakeWindow({dir + "/plain.nrs"});
  plain->Engine().PrepareRun("A=1\r\n", "plain.nrs");
  EXPECT_TRUE(plain->isVisible());
  auto floating = MakeWindow({dir + "/float.nrs"});
  floating->Engine().PrepareRun(SJ("A=\"母艦浮上\"\r\n"), "float.nrs");
  EXPECT_FALSE(floating->isVisible());
  std::filesystem::current_path(cwd);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace nura
