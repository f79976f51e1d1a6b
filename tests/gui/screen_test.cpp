// What a person sees: scripts build windows, the windows are rendered to
// images and the pixels are looked at. These checks run on the offscreen
// platform and once more under a real X server (the "Screen" tests).
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <filesystem>
#include <map>

#include "editor/editor_control.h"
#include "dialog_responder.h"
#include "gui/dialog_forms.h"
#include "gui/qt_dialogs.h"
#include "gui/picture_box.h"
#include "gui/run_windows.h"
#include "gui/str_sort_grid.h"
#include "object_fixture.h"
#include "screen_check.h"
#include "common/run_program.h"

namespace nura::test {
namespace {

const QColor kWhite(255, 255, 255), kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255);


// Every visible button of the shown `dialog` shows its whole caption with
// a margin to its edges.
void ExpectShownCaptionsFit(QWidget& dialog, const char* name) {
  const QImage shot = Shot(dialog, name);
  for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
    if (!button->isVisible()) continue;
    const QRect frame(button->mapTo(&dialog, QPoint()), button->size());
    const QRect inner = frame.adjusted(3, 3, -3, -3);
    const QColor face = PixelAt(shot, {inner.left() + 1, inner.center().y()});
    const QRect ink = InkBox(shot, inner, face);
    QString caption = button->text();
    caption.remove('&');
    const QRect glyphs = QFontMetrics(button->font()).tightBoundingRect(caption);
    EXPECT_GE(ink.width(), glyphs.width() - 3) << name << ": " << caption.toStdString();
    EXPECT_GE(ink.left() - frame.left(), 6) << name << ": " << caption.toStdString();
    EXPECT_GE(frame.right() - ink.right(), 6) << name << ": " << caption.toStdString();
    EXPECT_GE(ink.top() - frame.top(), 3) << name << ": " << caption.toStdString();
    EXPECT_GE(frame.bottom() - ink.bottom(), 3) << name << ": " << caption.toStdString();
  }
}

void ExpectCaptionsFit(QDialog& dialog, const char* name) {
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  ExpectShownCaptionsFit(dialog, name);
  dialog.hide();
}

class Screen : public ObjectFixture {
 protected:
  // The main window shown and painted, as a person sees its client area.
  QImage ShotOfMain(const char* name) {
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    return Shot(*form->centralWidget(), name);
  }
  // The rectangle of object `name` in its parent's coordinates.
  QRect Frame(const char* name) {
    TGuiObject* object = ObjectNamed(name);
    return object ? object->Widget()->geometry() : QRect();
  }
};

TEST_F(Screen, ControlsMadeAfterTheWindowSizeStandInsideIt) {
  // By property and by サイズ, at the default place and at a given one.
  Run("母艦の高さは240\n母艦の幅は320\n"
      "L1をラベルとして作成\nL1の背景色は「#FF0000」\n"
      "P1をパネルとして作成\nP1の背景色は「#0000FF」\n"
      "母艦のサイズは「(0,0,360,260)」\n"
      "(200,100)にL2をラベルとして作成\nL2の背景色は「#00FF00」\n"
      "E1をエディタとして作成\nE1の背景色は「#00FF00」\n"
      "F1をフォームとして作成\nF1の高さは300\nF1のサイズは「(10,10,200,100)」\n"
      "L3をラベルとして作成\nL3の背景色は「#0000FF」\nL3の可視は0\n");
  ASSERT_EQ(Errors(), "");
  const QImage shot = ShotOfMain("controls-after-size");
  EXPECT_EQ(shot.size(), QSize(360, 260));
  for (const char* name : {"L1", "P1", "L2", "E1"}) {
    EXPECT_TRUE(QRect(QPoint(), shot.size()).contains(Frame(name))) << name;
  }
  // The next place follows the controls, not the window's size.
  EXPECT_EQ(Frame("P1").top(), Frame("L1").bottom() + 1 + 8);
  EXPECT_EQ(Frame("E1").top(), Frame("L2").bottom() + 1 + 8);
  // A form's own size leaves the next place alone too.
  EXPECT_EQ(Frame("L3").top(), Frame("E1").bottom() + 1 + 8);
  EXPECT_TRUE(Near(PixelAt(shot, Frame("L1").center()), kRed));
  EXPECT_TRUE(Near(PixelAt(shot, Frame("P1").center()), kBlue));
  EXPECT_TRUE(Near(PixelAt(shot, Frame("L2").center()), kGreen));
  EXPECT_TRUE(Near(PixelAt(shot, Frame("E1").center()), kGreen));
  // The hidden label leaves the window's white.
  EXPECT_TRUE(Near(PixelAt(shot, Frame("L3").center()), kWhite));
  EXPECT_EQ(CountNear(shot, Frame("L3"), kBlue), 0);
}

