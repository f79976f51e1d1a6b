// The tracking box: a screenshot of its handles and frame, moving and
// resizing by mouse with the change reports, raising only on a press, and
// tracking box objects that stay at least 10 x 10.
#include "gui/track_box.h"

#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include "object_fixture.h"
#include "common/qt_app.h"

namespace nura {
namespace {

// A white parent holding one box of 100 x 60 at (20, 30).
class TrackBoxTest : public ::testing::Test {
 protected:
  TrackBoxTest() : parent((test::EnsureQtApplication(), std::make_unique<QWidget>())) {}
  void SetUp() override {
    parent->resize(300, 200);
    QPalette pal = parent->palette();
    pal.setColor(QPalette::Window, Qt::white);
    parent->setPalette(pal);
    parent->setAutoFillBackground(true);
    box = new TTrackBox(parent.get());
    box->setGeometry(20, 30, 100, 60);
    box->OnTrackChange = [this](bool resized) { changes.push_back(resized); };
    parent->show();
  }
  // Sends one mouse event to the box at its own coordinates.
  void Send(QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, box->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &event);
  }
  void Drag(QPoint from, QPoint to) {
    Send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    Send(QEvent::MouseMove, to, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, to, Qt::NoButton);
  }
  std::unique_ptr<QWidget> parent;
  TTrackBox* box = nullptr;
  std::vector<bool> changes;
};

TEST_F(TrackBoxTest, EightBlackHandlesAndTheFrameOverWhatLiesBeneath) {
  const QImage shot = parent->grab().toImage();
  auto black = [&](int x, int y) { return shot.pixel(20 + x, 30 + y) == qRgb(0, 0, 0); };
  // d = 95, e = 47, f = 55, g = 27: each handle 5 x 5.
  const QPoint corners[8] = {{0, 0}, {47, 0}, {95, 0}, {95, 27}, {95, 55}, {47, 55}, {0, 55}, {0, 27}};
  for (const QPoint& c : corners) {
    for (int dy = 0; dy < 5; ++dy)
      for (int dx = 0; dx < 5; ++dx) EXPECT_TRUE(black(c.x() + dx, c.y() + dy)) << c.x() << "," << c.y();
  }
  EXPECT_FALSE(black(5, 5));
  // The frame line through (2,2), (98,2), (98,58), (2,58).
  EXPECT_TRUE(black(20, 2));
  EXPECT_TRUE(black(98, 40));
  EXPECT_TRUE(black(70, 58));
  EXPECT_TRUE(black(2, 15));
  EXPECT_EQ(shot.pixel(70, 60), qRgb(255, 255, 255));  // the inside shows the parent
  box->SetTrackLineVisible(false);
  EXPECT_NE(parent->grab().toImage().pixel(20 + 20, 30 + 2), qRgb(0, 0, 0));
}

TEST_F(TrackBoxTest, DraggingMovesAndHandlesResize) {
  Drag(QPoint(40, 30), QPoint(50, 25));
  EXPECT_EQ(box->geometry(), QRect(30, 25, 100, 60));
  EXPECT_EQ(changes, std::vector<bool>{false});
  // The bottom-right handle dragged to (120, 80) of the box.
  Drag(QPoint(97, 57), QPoint(120, 80));
  EXPECT_EQ(box->geometry(), QRect(30, 25, 120, 80));
  // The top-left handle moves the corner and keeps the opposite one.
  Drag(QPoint(2, 2), QPoint(10, 20));
  EXPECT_EQ(box->geometry(), QRect(40, 45, 110, 60));
  EXPECT_EQ(changes, (std::vector<bool>{false, true, true}));
  // Without resizing a handle press changes nothing and the cursor stays.
  box->TrackSizeEnable = false;
  Send(QEvent::MouseMove, QPoint(2, 2), Qt::NoButton);
  EXPECT_EQ(box->cursor().shape(), Qt::ArrowCursor);
  Drag(QPoint(2, 2), QPoint(30, 30));
  EXPECT_EQ(box->geometry(), QRect(40, 45, 110, 60));
  box->TrackSizeEnable = true;
  Send(QEvent::MouseMove, QPoint(2, 2), Qt::NoButton);
  EXPECT_EQ(box->cursor().shape(), Qt::SizeFDiagCursor);
}

TEST_F(TrackBoxTest, OverlappingBoxesRiseOnlyWhenPressed) {
  auto* other = new TTrackBox(parent.get());
  other->setGeometry(60, 50, 100, 60);
  other->show();
  QCoreApplication::processEvents();
  parent->grab();  // painting both changes nothing in their order
  EXPECT_EQ(parent->children().indexOf(other), parent->children().size() - 1);
  Send(QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton);
  Send(QEvent::MouseButtonRelease, QPoint(10, 10), Qt::NoButton);
  EXPECT_EQ(parent->children().indexOf(box), parent->children().size() - 1);
}

using TrackBoxObjectTest = test::ObjectFixture;

TEST_F(TrackBoxObjectTest, ChangesRunTheCodeAndTheBoxStaysAtLeastTenSquare) {
  Run("N=0\nT1をトラックとして作成\nT1のサイズは「(10,10,110,70)」\nT1の変更した時は「N=N+1」\n待機\n");
  EXPECT_EQ(Errors(), "");
  auto* box = WidgetOf<TTrackBox>("T1");
  ASSERT_NE(box, nullptr);
  QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, QPoint(97, 57));
  QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), box->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(box, &move);
  QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
  EXPECT_EQ(box->size(), QSize(10, 10));
  EXPECT_EQ(Value("N"), "1");
}

}  // namespace
}  // namespace nura
