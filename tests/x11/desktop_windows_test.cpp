// The window commands on a real X server (run under xvfb-run) with another
// program's window beside ours: "ウインドウ列挙" lists it, "アクティブ"
// brings it to the front, "キー送信" types into its edit box and
// "窓キャプチャー" copies its pixels; a form of the script is captured by
// its title.
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include "gui/object_fixture.h"
#include "platform/gui/desktop_windows.h"
#include "platform/gui/qt_window_system.h"

// Xlib after Qt, whose names its macros would spoil.
#include <X11/Xlib.h>

namespace nura {
namespace {

class DesktopWindows : public test::ObjectFixture {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != "xcb" || !DesktopWindowsReachable()) GTEST_SKIP() << "no X server";
    ObjectFixture::SetUp();
    form->show();
    peer.setProgram(NURA_X11_PEER);
    peer.setArguments({QString::fromUtf8("相手の窓")});
    peer.start();
    ASSERT_TRUE(peer.waitForStarted());
    ASSERT_TRUE(WaitForLine("ready"));
  }
  void TearDown() override {
    if (peer.state() == QProcess::NotRunning) return;
    peer.closeWriteChannel();
    if (!peer.waitForFinished(3000)) peer.kill(), peer.waitForFinished();
  }
  // Reads the peer's lines until one equals `line` (at most 5 seconds).
  bool WaitForLine(const QString& line) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
      while (peer.canReadLine()) {
        const QString got = QString::fromUtf8(peer.readLine()).trimmed();
        lines << got;
        if (got == line) return true;
      }
      QTest::qWait(20);
    }
    return false;
  }
  QProcess peer;
  QStringList lines;
};

TEST_F(DesktopWindows, AnotherProgramsWindowIsListedActivatedTypedIntoAndCaptured) {
  Run("ウインドウ列挙\nA=それ\n");
  EXPECT_NE(Value("A").find("相手の窓\r\n"), std::string::npos) << Value("A");
  EXPECT_NE(Value("A").find("ぬらせら\r\n"), std::string::npos) << Value("A");

  // Ours first (a window manager gives the new window the focus), then
  // theirs: a title's beginning is enough when no window has the whole
  // title.
  Run("「ぬらせら」をアクティブ\n");
  EXPECT_TRUE(WaitUntil([this] { return form->isActiveWindow(); }));
  QTest::qWait(100);
  while (peer.canReadLine()) lines << QString::fromUtf8(peer.readLine()).trimmed();
  Run("「相手の」をアクティブ\n");
  EXPECT_TRUE(WaitForLine("active")) << lines.join("|").toStdString();
  EXPECT_TRUE(WaitUntil([this] { return !form->isActiveWindow(); }));

  Run("「相手の窓」に「ab+(cd)1{BS}2~あ」をキー送信\n");
  EXPECT_TRUE(WaitForLine("text:abCD2あ")) << lines.join("|").toStdString();
  // CTRL+A selects the whole text, DELETE removes it, then a key repeated.
  Run("「相手の窓」に『^a{DEL}{z 3}』をキー送信\n");
  EXPECT_TRUE(WaitForLine("text:zzz")) << lines.join("|").toStdString();

  // The picture of its client area: red around the edit box.
  form->img->Bitmap().Fill(0x000000);
  Run("母艦へ「相手の窓」を窓キャプチャー\n");
  EXPECT_EQ(form->img->Bitmap().PixelColour(230, 150), 0x0000FFu);
  EXPECT_EQ(form->img->Bitmap().PixelColour(300, 300), 0x000000u);  // beyond its size: untouched

  // A window nobody has: nothing happens, without an error.
  Run("「誰もいない窓」をアクティブ\n母艦へ「誰もいない窓」を窓キャプチャー\n");
  EXPECT_EQ(Errors(), "");
}

TEST_F(DesktopWindows, AFormOfTheScriptIsCapturedByItsTitle) {
  Run("Fをフォームとして作成\nFのタイトルは「緑の窓」\nFの背景色は$00FF00\nFの可視は1\n"
      "母艦へ「緑の窓」を窓キャプチャー\n");
  EXPECT_EQ(Errors(), "");
  EXPECT_EQ(form->img->Bitmap().PixelColour(20, 20), 0x00FF00u);
}

}  // namespace
}  // namespace nura

// Whether a window manager has announced itself on the root window.
bool WindowManagerRuns() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool found = XGetWindowProperty(display, DefaultRootWindow(display),
                                        XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False,
                                        AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
                     count > 0;
  if (data) XFree(data);
  XCloseDisplay(display);
  return found;
}

// With NURA_X11_WM set (a window manager's program), the tests run under
// that window manager, which reports the active window and lists clients.
int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  QApplication app(argc, argv);
  nura::InstallQtWindowSystem();
  ::testing::InitGoogleTest(&argc, argv);
  QProcess manager;
  if (const char* wm = std::getenv("NURA_X11_WM")) {
    manager.start(QString::fromUtf8(wm), {});
    if (!manager.waitForStarted()) return 77;
    for (int i = 0; i < 100 && !WindowManagerRuns(); ++i) QTest::qWait(50);
    if (!WindowManagerRuns()) return 1;
  }
  const int result = RUN_ALL_TESTS();
  if (manager.state() != QProcess::NotRunning) manager.kill(), manager.waitForFinished();
  return result;
}