TEST_F(Screen, DrawingCommandsColourTheWindow) {
  Run("母艦のサイズは「(0,0,320,240)」\n画面クリア\nペン色は「#000000」\nペン太さは1\n塗り色は「#FF0000」\n"
      "(10,10)から(50,40)へ四角形\n(100,100)から(140,140)へ円形\n(200,10)から(260,10)へ線\n"
      "ペン色は「#0000FF」\n(10,150)へ移動\n「あ口あ」を表示\n");
  ASSERT_EQ(Errors(), "");
  const QImage shot = ShotOfMain("drawing");
  EXPECT_TRUE(Near(PixelAt(shot, {10, 10}), Qt::black));
  EXPECT_TRUE(Near(PixelAt(shot, {30, 25}), kRed));
  EXPECT_TRUE(Near(PixelAt(shot, {120, 120}), kRed));
  EXPECT_TRUE(Near(PixelAt(shot, {101, 101}), kWhite));
  EXPECT_TRUE(Near(PixelAt(shot, {230, 10}), Qt::black));
  EXPECT_TRUE(Near(PixelAt(shot, {230, 12}), kWhite));
  // The text: three full-width glyphs side by side on the line at 150.
  const QRect text = InkBox(shot, QRect(0, 145, 320, 40), kWhite);
  ASSERT_FALSE(text.isEmpty());
  EXPECT_GE(text.left(), 10);
  EXPECT_EQ(InkRuns(shot, text, kWhite), 3);
  EXPECT_GT(text.width(), 2 * text.height());
}

TEST_F(Screen, AnImageObjectShowsItsPictureStretchedWhenAsked) {
  const std::string dir = MakeTempFolder();
  QImage image(20, 10, QImage::Format_RGB32);
  image.fill(kBlue);
  for (int x = 10; x < 20; ++x)
    for (int y = 0; y < 10; ++y) image.setPixelColor(x, y, kRed);
  ASSERT_TRUE(image.save(QString::fromStdString(dir + "/p.png")));
  Run("母艦のサイズは「(0,0,320,240)」\n(10,10)にI1をイメージとして作成\nI1の画像は「" + dir + "/p.png」\n"
      "(100,10)にI2をイメージとして作成\nI2の画像は「" + dir + "/p.png」\nI2の拡大機能は1\nI2のサイズは「(100,10,180,50)」\n");
  ASSERT_EQ(Errors(), "");
  const QImage shot = ShotOfMain("image-objects");
  EXPECT_TRUE(Near(PixelAt(shot, {12, 15}), kBlue));
  EXPECT_TRUE(Near(PixelAt(shot, {27, 15}), kRed));
  EXPECT_TRUE(Near(PixelAt(shot, {35, 15}), kWhite));  // beside the picture
  // Stretched to 80x40: the left half blue, the right half red.
  EXPECT_TRUE(Near(PixelAt(shot, {120, 45}), kBlue));
  EXPECT_TRUE(Near(PixelAt(shot, {170, 45}), kRed));
  std::filesystem::remove_all(dir);
}

TEST_F(Screen, TheEditorDrawsHalfWidthCharactersInOneColumn) {
  Run("母艦のサイズは「(0,0,320,240)」\n(0,0)にE1をTエディタとして作成\nE1のサイズは「(0,0,300,200)」\n"
      "E1のテキストは「あ\nabc」\n");
  ASSERT_EQ(Errors(), "");
  ASSERT_NE(ObjectNamed("E1"), nullptr);
  auto* editor = static_cast<TEditor*>(ObjectNamed("E1")->Widget());
  ShotOfMain("editor-window");
  const QFontMetrics metrics(editor->font());
  const int cw = editor->CharWidth(), left = editor->TextLeft(), top = editor->TextTop();
  EXPECT_EQ(cw, editor->Margin().Character() + metrics.horizontalAdvance(QLatin1Char('0')));
  const QImage shot = Shot(*editor->viewport(), "editor");
  const QColor paper = PixelAt(shot, {left + 20 * cw, top + 2});
  // "あ": one glyph over two columns.
  const int rh = editor->RowHeight();
  const QRect wide = InkBox(shot, QRect(left, top, 2 * cw, rh - 3), paper);
  EXPECT_GT(wide.width(), cw);
  EXPECT_EQ(InkRuns(shot, wide, paper), 1);
  // "abc" on the last row (no mark after it): three columns, reaching into the third.
  const QRect abc = InkBox(shot, QRect(left, top + rh, shot.width() - left, rh - 3), paper);
  EXPECT_GE(abc.left(), left);
  EXPECT_LE(abc.right(), left + 3 * cw);
  EXPECT_GT(abc.right(), left + 2 * cw);
  // The caret, hit-testing and the position of a character use the same columns.
  editor->SetRowCol(1, 3);
  EXPECT_EQ(editor->CaretToPixel().x(), left + 3 * cw);
  int row = -1, col = -1;
  editor->PixelToRowCol(left + 3 * cw + 1, top + rh + 1, false, row, col);
  EXPECT_EQ(row, 1);
  EXPECT_EQ(col, 3);
  int64_t position = 0;  // "b": the fifth byte, after "あ" and the line break
  ASSERT_TRUE(editor->WindowMessage(0x00D6, 5, 0, nullptr, position));
  EXPECT_EQ(position & 0xFFFF, left + cw);
  EXPECT_EQ(position >> 16, top + rh);
}

