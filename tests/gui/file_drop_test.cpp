// File drops: whole paths of local files reach the receiver and the
// object's event, URLs of other kinds are skipped, one receiver serves a
// control however often reception is switched on, and a receiver outlives
// its control safely.
#include "gui/file_drop.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

#include "object_fixture.h"
#include "common/qt_app.h"

namespace nura {
namespace {

// Drags `urls` over `target` and drops them at (7, 4); true when the drag
// was accepted.
bool DropOn(QWidget* target, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(7, 4), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(7, 4), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
  return enter.isAccepted();
}

const QString kLongPath = "/tmp/" + QString(300, 'x') + "/a.txt";

TEST(FileDrop, WholeLocalPathsWithTheDropPoint) {
  test::EnsureQtApplication();
  QWidget edit;
  TFileDrop receiver;
  QStringList got;
  QPoint at;
  receiver.OnFileDrop = [&](int num, const QStringList& files, int x, int y) {
    EXPECT_EQ(num, files.size());
    got = files;
    at = QPoint(x, y);
  };
  receiver.SetControl(&edit);
  EXPECT_TRUE(edit.acceptDrops());
  EXPECT_TRUE(DropOn(&edit, {QUrl::fromLocalFile(kLongPath), QUrl("https://example.invalid/x"),
                             QUrl::fromLocalFile("/tmp/b c.txt")}));
  EXPECT_EQ(got, (QStringList{kLongPath, "/tmp/b c.txt"}));
  EXPECT_EQ(at, QPoint(7, 4));
  got.clear();
  EXPECT_FALSE(DropOn(&edit, {QUrl("https://example.invalid/x")}));
  EXPECT_TRUE(got.isEmpty());
  receiver.SetAccept(false);
  EXPECT_FALSE(edit.acceptDrops());
  EXPECT_FALSE(DropOn(&edit, {QUrl::fromLocalFile("/tmp/a")}));
  receiver.SetAccept(true);
  EXPECT_TRUE(DropOn(&edit, {QUrl::fromLocalFile("/tmp/a")}));
}

TEST(FileDrop, AControlFreedFirstTurnsTheReceiverOff) {
  test::EnsureQtApplication();
  TFileDrop receiver;
  {
    QWidget edit;
    receiver.SetControl(&edit);
  }
  EXPECT_EQ(receiver.Control(), nullptr);
  EXPECT_FALSE(receiver.Accept());
  EXPECT_THROW(TFileDrop().SetControl(nullptr), std::runtime_error);  // no window to watch
}

using FileDropObjectTest = test::ObjectFixture;

TEST_F(FileDropObjectTest, TwoFilesReachTheEventOnceHoweverOftenReceptionIsSet) {
  Run("N=0\nE1をエディタとして作成\nE1のファイルドロップは1\nE1のファイルドロップは1\n"
      "E1のファイルドロップした時は「N=N+1」\n待機\n");
  EXPECT_EQ(Errors(), "");
  auto* edit = WidgetOf<QLineEdit>("E1");
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(DropOn(edit, {QUrl::fromLocalFile(kLongPath), QUrl::fromLocalFile("/tmp/b.txt")}));
  EXPECT_EQ(Value("N"), "1");
  EXPECT_EQ(Value("イベントの値"), kLongPath.toStdString() + "\r\n/tmp/b.txt");
}

TEST_F(FileDropObjectTest, ReceptionOffStopsTheDrops) {
  Run("E1をエディタとして作成\nE1のファイルドロップは1\nE1のファイルドロップは0\n待機\n");
  auto* edit = WidgetOf<QLineEdit>("E1");
  ASSERT_NE(edit, nullptr);
  EXPECT_FALSE(DropOn(edit, {QUrl::fromLocalFile("/tmp/a.txt")}));
  EXPECT_EQ(edit->text(), "");
}

}  // namespace
}  // namespace nura
