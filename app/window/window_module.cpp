// The window module's entry points (app/window_module.h).
#include <QApplication>
#include <QThreadPool>
#include <cstdio>
#include <memory>

#include "app/program_start.h"
#include "app/register_commands.h"
#include "app/window_module.h"
#include "engine/dialogs.h"
#include "gui/fonts.h"
#include "gui/main_window.h"
#include "gui/qt_dialogs.h"
#include "gui/qt_translations.h"
#include "net/editor_link.h"
#include "net/local_link.h"
#include "platform/gui/font_config.h"
#include "platform/gui/qt_window_system.h"

namespace {

// In console mode standard error belongs to the error dialog: Qt's own
// diagnostics are dropped there, all but the critical ones.
void ConsoleMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
  }
}

// The application and the main window of a run taken over in console mode.
std::unique_ptr<QApplication> g_application;
std::unique_ptr<nura::TfrmNura> g_window;

// Before the application exists: the web engine of the browser module,
// loaded later, shares OpenGL contexts.
void PrepareApplication() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

// After it exists: what every window of the program relies on.
void SetUpApplication() {
  QApplication::setQuitOnLastWindowClosed(false);
  nura::InstallQtWindowSystem();
  nura::InstallFontSubstitutes();
  nura::RegisterAllCommands();
}

void LinkEditor(nura::TfrmNura& window) {
  nura::StartEditorLink(window.Engine());
  window.SetEditorSync(nura::SendRowToEditor);
}

}  // namespace

extern "C" int NuraWindowMain(int argc, char** argv) {
  PrepareApplication();
  QApplication application(argc, argv);
  SetUpApplication();
  // Qt's own buttons and dialogs in Japanese, as every text of the system.
  nura::InstallQtTranslations();
  nura::TQtDialogs windowDialogs;
  nura::SetDialogs(&windowDialogs);
  // A self-extractor unpacks the archive it carries instead of a script
  // (its progress window turns the event loop of the window system).
  if (const std::optional<int> extracted = nura::StartProgram(argc, argv)) return *extracted;
  int status = 0;
  {
    nura::TfrmNura window(false);
    windowDialogs.SetParent(&window);
    LinkEditor(window);
    window.eventDoTimer();
    status = window.IsClosed() ? 0 : QApplication::exec();
  }
  nura::ReleaseFontConfiguration();
  return status;
}

extern "C" void NuraTakeOverRun(nura::TNuraEngine* engine, bool shown, int* argc, char** argv) {
  nura::EnginePtr running(engine);
  qInstallMessageHandler(ConsoleMessageHandler);
  PrepareApplication();
  g_application = std::make_unique<QApplication>(*argc, argv);
  // Nothing is shown in console mode: Qt's image helpers (the format
  // conversion when the window's picture is painted) then work in one
  // thread of the pool instead of starting one per processor each run.
  QThreadPool::globalInstance()->setMaxThreadCount(1);
  SetUpApplication();
  g_window = std::make_unique<nura::TfrmNura>(true, std::move(running));
  nura::WatchWaitingLinks();
  LinkEditor(*g_window);
  if (shown) g_window->show();
}

extern "C" int NuraWindowLoop(bool closed) {
  int status = 0;
  if (g_window) {
    if (!closed && !g_window->IsClosed()) status = QApplication::exec();
    g_window.reset();
  }
  nura::ReleaseFontConfiguration();
  g_application.reset();
  return status;
}
