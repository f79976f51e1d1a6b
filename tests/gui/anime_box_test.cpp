// The animated picture on real widgets (offscreen): frames and repeats, the
// button modes, and the object made by a script.
#include <QImage>
#include <QTest>

#include "gui/anime_box.h"
#include "gui/object_fixture.h"
#include "common/run_program.h"

namespace nura {
namespace {

QImage Filled(QRgb colour) {
  QImage image(20, 10, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

class AnimeBoxTest : public test::ObjectFixture {
 protected:
  // A shown box with three frames, red, green and blue.
  TAnimeBox& ThreeFrames() {
    box = std::make_unique<TAnimeBox>(nullptr);
    for (QRgb c : {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)}) box->AddFrame(Filled(c));
    box->show();
    return *box;
  }
  QRgb Pixel(QPoint at = QPoint(5, 5)) { return box->grab().toImage().pixel(at); }
  std::unique_ptr<TAnimeBox> box;
};

TEST_F(AnimeBoxTest, ThreeFramesRepeatedTwiceShowEachTwiceAndStopOnFrameZero) {
  TAnimeBox& b = ThreeFrames();
  b.SetRepeatTime(2);
  b.Start();
  std::vector<int> seen{b.FrameIndex()};
  while (b.AutoStart() && seen.size() < 20) {
    b.NextFrame();
    seen.push_back(b.FrameIndex());
  }
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 0, 1, 2, -1}));
  EXPECT_EQ(Pixel(), qRgb(255, 0, 0));
  EXPECT_EQ(b.RepeatTime(), 0);
  // Started again without a new count it plays without end, on its timer.
  b.SetInterval(5);
  b.Start();
  QTest::qWait(100);
  EXPECT_TRUE(b.AutoStart());
  b.Stop();
}

TEST_F(AnimeBoxTest, TheButtonModeInvertsAndHoldsTheFrameWhilePressed) {
  TAnimeBox& b = ThreeFrames();
  b.SetUseButton(true);
  b.Start();
  b.NextFrame();
  ASSERT_EQ(Pixel(), qRgb(0, 255, 0));
  QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(Pixel(), qRgb(255, 0, 255));  // green XOR white
  b.NextFrame();
  EXPECT_EQ(b.FrameIndex(), 1);
  QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(Pixel(), qRgb(0, 255, 0));
}

TEST_F(AnimeBoxTest, HoverModeWrapsToFrameOneOnlyWithTwoFramesOrMore) {
  box = std::make_unique<TAnimeBox>(nullptr);
  box->AddFrame(Filled(qRgb(1, 2, 3)));
  box->SetUseButton2(true);
  box->Start();
  box->NextFrame();
  EXPECT_EQ(box->FrameIndex(), 0);
  box->AddFrame(Filled(qRgb(4, 5, 6)));
  box->NextFrame();
  box->NextFrame();
  EXPECT_EQ(box->FrameIndex(), 1);
}

TEST_F(AnimeBoxTest, AScriptLoadsFramesFromFilesAndClicksOnThePress) {
  const std::string dir = test::MakeTempFolder();
  Filled(qRgb(255, 0, 0)).save(QString::fromStdString(dir + "/a.bmp"));
  Filled(qRgb(0, 0, 255)).save(QString::fromStdString(dir + "/b.bmp"));
  Run("Aをアニメとして作成\nAの画像は「" + dir + "/a.bmp\n" + dir + "/b.bmp」\nAの繰り返し回数は3\n"
      "Aのボタン機能は1\nAのクリックした時は「N=N+1」\n待機\n");
  auto* anime = WidgetOf<TAnimeBox>("A");
  ASSERT_NE(anime, nullptr);
  EXPECT_EQ(anime->FrameCount(), 2);
  EXPECT_EQ(anime->size(), QSize(20, 10));
  EXPECT_TRUE(anime->AutoStart());
  EXPECT_EQ(Property("A", "繰り返し回数"), "3");
  EXPECT_EQ(Property("A", "ボタン機能"), "1");
  EXPECT_EQ(Property("A", "値"), "300");
  QTest::mousePress(anime, Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_EQ(Value("N"), "1");
  QTest::mouseRelease(anime, Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_EQ(Value("N"), "1");
}

}  // namespace
}  // namespace nura
