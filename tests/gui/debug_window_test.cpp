// The debugger window: its caption, line, grid and filters on a real run,
// and the main window's debugger answered by the dialog responder.
#include "gui/debug_window.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <gtest/gtest.h>

#include "app/register_commands.h"
#include "engine/command_line.h"
#include "engine/engine.h"
#include "engine/vocabulary.h"
#include "gui/dialog_responder.h"
#include "gui/main_window.h"
#include "gui/str_sort_grid.h"
#include "net/editor_link.h"
#include "net/local_link.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"
#include "common/qt_app.h"
#include "common/run_program.h"

namespace nura {
namespace {

QString Q(const char* utf8) { return SjisToQString(SJ(utf8)); }

// The grid row whose name is `name`; -1 when none.
int RowNamed(TStrSortGrid& grid, const char* utf8) {
  for (int r = 1; r < grid.RowCount(); ++r) {
    if (grid.GetCell(0, r) == SJ(utf8)) return r;
  }
  return -1;
}

TEST(DebugWindow, ShowsTheLineTheHeaderAndTheVariablesByLevel) {
  test::EnsureQtApplication();
  RegisterAllCommands();
  TNuraEngine engine;
  engine.SetRegistrationHook([](TNuraEngine& e) { RegisterBuiltinWords(e); });
  engine.PrepareRun(SJ("A=1\r\nB=「x」\r\n"), "t.nrs");
  engine.Run();
  auto hash = engine.Base().words.AddNode(
      std::make_unique<THashNode>("H", false, kWordHash, 0, SJ("ハッシュ"), SJ("ハッシュ"), ""));
  hash->SetHash(std::make_shared<THash>());
  hash->Hash()->LoadFromText("k=10\r\nm=x");

  TfrmDebug form(nullptr);
  EXPECT_EQ(form.windowTitle(), Q("デバッグダイアログ"));
  form.Prepare(engine);
  EXPECT_TRUE(form.Label2->text().startsWith(Q("現在の実行行:")));
  EXPECT_TRUE(form.memLine->toPlainText().startsWith("0:A=1"));
  TStrSortGrid& grid = *form.grdVar;
  ASSERT_EQ(grid.ColCount(), 4);
  EXPECT_EQ(SjisToUtf8(grid.GetCell(0, 0)), "名前");
  EXPECT_EQ(SjisToUtf8(grid.GetCell(1, 0)), "値");
  EXPECT_EQ(SjisToUtf8(grid.GetCell(2, 0)), "型");
  EXPECT_EQ(SjisToUtf8(grid.GetCell(3, 0)), "宣言レベル");
  EXPECT_EQ(form.edtTagLevel->text(), "0");
  EXPECT_GE(RowNamed(grid, "A"), 1);
  EXPECT_GE(RowNamed(grid, "それ"), 1);
  EXPECT_EQ(RowNamed(grid, "ダイアログ初期値"), -1);  // a system variable, level -1
  const int h = RowNamed(grid, "H");
  ASSERT_GE(h, 1);
  EXPECT_EQ(grid.GetCell(1, h), "k=10\r\nm=x");
  const int rows = grid.RowCount();

  form.chkViewIniVar->setChecked(true);
  EXPECT_EQ(form.edtTagLevel->text(), "");
  EXPECT_GT(grid.RowCount(), rows);
  EXPECT_GE(RowNamed(grid, "ダイアログ初期値"), 1);
  form.chkViewIniVar->setChecked(false);
  EXPECT_EQ(form.edtTagLevel->text(), "0");
  EXPECT_EQ(grid.RowCount(), rows);

  form.edtFind->setText("B");
  form.btnSerch->click();
  EXPECT_EQ(grid.SelectedRow(), RowNamed(grid, "B"));
  form.done(QDialog::Accepted);
  EXPECT_EQ(grid.RowCount(), 1);  // the header row alone
  EXPECT_TRUE(form.memLine->toPlainText().isEmpty());
}

TEST(DebugWindow, StepsLineByLineAndEndsTheProgram) {
  test::EnsureQtApplication();
  RegisterAllCommands();
  const auto cwd = std::filesystem::current_path();
  const std::string dir = test::MakeTempFolder();
  test::WriteSjisFile(dir + "/d.nrs", "A=1\r\nDEBUG\r\nB=2\r\nC=3\r\n");
  ProgramCommandLine() = TCommandLine();
  ProgramCommandLine().Parse({dir + "/d.nrs"});
  TfrmNura form(false);
  QStringList lines;
  test::RespondToModal([&](QWidget* dialog) {
    auto* debug = dynamic_cast<TfrmDebug*>(dialog);
    ASSERT_NE(debug, nullptr);
    lines << debug->Label2->text();
    debug->btnEveryLineStop->click();
    test::RespondToModal([&lines](QWidget* again) {
      auto* next = dynamic_cast<TfrmDebug*>(again);
      ASSERT_NE(next, nullptr);
      lines << next->Label2->text();
      next->btnClose->click();
    });
  });
  form.eventDoTimer();
  EXPECT_EQ(lines, (QStringList{Q("現在の実行行:1"), Q("現在の実行行:2")}));
  EXPECT_TRUE(form.IsClosed());
  EXPECT_EQ(form.Engine().Base().words.FindValue("C", false), "");  // never reached
  std::filesystem::current_path(cwd);
  std::filesystem::remove_all(dir);
}

// "エディタと同期" reaches the editor over the real link as the program
// wires it; without an editor nothing is reported.
TEST(DebugWindow, EditorSyncSendsTheRowToTheEditor) {
  test::EnsureQtApplication();
  RegisterAllCommands();
  const auto cwd = std::filesystem::current_path();
  const std::string dir = test::MakeTempFolder();
  setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  test::WriteSjisFile(dir + "/d.nrs", "A=1\r\nDEBUG\r\nB=2\r\n");
  ProgramCommandLine() = TCommandLine();
  ProgramCommandLine().Parse({dir + "/d.nrs"});
  TfrmNura form(false);
  form.SetEditorSync(SendRowToEditor);
  std::vector<std::string> received;
  auto editor = std::make_unique<TLocalLinkServer>();
  ASSERT_TRUE(editor->Listen("nurapad", "command", [&](const std::string& m) { received.push_back(m); }));
  test::RespondToModal([&](QWidget* dialog) {
    auto* debug = dynamic_cast<TfrmDebug*>(dialog);
    ASSERT_NE(debug, nullptr);
    debug->btnEditorSync->click();
    editor.reset();
    debug->btnEditorSync->click();  // no editor: nothing happens
    debug->btnOK->click();
  });
  form.eventDoTimer();
  EXPECT_EQ(received, std::vector<std::string>{"row 2"});
  EXPECT_EQ(form.Engine().Base().words.FindValue("B", false), "2");  // the run went on
  std::filesystem::current_path(cwd);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace nura
