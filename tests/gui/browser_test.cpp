// The browser object on Qt WebEngine (offscreen) with local file:// pages:
// loading, history, and the before-navigation event that may refuse.
#include <QFile>
#include <QWebEngineView>
#include <cstdlib>
#include <optional>
#include <string>
#include <unistd.h>

#include "engine/engine.h"
#include "gui/object_fixture.h"
#include "gui/objects/browser_object.h"
#include "common/run_program.h"

// The web engine frees some of its own objects with a sized delete of
// another size when a page goes; that is its affair, not this program's.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }

namespace nura {
namespace {

class BrowserTest : public test::ObjectFixture {
 protected:
  void SetUp() override {
    // Chromium's sandbox cannot run as root.
    if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    folder = test::MakeTempFolder();
    for (const char* page : {"a", "b", "c"}) {
      QFile file(QString::fromStdString(folder + "/" + page + ".html"));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(QByteArray("<html><head><title>") + page + "</title></head><body>" + page + "</body></html>");
    }
    test::ObjectFixture::SetUp();
  }
  std::string Url(const char* page) { return "file://" + folder + "/" + page + ".html"; }
  std::string folder;
};

TEST_F(BrowserTest, LoadsGoesBackAndARefusedNavigationKeepsThePage) {
  // History steps with no page to go to do nothing.
  Run("Wをブラウザとして作成\nWをブラウザ戻る\nWをブラウザ進む\n"
      "Wのクリックした時は「行き先=ブラウザ移動先URL」\nWのURLは「" + Url("a") + "」\n待機\n");
  auto* view = WidgetOf<QWebEngineView>("W");
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return view->title() == "a"; }, 20000));
  EXPECT_EQ(Value("行き先"), Url("a"));
  THashNode w;
  w.name = "W";
  form->Engine().Objects().SetObjectProperty(form->Engine(), w, "URL", Url("b"));
  ASSERT_TRUE(WaitUntil([&] { return view->title() == "b"; }, 10000));
  EXPECT_EQ(Property("W", "URL"), Url("b"));
  auto* browser = dynamic_cast<TBrowserObject*>(ObjectNamed("W"));
  ASSERT_NE(browser, nullptr);
  browser->Back();
  ASSERT_TRUE(WaitUntil([&] { return view->title() == "a" && Property("W", "テキスト") == Url("a"); }, 10000));
  // Refused: the event still sees where it would have gone.
  form->Engine().Base().words.FindNode(SJ("ブラウザURL移動許可"), false)->SetValue("0");
  form->Engine().Objects().SetObjectProperty(form->Engine(), w, "URL", Url("c"));
  ASSERT_TRUE(WaitUntil([&] { return Value("行き先") == Url("c"); }, 10000));
  QTest::qWait(500);
  EXPECT_EQ(view->title(), "a");
  EXPECT_EQ(Property("W", "URL"), Url("a"));
}

// The timed wait runs the event loop: the page loads while the script
// waits, without "待機".
TEST_F(BrowserTest, APageLoadsDuringATimedWait) {
  Run("Wをブラウザとして作成\nWのURLは「" + Url("a") + "」\n3秒待つ\n");
  auto* view = WidgetOf<QWebEngineView>("W");
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->title(), "a");
}

// Sets (or, with nil, removes) an environment variable for a scope.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~ScopedVariable() {
    if (old_) setenv(name_, old_->c_str(), 1);
    else unsetenv(name_);
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// As root the web engine starts without its sandbox, said once, instead of
// ending the program; an engine that cannot start is a script error and
// the script goes on.
TEST(BrowserAsRoot, AScriptKeepsItsProcess) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root";
  const std::string folder = test::MakeTempFolder();
  test::WriteSjisFile(folder + "/b.nrs",
                      "エラー時にエラー処理設定\nK3をブラウザとして作成\nK4をブラウザとして作成\n「続く」を言う\n終わり\n"
                      "*エラー時\nエラーメッセージを言う\nエラーから復帰\n");
  const ScopedVariable sandbox("QTWEBENGINE_DISABLE_SANDBOX", nullptr);
  // The web engine's own leaks are not this program's.
  const ScopedVariable leaks("ASAN_OPTIONS", "detect_leaks=0");
  const test::ProgramResult started = test::RunProgram({"b.nrs"}, folder);
  EXPECT_EQ(started.status, 0) << started.err;
  EXPECT_EQ(started.out, "続く\n");
  EXPECT_EQ(Occurrences(started.err, "without its sandbox"), 1u) << started.err;
  EXPECT_EQ(started.err.find("--no-sandbox"), std::string::npos) << started.err;

  const ScopedVariable missing("QTWEBENGINEPROCESS_PATH", "/nonexistent/QtWebEngineProcess");
  const test::ProgramResult failed = test::RunProgram({"b.nrs"}, folder);
  EXPECT_EQ(failed.status, 0) << failed.err;
  EXPECT_EQ(Occurrences(failed.out, "ブラウザを作成できません。(QtWebEngineProcessが見つかりません)"), 2u) << failed.out;
  EXPECT_NE(failed.out.find("続く\n"), std::string::npos) << failed.out;
}

}  // namespace
}  // namespace nura
