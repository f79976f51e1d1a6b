// "待つ" on the main window: the event loop runs for the whole wait, the
// wait keeps its length, and a close request ends it at once.
#include <QElapsedTimer>
#include <QTimer>

#include "gui/object_fixture.h"

namespace nura {
namespace {

using TimedWaitTest = test::ObjectFixture;

TEST_F(TimedWaitTest, LastsItsTimeWhileTimersKeepFiring) {
  int ticks = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
  tick.start(10);
  QElapsedTimer clock;
  clock.start();
  Run("0.3秒待つ\n");
  const qint64 took = clock.elapsed();
  EXPECT_GE(took, 300);
  EXPECT_LT(took, 2000);
  // A sleep between single passes of the queue would let only a few through.
  EXPECT_GE(ticks, 10);
  // Nothing to wait for: it still returns.
  clock.restart();
  Run("0秒待つ\n-1秒待つ\n");
  EXPECT_LT(clock.elapsed(), 500);
}

TEST_F(TimedWaitTest, ACloseRequestEndsTheWaitAtOnce) {
  QElapsedTimer clock;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (clock.isValid() || Value("N") != "1") return;
    clock.start();
    form->CloseMainWindow();
  });
  poll.start(10);
  Run("N=1\n10秒待つ\nN=2\n");
  ASSERT_TRUE(clock.isValid());
  EXPECT_LT(clock.elapsed(), 1000);
  EXPECT_EQ(Value("N"), "1");
}

}  // namespace
}  // namespace nura