TEST_F(Screen, GridCellsShowTheirWholeTexts) {
  Run("母艦のサイズは「(0,0,400,240)」\n(0,0)にG1をグリッドとして作成\nG1のサイズは「(0,0,390,200)」\n"
      "G1のテキストは「名前,評価,点\n山田,良い,5\n佐藤花子,とても良い,12」\n");
  ASSERT_EQ(Errors(), "");
  auto* grid = WidgetOf<TStrSortGrid>("G1");
  ASSERT_NE(grid, nullptr);
  ShotOfMain("grid-window");
  const QImage shot = Shot(*grid->viewport(), "grid");
  const QFontMetrics metrics(grid->font());
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      const QString text = grid->item(row, col)->text();
      const QRect cell = grid->visualRect(grid->model()->index(row, col));
      const QColor paper = PixelAt(shot, cell.bottomRight() - QPoint(1, 1));
      const QRect ink = InkBox(shot, cell.adjusted(1, 1, -1, -1), paper);
      const QRect glyphs = metrics.tightBoundingRect(text);
      // The whole text: as wide and as tall as its glyphs, clear of the cell's edges.
      EXPECT_GE(ink.width(), glyphs.width() - 2) << row << "," << col;
      EXPECT_GE(ink.height(), glyphs.height() - 2) << row << "," << col;
      EXPECT_LT(ink.bottom(), cell.bottom() - 1) << row << "," << col;
      EXPECT_LT(ink.right(), cell.right() - 1) << row << "," << col;
    }
  }
}

TEST_F(Screen, DialogButtonsHoldTheirCaptionsWithAMargin) {
  TfrmInputBox input;
  input.lblMsg->setText(QStringLiteral("?"));
  ExpectCaptionsFit(input, "input-box");
  TfrmSelectDialog choice;
  ExpectCaptionsFit(choice, "choice-list");
  TfrmSelectButton buttons;
  ASSERT_TRUE(buttons.SetupChoices(QStringLiteral("?"), QString::fromUtf8("はい\nA\nとても長いボタンの名前"), 640));
  ExpectCaptionsFit(buttons, "button-choice");
  TfrmError error(true, nullptr);
  ExpectCaptionsFit(error, "error-window");
  TfrmProg progress;
  progress.onStop = [] {};  // the stop button enabled, its caption in full colour
  progress.lblMsg->setText(QString::fromUtf8("進行中です"));
  ExpectCaptionsFit(progress, "progress");
  const QRect label = progress.lblMsg->geometry();
  EXPECT_GE(label.height(), QFontMetrics(progress.lblMsg->font()).height());
}

