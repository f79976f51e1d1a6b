// The error window and the progress window.
#include "gui/run_windows.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

#include "engine/command_line.h"
#include "gui/dialog_responder.h"
#include "gui/qt_dialogs.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"
#include "common/qt_app.h"

namespace nura {
namespace {

TEST(ErrorWindow, ShowsTheLogAndHandsBackTheChoice) {
  test::EnsureQtApplication();
  ProgramCommandLine() = TCommandLine();
  ProgramCommandLine().debug = true;
  TQtDialogs dialogs;
  TfrmError& form = dialogs.ErrorWindow();
  ProgramCommandLine() = TCommandLine();
  // The designed size at least; more where the captions need it.
  EXPECT_GE(form.width(), 514);
  EXPECT_GE(form.height(), 159);
  EXPECT_EQ(form.windowTitle(), SjisToQString(SJ("実行中にエラーが発生しました。")));
  EXPECT_TRUE(form.memMsg->isReadOnly());

  test::RespondToModal([&](QWidget*) {
    EXPECT_EQ(form.memMsg->toPlainText(), SjisToQString(SJ("[エラー] 一行目\n二行目")));
    EXPECT_TRUE(form.btnDebug->isVisible());
    form.btnOk->click();
  });
  EXPECT_EQ(dialogs.ShowErrorDialog(SJ("[エラー] 一行目\r\n二行目")), ErrorChoice::Continue);
  test::RespondToModal([&](QWidget*) { form.btnDebug->click(); });
  EXPECT_EQ(dialogs.ShowErrorDialog("e"), ErrorChoice::Debugger);
  test::RespondToModal([&](QWidget*) { form.btnCancel->click(); });
  EXPECT_EQ(dialogs.ShowErrorDialog("e"), ErrorChoice::End);
  test::RespondToModal([](QWidget* dialog) { dialog->close(); });
  EXPECT_EQ(dialogs.ShowErrorDialog("e"), ErrorChoice::End);
}

TEST(ErrorWindow, HasNoDebugButtonWithoutTheDebugOption) {
  test::EnsureQtApplication();
  TfrmError form(false, nullptr);
  test::RespondToModal([&](QWidget*) {
    EXPECT_FALSE(form.btnDebug->isVisible());
    form.btnOk->click();
  });
  form.exec();
  EXPECT_TRUE(form.continueRun);
  EXPECT_FALSE(form.debug);
}

TEST(ProgressWindow, StopIsEnabledOnlyWithACallback) {
  test::EnsureQtApplication();
  TfrmProg form;
  EXPECT_GE(form.width(), 318);
  EXPECT_GE(form.height(), 47);
  EXPECT_EQ(form.lblMsg->text(), "---");
  EXPECT_EQ(form.progBar->minimum(), 0);
  EXPECT_EQ(form.progBar->maximum(), 100);
  form.show();
  EXPECT_FALSE(form.btnStop->isEnabled());
  form.hide();
  int stops = 0;
  form.onStop = [&stops] { ++stops; };
  form.show();
  EXPECT_TRUE(form.btnStop->isEnabled());
  form.btnStop->click();
  EXPECT_EQ(stops, 1);
  form.hide();
}

TEST(ProgressWindow, ShownAndUpdatedThroughTheDialogHost) {
  test::EnsureQtApplication();
  TQtDialogs dialogs;
  int stops = 0;
  dialogs.ShowProgress(SJ("接続中"), 150, [&stops] { ++stops; });
  TfrmProg& form = dialogs.ProgressWindow();
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.lblMsg->text(), SjisToQString(SJ("接続中")));
  EXPECT_EQ(form.progBar->value(), 100);
  form.btnStop->click();
  EXPECT_EQ(stops, 1);
  dialogs.ShowProgress("x", 40, nullptr);
  EXPECT_FALSE(form.btnStop->isEnabled());
  EXPECT_EQ(form.progBar->value(), 40);
  dialogs.HideProgress();
  EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace nura
