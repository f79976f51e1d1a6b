// Display and drawing on the offscreen main window: text lines and their
// spacing, tab expansion and the byte limit, shapes checked by their
// pixels on a screenshot, pictures shown and stretched, pixels, centring
// and printing without a printer.
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "gui/fonts.h"
#include "gui/picture_box.h"
#include "dialog_responder.h"
#include "object_fixture.h"
#include "common/run_program.h"

namespace nura {
namespace {

class DisplayTest : public test::ObjectFixture {
 protected:
  // The main picture as the screen shows it.
  QImage Shot() { return form->img->grab().toImage(); }
  int NextY() { return form->Engine().Base().nextObjectY; }
  // The line step of the font variables' font.
  int Step() {
    int32_t colour = 0;
    return static_cast<int>(std::nearbyint(1.2 * TextHeightOnPicture(FontOfSettings(form->Engine(), colour), SJ("あ"))));
  }
  // The first row from `top` that holds a pixel other than white.
  static int FirstInkRow(const QImage& shot, int top) {
    for (int y = top; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x)
        if (shot.pixel(x, y) != qRgb(255, 255, 255)) return y;
    return -1;
  }
};

TEST_F(DisplayTest, LinesStandOneStepApartFromTheClearedPosition) {
  Run("画面クリア\n「■」を表示\n");
  const int first = FirstInkRow(Shot(), 0);
  const int step = Step();
  EXPECT_EQ(NextY(), 10 + step);
  Run("画面クリア\n「■」を表示\n「■」を表示\n");
  EXPECT_EQ(NextY(), 10 + 2 * step);
  QImage shot = Shot();
  EXPECT_GE(first, 10);
  EXPECT_EQ(FirstInkRow(shot, first + step / 2), first + step);
  // Two lines in one text take the same room.
  Run("画面クリア\n「■\n■」を表示\n");
  EXPECT_EQ(NextY(), 10 + 2 * step);
  EXPECT_EQ(Shot(), shot);
}

TEST_F(DisplayTest, TabsPadToTheTabWidthAndLongTextsAreCut) {
  Run("画面クリア\n「a       b」を表示\n");
  const QImage spaced = Shot();
  for (const char* width : {"", "タブ文字の個数は0\n", "タブ文字の個数は1000000000\n"}) {
    Run(std::string(width) + "画面クリア\n\"a\\tb\"を表示\n");
    EXPECT_EQ(Shot(), spaced) << width;
  }
  Run("タブ文字の個数は4\n画面クリア\n\"a\\tb\"を表示\n");
  EXPECT_NE(Shot(), spaced);
  // 4096 bytes are two lines; one byte more is cut before the second.
  const std::string head(4093, 'a');
  Run("画面クリア\nS=\"" + head + "\\nb\"\nSを表示\n");
  EXPECT_EQ(NextY(), 10 + 2 * Step());
  Run("画面クリア\nS=\"" + head + "a\\nb\"\nSを表示\n");
  EXPECT_EQ(NextY(), 10 + Step());
}

TEST_F(DisplayTest, ShapesStandAtTheirCoordinates) {
  Run("画面クリア\nペン色は「#000000」\nペン太さは1\n塗り色は「#FF0000」\n"
      "(10,10)から(50,40)へ四角形\n(100,100)から(140,140)へ円形\n"
      "(200,10,220,30)へ四角形\n(300,10)から(340,10)へ線\n");
  EXPECT_EQ(Errors(), "");
  const QImage shot = Shot();
  const QRgb black = qRgb(0, 0, 0), red = qRgb(255, 0, 0), white = qRgb(255, 255, 255);
  const struct {
    int x, y;
    QRgb colour;
  } expected[] = {
      // The outline covers 10..49 and 10..39, filled inside.
      {10, 10, black}, {49, 39, black}, {30, 10, black}, {30, 25, red}, {50, 40, white},
      // A filled circle: red in the middle, white in the corners of its box.
      {120, 120, red}, {120, 100, black}, {101, 101, white}, {138, 138, white},
      // A rectangle alone is filled without outline.
      {200, 10, red}, {219, 29, red}, {220, 30, white},
      {320, 10, black},
  };
  for (const auto& e : expected) EXPECT_EQ(shot.pixel(e.x, e.y), e.colour) << e.x << "," << e.y;
  // A line from the next position (10,10 after clearing) leaves it there.
  Run("ペン色は「#0000FF」\nペン太さは1\n(10,60)へ線\n");
  EXPECT_EQ(Shot().pixel(10, 35), qRgb(0, 0, 255));
  EXPECT_EQ(NextY(), 10);
}

TEST_F(DisplayTest, ObjectShapesTakeTheMainPen) {
  Run("F1をフォームとして作成\nペン色は「#00FF00」\nペン太さは3\nF1の(0,20)から(100,20)へ線描画\n"
      "P1をイメージとして作成\nP1の(0,0)から(50,50)へ四角形描画\n");
  EXPECT_EQ(Errors(), "");
  TObjNode* node = form->Engine().Base().objects.FindByName("F1");
  ASSERT_NE(node, nullptr);
  TPictureBox* inner = form->PictureBoxOf(*node);
  ASSERT_NE(inner, nullptr);
  int32_t colour = 0;
  ASSERT_TRUE(inner->PixelAt(50, 20, colour));
  EXPECT_EQ(colour, 0x00FF00);
  ASSERT_TRUE(inner->PixelAt(50, 21, colour));
  EXPECT_EQ(colour, 0x00FF00);  // three pixels wide
  TPictureBox* picture = WidgetOf<TPictureBox>("P1");
  ASSERT_NE(picture, nullptr);
  ASSERT_TRUE(picture->PixelAt(25, 1, colour));
  EXPECT_EQ(colour, 0x00FF00);  // the empty picture became a canvas of its size
  Run("B1をボタンとして作成\nB1の(0,0)から(10,10)へ線描画\n");
  EXPECT_EQ(Errors(), "[エラー] t.nrs(2行目): \"B1\"は、イメージではありません。\r\n");
  Run("ZZの(0,0)から(10,10)へ円形描画\n");
  EXPECT_EQ(Errors(), "[エラー] t.nrs(1行目): オブジェクト\"ZZ\"は、作成されていません。\r\n");
}

TEST_F(DisplayTest, PixelsOfPicturesAndTheirColourNumbers) {
  Run("画面クリア\n(5,5)を座標色取得\nA=それ\nペン色は「#0000FF」\n(5,5)へ点描画\n(5,5)を座標色取得\nB=それ\n"
      "(9999,5)へ点描画\n(9999,5)を座標色取得\nC=それ\n母艦の(5,5)を座標色取得\nD=それ\n"
      "「#FF0000」で画面クリア\n(631,452)を座標色取得\nE=それ\n");
  EXPECT_EQ(Errors(), "");
  EXPECT_EQ(Value("A"), "16777215");
  EXPECT_EQ(Value("B"), "16711680");
  EXPECT_EQ(Value("C"), "16711680");  // outside: nothing happens
  EXPECT_EQ(Value("D"), "16711680");
  EXPECT_EQ(Value("E"), "255");
  EXPECT_EQ(form->Engine().ResultKind(), "e");
  EXPECT_EQ(form->palette().color(QPalette::Window), QColor(255, 0, 0));
  // Left out, the colour is the window's.
  Run("画面クリア\n(0,0)を座標色取得\nF=それ\n");
  EXPECT_EQ(Value("F"), "255");
}

TEST_F(DisplayTest, PicturesAtTheNextPositionAndStretched) {
  const std::string dir = test::MakeTempFolder();
  const std::string file = dir + "/p.bmp";
  form->Engine().Base().securityLevel = 0;  // saving asks nothing
  Run("「#0000FF」で画面クリア\n「" + file + "」へ母艦をイメージ保存\n画面クリア\n"
      "(20,30)へ移動\n「" + file + "」を(40,10)で画像拡大表示\n");
  EXPECT_EQ(Errors(), "");
  EXPECT_EQ(NextY(), 40);
  const QImage shot = Shot();
  EXPECT_EQ(shot.pixel(20, 30), qRgb(0, 0, 255));
  EXPECT_EQ(shot.pixel(59, 39), qRgb(0, 0, 255));
  EXPECT_EQ(shot.pixel(60, 39), shot.pixel(0, 0));
  EXPECT_EQ(shot.pixel(20, 40), shot.pixel(0, 0));
  // A size of 0 draws nothing; one beyond a picture's limit cannot be read.
  Run("画面クリア\n「" + file + "」を(0,10)で画像拡大表示\n");
  EXPECT_EQ(Errors(), "");
  EXPECT_EQ(NextY(), 10);
  Run("「" + file + "」を(100000,100000)で画像拡大表示\n");
  EXPECT_EQ(Errors(), "[エラー] t.nrs(1行目): \"" + file + "\"が読込めません。\r\n");
  Run("画面クリア\n「" + file + "」を画像表示\n");
  EXPECT_EQ(NextY(), 10 + QImage(QString::fromStdString(file)).height());
  std::filesystem::remove_all(dir);
}

TEST_F(DisplayTest, CentringInTheWindowAPanelButNotAScrollBox) {
  Run("B1をボタンとして作成\nB1を中央へ移動\nP1をパネルとして作成\nB2をボタンとして作成\n"
      "P1のアイテムは「B2」\nB2を中央へ移動\nS1をスクロールとして作成\nB3を(3,4)にボタンとして作成\n"
      "S1のアイテムは「B3」\nB3を中央へ移動\n");
  EXPECT_EQ(Errors(), "");
  auto* b1 = WidgetOf<QPushButton>("B1");
  auto* b2 = WidgetOf<QPushButton>("B2");
  auto* b3 = WidgetOf<QPushButton>("B3");
  ASSERT_TRUE(b1 && b2 && b3);
  const QSize client = form->Client()->size();
  EXPECT_EQ(b1->pos(), QPoint((client.width() - b1->width()) / 2, (client.height() - b1->height()) / 2));
  const QSize panel = b2->parentWidget()->size();
  EXPECT_EQ(b2->pos(), QPoint((panel.width() - b2->width()) / 2, (panel.height() - b2->height()) / 2));
  EXPECT_EQ(b3->pos(), QPoint(3, 4));
  Run("ZZを中央へ移動\n");
  EXPECT_EQ(Errors(), "[エラー] t.nrs(1行目): オブジェクト\"ZZ\"は、作成されていません。\r\n");
}

TEST_F(DisplayTest, PrintingWithoutAPrinterFails) {
  if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "a printer is installed";
  Run("「あ」を簡易印刷\n");
  EXPECT_EQ(Errors(), "[エラー] t.nrs(1行目): 印刷できるプリンタがありません。\r\n");
}

// With the CUPS PDF printer "PDF" (cups, printer-driver-cups-pdf and a
// running scheduler) the text becomes a one-page PDF in ~/PDF.
TEST_F(DisplayTest, PrintingATextMakesOnePage) {
  if (QPrinterInfo::printerInfo("PDF").isNull()) GTEST_SKIP() << "no CUPS PDF printer";
  const std::filesystem::path out = std::filesystem::path(std::getenv("HOME")) / "PDF";
  std::set<std::filesystem::path> before;
  if (std::filesystem::exists(out))
    for (const auto& entry : std::filesystem::directory_iterator(out)) before.insert(entry.path());
  test::RespondToModal([](QWidget* dialog) {
    auto* print = qobject_cast<QPrintDialog*>(dialog);
    ASSERT_NE(print, nullptr);
    print->printer()->setPrinterName("PDF");
    print->accept();
  });
  Run("\"一行目\\n二行目\"を簡易印刷\n");
  EXPECT_EQ(Errors(), "");
  std::string pdf;
  std::filesystem::path made;
  ASSERT_TRUE(WaitUntil(
      [&] {
        if (!std::filesystem::exists(out)) return false;
        for (const auto& entry : std::filesystem::directory_iterator(out)) {
          if (before.count(entry.path())) continue;
          std::ifstream in(entry.path(), std::ios::binary);
          pdf.assign(std::istreambuf_iterator<char>(in), {});
          made = entry.path();
          if (pdf.find("%%EOF") != std::string::npos) return true;
        }
        return false;
      },
      20000));
  const std::regex page(R"(/Type\s*/Page(?!s))");
  EXPECT_EQ(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()), 1);
  std::filesystem::remove(made);
}

}  // namespace
}  // namespace nura
