// The picture commands on the main window's picture: colour depth, capture
// of the main window, the print scaling, and their errors.
#include "gui/print_capture_commands.h"

#include <gtest/gtest.h>

#include "engine/command_line.h"
#include "engine/command_registry.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/vocabulary.h"
#include "gui/main_window.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"
#include "common/qt_app.h"

namespace nura {
namespace {

class PictureCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureQtApplication();
    ProgramCommandLine() = TCommandLine();
    form = std::make_unique<TfrmNura>(true);
    RegisterPrintCaptureCommands();
    form->Engine().ResetForRun();
  }
  std::string ErrorOf(CommandId id, std::initializer_list<std::string> args) {
    TNuraEngine& engine = form->Engine();
    for (const std::string& arg : args) engine.Base().args.Push(arg);
    try {
      FindCommandHandler(IdNumber(id))(engine, id);
    } catch (const std::exception& e) {
      engine.Base().args.Clear();
      return e.what();
    }
    return "";
  }
  std::unique_ptr<TfrmNura> form;
};

TEST_F(PictureCommands, ColourDepthOfTheMainWindowPicture) {
  TBitmap& picture = form->img->Bitmap();
  picture.Fill(0x0000FF);  // red
  const std::string name = SJ("母艦");
  EXPECT_EQ(ErrorOf(CommandId::SetBits, {name, "8"}), "");
  EXPECT_EQ(picture.BitsPerPixel(), 8);
  EXPECT_EQ(picture.Width(), 632);
  EXPECT_EQ(picture.ToImage().pixel(3, 3), qRgb(255, 0, 0));
  EXPECT_EQ(ErrorOf(CommandId::SetBits, {name, "1"}), "");
  EXPECT_EQ(picture.BitsPerPixel(), 1);
  EXPECT_EQ(ErrorOf(CommandId::SetBits, {name, "4"}), "");
  EXPECT_EQ(picture.BitsPerPixel(), 4);
  EXPECT_EQ(ErrorOf(CommandId::SetBits, {name, "16"}), "");
  EXPECT_EQ(picture.BitsPerPixel(), 16);
  EXPECT_EQ(ErrorOf(CommandId::SetBits, {name, "32"}), "");
  EXPECT_EQ(picture.BitsPerPixel(), 32);
  const std::string two = ErrorOf(CommandId::SetBits, {name, "2"});
  const std::string tail = SJ("命令の引数に誤りがあります。2ビットはサポートしていません。");
  ASSERT_GE(two.size(), tail.size());
  EXPECT_EQ(two.substr(two.size() - tail.size()), tail);
  EXPECT_NE(ErrorOf(CommandId::SetBits, {"NOPE", "8"}).find(SJ("オブジェクト\"NOPE\"は、作成されていません。")),
            std::string::npos);
}

TEST_F(PictureCommands, CaptureOfTheMainWindowAndItsErrors) {
  TBitmap& picture = form->img->Bitmap();
  picture.Fill(0x000000);
  const std::string title = QStringToSjis(form->windowTitle());
  EXPECT_EQ(ErrorOf(CommandId::CaptureWindow, {SJ("母艦"), TNuraEngine::MakeRawLiteral(title)}), "");
  // The client area shows the picture itself: copied back unchanged.
  EXPECT_EQ(picture.ToImage().pixel(2, 2), qRgb(0, 0, 0));
  EXPECT_EQ(picture.Width(), 632);
  // The desktop, with the picture argument left out.
  form->Engine().Base().implicitSubject = true;
  EXPECT_EQ(ErrorOf(CommandId::CaptureWindow, {SJ("それ"), TNuraEngine::MakeRawLiteral(SJ("デスクトップ"))}), "");
  form->Engine().Base().implicitSubject = false;
  EXPECT_EQ(picture.Width(), 632);
  // Another program's window cannot be found: nothing happens.
  picture.Fill(0x000000);
  EXPECT_EQ(ErrorOf(CommandId::CaptureWindow, {SJ("母艦"), "`other`"}), "");
  EXPECT_EQ(picture.ToImage().pixel(2, 2), qRgb(0, 0, 0));
  EXPECT_NE(ErrorOf(CommandId::CaptureWindow, {"NOPE", "`other`"}).find(SJ("オブジェクト\"NOPE\"が特定できません。")),
            std::string::npos);
}

TEST(PrintScale, FillsThePageAlongTheLongerSide) {
  EXPECT_EQ(PrintTargetRect(200, 100, 1000, 1400), QRect(QPoint(0, 0), QPoint(999, 499)));
  EXPECT_EQ(PrintTargetRect(100, 200, 1000, 1600), QRect(QPoint(0, 0), QPoint(799, 1599)));
  EXPECT_EQ(PrintTargetRect(0, 200, 1000, 1400), QRect());
}

}  // namespace
}  // namespace nura
