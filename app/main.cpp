// The program: finds its script, runs it in the main window, and enters
// the message loop. Without a display it runs in console mode.
#include <QApplication>
#include <QThreadPool>
#include <cstdio>
#include <string>
#include <vector>

#include "app/register_commands.h"
#include "archive/self_extractor.h"
#include "engine/command_line.h"
#include "engine/dialogs.h"
#include "gui/fonts.h"
#include "gui/main_window.h"
#include "gui/qt_dialogs.h"
#include "gui/qt_translations.h"
#include "net/editor_link.h"
#include "platform/console_mode.h"
#include "platform/font_list.h"
#include "platform/sjis.h"

namespace {

// In console mode standard error belongs to the error dialog: Qt's own
// diagnostics are dropped there, all but the critical ones.
void ConsoleMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
  }
}

// Runs the script of the command line in the main window; the exit status.
int RunProgram(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(nura::Utf8ToSjis(argv[i]));
  nura::TCommandLine& commandLine = nura::ProgramCommandLine();
  commandLine.programPath = QCoreApplication::applicationFilePath().toStdString();
  commandLine.Parse(args);

  const bool console = nura::IsConsoleMode();
  nura::TQtDialogs windowDialogs;
  if (!console) nura::SetDialogs(&windowDialogs);
  // A self-extractor unpacks the archive it carries instead of a script.
  int extracted = 0;
  if (nura::RunCarriedSelfExtractor(commandLine.programPath,
                                    std::vector<std::string>(argv + 1, argv + argc), extracted))
    return extracted;
  nura::RegisterAllCommands();

  nura::TfrmNura form(console);
  windowDialogs.SetParent(&form);
  nura::StartEditorLink(form.Engine());
  form.SetEditorSync(nura::SendRowToEditor);
  form.eventDoTimer();
  int status = form.IsClosed() ? 0 : QApplication::exec();
  if (console && nura::ConsoleRunFailed()) status = 1;
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  nura::ChooseQtPlatform();
  if (nura::WillBeConsoleMode()) qInstallMessageHandler(ConsoleMessageHandler);
  // The web engine of the browser module, loaded later, shares OpenGL
  // contexts, which must be chosen before the application exists.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  // Nothing is shown in console mode: Qt's image helpers (the format
  // conversion when the window's picture is painted) then work in one
  // thread of the pool instead of starting one per processor each run.
  if (nura::IsConsoleMode()) QThreadPool::globalInstance()->setMaxThreadCount(1);
  nura::InstallFontSubstitutes();
  // Qt's own buttons and dialogs in Japanese, as every text of the system
  // (in console mode none of them is shown).
  if (!nura::IsConsoleMode()) nura::InstallQtTranslations();
  const int status = RunProgram(argc, argv);
  nura::ReleaseFontConfiguration();
  return status;
}