TEST_F(Screen, MaximizingFillsTheScreenAndRestoringGoesBack) {
  // The size reads the maximized one at once, and the old one after restoring.
  Run("F1をフォームとして作成\nF1のサイズは「(10,10,210,160)」\nF1を最大化\nW=F1の幅\nH=F1の高さ\n"
      "F1をフォーム元のサイズ\nR=F1の幅\n");
  ASSERT_EQ(Errors(), "");
  QWidget* f1 = ObjectNamed("F1")->Widget();
  const QRect area = f1->screen()->availableGeometry();
  const QSize frame = f1->frameGeometry().size() - f1->geometry().size();
  EXPECT_EQ(Value("W"), std::to_string(area.width() - frame.width()));
  EXPECT_EQ(Value("H"), std::to_string(area.height() - frame.height()));
  EXPECT_EQ(Value("R"), "200");
  EXPECT_TRUE(WaitUntil([&] { return f1->geometry().size() == QSize(200, 150); })) << f1->width();

  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  const QRect mainNormal = form->geometry();
  Run("母艦最大化\n");
  EXPECT_TRUE(WaitUntil([&] { return form->frameGeometry() == area; })) << form->frameGeometry().width();
  Shot(*form, "main-maximized");
  Run("母艦元のサイズ\n");
  EXPECT_TRUE(WaitUntil([&] { return form->geometry() == mainNormal; })) << form->geometry().width();
  // Full screen: no frame, at 0,0 with the screen's size.
  Run("母艦全画面化\n");
  const QRect screen = form->screen()->geometry();
  EXPECT_TRUE(WaitUntil([&] { return form->frameGeometry() == screen && form->geometry() == screen; }))
      << form->frameGeometry().x() << "," << form->frameGeometry().y();
  EXPECT_EQ(Property("母艦", "幅"), std::to_string(form->centralWidget()->width()));
  Run("母艦元のサイズ\n");
  EXPECT_TRUE(WaitUntil([&] { return form->geometry() == mainNormal; })) << form->geometry().width();
}

// On a real X server the window is mapped where it was placed and the
// server's own picture of the screen shows the controls.
TEST_F(Screen, TheServerShowsTheWindowAndItsControls) {
  if (!OnRealDisplay()) GTEST_SKIP() << "needs a real display (runs under Xvfb)";
  Run("母艦のサイズは「(40,30,360,270)」\nL1をラベルとして作成\nL1の背景色は「#FF0000」\n"
      "(100,100)にP1をパネルとして作成\nP1の背景色は「#0000FF」\n");
  ASSERT_EQ(Errors(), "");
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  QWidget* client = form->centralWidget();
  const auto onScreen = [&](const char* name) {
    const QPoint at = client->mapToGlobal(Frame(name).center());
    return form->screen()->grabWindow(0, at.x(), at.y(), 1, 1).toImage().pixelColor(0, 0);
  };
  EXPECT_TRUE(WaitUntil([&] { return Near(onScreen("L1"), kRed) && Near(onScreen("P1"), kBlue); }));
  EXPECT_EQ(client->mapToGlobal(QPoint()), form->geometry().topLeft());
  EXPECT_EQ(form->geometry().topLeft(), QPoint(40, 30));
  const QPoint corner = form->geometry().topLeft() + QPoint(200, 200);
  Shot(*form, "server-window");
  EXPECT_TRUE(Near(form->screen()->grabWindow(0, corner.x(), corner.y(), 1, 1).toImage().pixelColor(0, 0), kWhite));
}

// Qt's standard buttons and dialogs speak Japanese like the system's own.
TEST_F(Screen, QtsOwnDialogsSpeakJapanese) {
  TQtDialogs dialogs(form.get());
  SetDialogs(&dialogs);
  std::map<QMessageBox::StandardButton, QString> captions;
  RespondToModal([&](QWidget* dialog) {
    auto* box = qobject_cast<QMessageBox*>(dialog);
    ASSERT_NE(box, nullptr);
    for (auto button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
      captions[button] = box->button(button)->text();
    ExpectShownCaptionsFit(*box, "three-way");
    box->button(QMessageBox::No)->click();
  });
  Run("「保存しますか？」と三択\n");
  EXPECT_EQ(captions[QMessageBox::Yes], QString::fromUtf8("はい(&Y)"));
  EXPECT_EQ(captions[QMessageBox::No], QString::fromUtf8("いいえ(&N)"));
  EXPECT_EQ(captions[QMessageBox::Cancel], QString::fromUtf8("キャンセル"));
  QStringList labels;
  RespondToModal([&](QWidget* dialog) {
    for (const QLabel* label : dialog->findChildren<QLabel*>()) labels << label->text();
    Shot(*dialog, "folder-dialog");
    dialog->close();
  });
  Run("フォルダ選択\n");
  SetDialogs(nullptr);
  EXPECT_FALSE(labels.contains(QStringLiteral("Directory:"))) << labels.join('|').toStdString();
  EXPECT_FALSE(labels.filter(QString::fromUtf8("フォルダ")).isEmpty() && labels.filter(QString::fromUtf8("ディレクトリ")).isEmpty())
      << labels.join('|').toStdString();
}

}  // namespace
}  // namespace nura::test
