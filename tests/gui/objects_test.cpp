// Script objects on real widgets (offscreen): events from the platform run
// the bound code, destruction frees safely, the tray command, and a
// screenshot of a form with its controls.
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <set>
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "gui/object_fixture.h"
#include "common/run_program.h"

namespace nura {
namespace {

using ObjectsTest = test::ObjectFixture;

TEST_F(ObjectsTest, ClickRunsTheBoundLabelOnce) {
  Run("N=0\nBをボタンとして作成\nBのクリックした時は押した\n待機\n*押した\nN=N+1\n戻る\n");
  auto* button = WidgetOf<QPushButton>("B");
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(Value("N"), "1");
  EXPECT_EQ(Value("マウスX"), std::to_string(button->rect().center().x()));
  // The firing object answers through "イベントオブジェクト".
  EXPECT_EQ(form->Engine().Base().words.FindNode(SJ("イベントオブジェクト"), false)->kind, kWordObject);
}

TEST_F(ObjectsTest, KeyPressFillsTheKeyAndTheShiftState) {
  Run("Eをエディタとして作成\nEのキー押した時は「K=押されたキー」\n待機\n");
  auto* edit = WidgetOf<QLineEdit>("E");
  ASSERT_NE(edit, nullptr);
  QTest::keyClick(edit, Qt::Key_A, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(Value("K"), "65");
  EXPECT_EQ(Value("押された特殊キー"), "Shift\r\nCtrl");
}

TEST_F(ObjectsTest, TheMainWindowPreviewsTheKeysOfItsControls) {
  Run("Eをエディタとして作成\nEのキー押した時は「K=K+1」\n母艦のキー押した時は「M=M+1」\n"
      "Eに注目\n待機\n");
  auto* edit = WidgetOf<QLineEdit>("E");
  ASSERT_NE(edit, nullptr);
  form->activateWindow();
  edit->setFocus();
  ASSERT_TRUE(WaitUntil([&] { return QApplication::focusWidget() == edit; }));
  QTest::keyClick(edit, Qt::Key_Left);
  EXPECT_EQ(Value("K"), "1");
  EXPECT_EQ(Value("M"), "1");
}

TEST_F(ObjectsTest, TwoFilesDroppedOnAnUnboundMemoAddTwoLines) {
  Run("Mをメモとして作成\nMのファイルドロップは1\n待機\n");
  auto* memo = WidgetOf<QPlainTextEdit>("M");
  ASSERT_NE(memo, nullptr);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile("/tmp/a.txt"), QUrl::fromLocalFile("/tmp/b.txt")});
  QWidget* target = memo->viewport();
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
  EXPECT_EQ(memo->toPlainText(), "/tmp/a.txt\n/tmp/b.txt");
  EXPECT_EQ(Value("イベントの値"), "/tmp/a.txt\r\n/tmp/b.txt");
}

TEST_F(ObjectsTest, AnEventDuringAWaitRunsBeforeTheNextStatement) {
  // Clicks once the script waits with its button made.
  bool clicked = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* button = WidgetOf<QPushButton>("B");
    if (clicked || !button || !form->Engine().RunActive()) return;
    clicked = true;
    QTest::mouseClick(button, Qt::LeftButton);
  });
  poll.start(10);
  Run("N=1\nBをボタンとして作成\nBのクリックした時は「N=N+5」\n0.5秒待つ\nN=N*10\n");
  EXPECT_TRUE(clicked);
  EXPECT_EQ(Value("N"), "60");
}

TEST_F(ObjectsTest, AContainerAndAControlOnItDestroyedTogether) {
  Run("Pをパネルとして作成\nBをボタンとして作成\nPのアイテムは「B」\n"
      "Pをオブジェクト破壊\nBをオブジェクト破壊\n待機\n");  // the container first
  EXPECT_EQ(form->DestructionQueueSize(), 2);
  EXPECT_TRUE(WaitUntil([&] { return form->DestructionQueueSize() == 0; }));
  // A control freed with its container is "not created", never a crash.
  Run("Pをパネルとして作成\nBをボタンとして作成\nPのアイテムは「B」\nCをボタンとして作成\n"
      "Pをオブジェクト破壊\nCをオブジェクト破壊\n待機\n");
  EXPECT_TRUE(WaitUntil([&] { return form->DestructionQueueSize() == 0; }));
  TObjNode* b = form->Engine().Base().objects.FindByName("B");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Control(), nullptr);
  std::string value;
  try {
    form->Engine().Objects().GetObjectProperty(form->Engine(), "B", SJ("幅"), value);
    ADD_FAILURE() << "no error";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find(SJ("オブジェクト\"B\"は、作成されていません。")), std::string::npos);
  }
}

TEST_F(ObjectsTest, AButtonDestroyedInItsOwnClickHandler) {
  Run("Bをボタンとして作成\nCをボタンとして作成\nBのクリックした時は押した\n待機\n"
      "*押した\nBをオブジェクト破壊\nCをオブジェクト破壊\nN=1\n待機\n");
  QPointer<QPushButton> button = WidgetOf<QPushButton>("B");
  ASSERT_TRUE(button);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(Value("N"), "1");
  EXPECT_TRUE(button && button->isHidden());  // hidden at once, freed later
  EXPECT_TRUE(WaitUntil([&] { return button.isNull(); }));
  EXPECT_EQ(form->Engine().Base().words.FindNode("B", false), nullptr);
}

TEST_F(ObjectsTest, EventCodeThatRebindsSlotZeroKeepsItsBinding) {
  Run("Bをボタンとして作成\nBのクリックした時は押した\n待機\n"
      "*押した\nBのイベントは別\n戻る\n*別\nN=9\n戻る\n");
  QTest::mouseClick(WidgetOf<QPushButton>("B"), Qt::LeftButton);
  EXPECT_EQ(Value("N"), "");
  std::string value;
  ASSERT_TRUE(form->Engine().Objects().GetObjectProperty(form->Engine(), "B", SJ("イベント"), value));
  EXPECT_EQ(Value("N"), "9");
}

TEST_F(ObjectsTest, CheckValueIsANumberAndTheMainWindowResizeIsItsChange) {
  Run("Cをチェックとして作成\nCの値は1\n母艦の変更した時は「R=R+1」\n待機\n");
  std::string value;
  ASSERT_TRUE(form->Engine().Objects().GetObjectProperty(form->Engine(), "C", SJ("値"), value));
  EXPECT_EQ(value, "1");
  EXPECT_EQ(form->Engine().ResultKind(), "e");
  WidgetOf<QCheckBox>("C")->click();
  ASSERT_TRUE(form->Engine().Objects().ReadObjectValue(
      form->Engine(), *form->Engine().Base().words.FindNode("C", false), value));
  EXPECT_EQ(value, "0");
  form->resize(500, 300);
  EXPECT_TRUE(WaitUntil([&] { return Value("R") == "1"; }));
}

TEST_F(ObjectsTest, PictureObjectsTakeTheSizeOfTheirPicture) {
  const std::string dir = test::MakeTempFolder();
  QImage image(37, 21, QImage::Format_RGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(QString::fromStdString(dir + "/p.png")));
  Run("Iをイメージとして作成\nIの画像は「" + dir + "/p.png」\n"
      "Fをフォームとして作成\nFの画像は「" + dir + "/p.png」\n待機\n");
  auto* picture = WidgetOf<TPictureBox>("I");
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->size(), QSize(37, 21));
  EXPECT_EQ(picture->Bitmap().PixelColour(3, 3), 0x0000FFu);
  std::string value;
  ASSERT_TRUE(form->Engine().Objects().ReadObjectValue(
      form->Engine(), *form->Engine().Base().words.FindNode("I", false), value));
  EXPECT_EQ(value, dir + "/p.png");
  TObjNode* node = form->Engine().Base().objects.FindByName("F");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(form->PictureBoxOf(*node)->size(), QSize(37, 21));
  std::filesystem::remove_all(dir);
}

TEST_F(ObjectsTest, TrayCommandHidesOrMinimisesAndShowsAgain) {
  Run("母艦浮上\n1をタスクトレイへアイコン表示\n");
  EXPECT_TRUE(form->isMinimized() || !form->isVisible());
  EXPECT_TRUE(form->Engine().Base().trayFlag);
  Run("母艦浮上\n0をタスクトレイへアイコン表示\n");
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(form->isMinimized());
  EXPECT_FALSE(form->Engine().Base().trayFlag);
}

// Counts the pixels of `rect` in `shot` that differ from `background`.
int Differing(const QImage& shot, const QRect& rect, QRgb background) {
  int count = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x)
      if (shot.pixel(x, y) != background) ++count;
  return count;
}

TEST_F(ObjectsTest, ScreenshotShowsTheControlsWhereTheirPropertiesSay) {
  Run("Fをフォームとして作成\n(20,20)にBをボタンとして作成\n(20,80)にEをエディタとして作成\n"
      "(200,20)にLをリストとして作成\nLのアイテムは「一\n二」\n"
      "Fのアイテムは「B\nE\nL」\nFの幅は400\nFの高は300\n待機\n");
  QWidget* window = nullptr;
  TObjNode* node = form->Engine().Base().objects.FindByName("F");
  ASSERT_NE(node, nullptr);
  window = GuiObjectOf(node->Control())->Widget();
  const QImage shot = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shot.size(), QSize(400, 300));
  const QRgb white = qRgb(255, 255, 255);
  for (const char* name : {"B", "E", "L"}) {
    std::string text;
    ASSERT_TRUE(form->Engine().Objects().GetObjectProperty(form->Engine(), name, SJ("サイズ"), text));
    int l = 0, t = 0, r = 0, b = 0;
    ASSERT_EQ(std::sscanf(text.c_str(), "(%d,%d,%d,%d)", &l, &t, &r, &b), 4) << text;
    const QRect rect(QPoint(l, t), QPoint(r - 1, b - 1));
    // Each control paints a good part of its rectangle differently from the
    // form's white ground.
    EXPECT_GT(Differing(shot, rect, white), rect.width()) << name;
  }
  // Between the controls the form stays white.
  EXPECT_EQ(Differing(shot, QRect(20, 50, 100, 25), white), 0);
  EXPECT_EQ(Differing(shot, QRect(340, 150, 50, 140), white), 0);
}

// A list's click: a key that moves the selection runs it, as the mouse
// does; a key that moves nothing and a row set by the script do not.
TEST_F(ObjectsTest, AListClicksWhenAKeyMovesItsSelection) {
  Run("N=0\nLをリストとして作成\nLのアイテムは「一\n二\n三」\nLの値は0\n"
      "Lのクリックした時は「N=N+1\nV=Lの値」\n待機\n");
  auto* list = WidgetOf<QListWidget>("L");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Value("N"), "0");
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(Value("N"), "1");
  EXPECT_EQ(Value("V"), "1");
  QTest::keyClick(list, Qt::Key_End);
  QTest::keyClick(list, Qt::Key_Down);  // already on the last row
  EXPECT_EQ(Value("N"), "2");
  EXPECT_EQ(Value("V"), "2");
  THashNode word;
  word.name = "L";
  form->Engine().Objects().SetObjectProperty(form->Engine(), word, SJ("値"), "0");
  EXPECT_EQ(list->currentRow(), 0);
  EXPECT_EQ(Value("N"), "2");
  const QRect row = list->visualItemRect(list->item(1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
  EXPECT_EQ(Value("N"), "3");
  EXPECT_EQ(Value("V"), "1");
}

// "ハンドル" is the control's native window: not zero and one per control,
// the text editor included.
TEST_F(ObjectsTest, EveryControlsHandleIsItsOwnNativeWindow) {
  Run("B1をボタンとして作成\nB2をボタンとして作成\nE1をTエディタとして作成\nM1をメモとして作成\n"
      "F1をフォームとして作成\n");
  ASSERT_EQ(Errors(), "");
  std::set<std::string> seen;
  for (const char* name : {"B1", "B2", "E1", "M1", "F1", "母艦"}) {
    SCOPED_TRACE(name);
    const std::string handle = Property(name, "ハンドル");
    EXPECT_NE(handle, "0");
    EXPECT_EQ(handle, std::to_string(ObjectNamed(name)->Widget()->winId()));
    EXPECT_TRUE(seen.insert(handle).second) << handle;
  }
}

}  // namespace
}  // namespace nura
