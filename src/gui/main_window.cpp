#include "gui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>
#include <cmath>
#include <filesystem>

#include "engine/command_api.h"
#include "engine/command_line.h"
#include "engine/console_debugger.h"
#include "engine/dialogs.h"
#include "engine/errors.h"
#include "engine/event_sources.h"
#include "engine/program_start.h"
#include "engine/vocabulary.h"
#include "gui/debug_window.h"
#include "gui/objects/gui_object.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {

// ---- main window ----

TfrmNura::TfrmNura(bool consoleMode) : TfrmNura(consoleMode, MakeEngine(), true) {}

TfrmNura::TfrmNura(bool consoleMode, EnginePtr running) : TfrmNura(consoleMode, std::move(running), false) {}

TfrmNura::TfrmNura(bool consoleMode, EnginePtr engine, bool fresh)
    : engine_(std::move(engine)), console_(consoleMode) {
  SetHost(*engine_, this);
  SetObjectHost(*engine_, &objects_);
  SetRegistrationHook(*engine_, [](TNuraEngine& e) { RegisterBuiltinWords(e); });
  FormCreate(fresh);
}

TfrmNura::~TfrmNura() { FormDestroy(); }

void TfrmNura::FormCreate(bool fresh) {
  setWindowTitle(SjisToQString(SJ("ぬらせら")));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
  setAutoFillBackground(true);
  auto* client = new QWidget(this);
  setCentralWidget(client);
  img = new TPictureBox(client, 632, 453);
  img->setObjectName("img");
  SetDrawingHost(*engine_, img);
  if (const PictureCodecsFactory& factory = GetPictureCodecsFactory()) codecs_ = factory();
  resize(640, 400);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
  }
  eventDo.setSingleShot(true);
  eventDo.setInterval(1);
  NuraTimer.setSingleShot(true);
  ObjDelTimer.setSingleShot(true);
  ObjDelTimer.setInterval(1);
  connect(&eventDo, &QTimer::timeout, this, [this] { eventDoTimer(); });
  connect(&NuraTimer, &QTimer::timeout, this, [this] { NuraTimerTimer(); });
  connect(&ObjDelTimer, &QTimer::timeout, this, [this] { ObjDelTimerTimer(); });
  QApplication::setApplicationName(SjisToQString(SJ("ぬらせら")));
  if (fresh) {
    LoadStartProgram(*engine_, ProgramCommandLine(), source_);
    return;
  }
  // The run goes on: the script's main window is this one from now on.
  firstRun_ = false;
  LoadCodecPlugins();
  AttachMainWindowObject(*engine_);
}

void TfrmNura::LoadCodecPlugins() {
  const std::string program = ProgramCommandLine().programPath;
  if (codecs_ && !program.empty()) {
    codecs_->LoadPlugins(std::filesystem::path(program).parent_path().string() + "/");
  }
}

void TfrmNura::eventDoTimer() {
  eventDo.stop();
  if (firstRun_) {
    firstRun_ = false;
    LoadCodecPlugins();
    ProcessEvents();
  }
  quietStart_ = console_;
  const bool ready = PrepareStartRun(*engine_, source_);
  quietStart_ = false;
  if (!ready) {
    CloseMainWindow();
    return;
  }
  RunStartProgram(*engine_);
  FinishIfIdle();
}

// In console mode the program ends when a run has ended and nothing can
// re-enter the script any more.
void TfrmNura::FinishIfIdle() {
  if (closed_ || !console_) return;
  if (RunActive(*engine_)) return;
  if (EventSourceCount() > 0) return;
  CloseMainWindow();
}

void TfrmNura::ShowMainWindow() {
  if (!isVisible()) show();
  ProcessEvents();
}

bool TfrmNura::CloseMainWindow() {
  if (closed_) return true;
  if (!FormCloseQuery()) return false;
  closed_ = true;
  hide();
  QCoreApplication::exit(0);
  return true;
}

void TfrmNura::closeEvent(QCloseEvent* event) {
  if (closed_) {
    event->accept();
    return;
  }
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  closed_ = true;
  event->accept();
  QCoreApplication::exit(0);
}

// The close request: the shutdown label runs once; "終了不可能" = "1"
// afterwards keeps the window open and the interrupted run goes on.
bool TfrmNura::FormCloseQuery() { return AnswerCloseRequest(*engine_); }

void TfrmNura::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  StopScriptTimer();
  if (tray_) tray_->hide();
  FreeDestroyedObjects();
  codecs_.reset();
}

void TfrmNura::ProcessEvents() {
  if (!quietStart_) QCoreApplication::processEvents();
}

// Blocks in the event queue until an event comes; a precise timer, set
// again for what is left each time round, wakes it at the deadline. A
// close request or a stopped run ends the wait after the event that did it.
void TfrmNura::WaitForEvents(int milliseconds) {
  const QDeadlineTimer deadline(milliseconds, Qt::PreciseTimer);
  QTimer wake;
  wake.setSingleShot(true);
  wake.setTimerType(Qt::PreciseTimer);
  for (qint64 left = deadline.remainingTime(); left > 0 && !closed_ && !StopRequested(*engine_);
       left = deadline.remainingTime()) {
    wake.start(static_cast<int>(left));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}

// ---- the script timer ----

void TfrmNura::SetScriptTimer(int milliseconds, const TextPos& target) {
  timerTarget_ = target;
  if (!timerCounted_) {
    AddEventSource();
    timerCounted_ = true;
  }
  NuraTimer.start(milliseconds);
}

void TfrmNura::StopScriptTimer() {
  NuraTimer.stop();
  timerTarget_.Reset();
  if (timerCounted_) {
    RemoveEventSource();
    timerCounted_ = false;
  }
}

void TfrmNura::NuraTimerTimer() {
  const TextPos target = timerTarget_;
  StopScriptTimer();
  if (!target || closed_) return;
  try {
    RunTimerTarget(*engine_, target);
  } catch (const std::exception&) {
    // reported by the run loop
  }
  FinishIfIdle();
}

// ---- deferred destruction ----

void TfrmNura::QueueForDestruction(std::unique_ptr<TObjNode> node) {
  if (TGuiObject* object = GuiObjectOf(node->Control())) object->Widget()->hide();
  deleteQueue_.push_back(std::move(node));
}

void TfrmNura::AfterIdle() {
  if (deleteQueue_.size() >= 2) ObjDelTimer.start();
  FinishIfIdle();
}

void TfrmNura::ObjDelTimerTimer() {
  ObjDelTimer.stop();
  FreeDestroyedObjects();
  ProcessEvents();
}

// Freeing a node frees its control; a control already freed with its
// container is skipped by its guarded pointer.
void TfrmNura::FreeDestroyedObjects() { deleteQueue_.clear(); }


// ---- window style and tray ----

void TfrmNura::SetMainWindowBorderStyle(int style) {
  Qt::WindowFlags flags = Qt::Window;
  switch (style) {
    case 0: flags |= Qt::FramelessWindowHint; break;
    case 3: flags = Qt::Dialog; break;
    case 4:
    case 5: flags = Qt::Tool; break;
    default: break;
  }
  const bool visible = isVisible();
  setWindowFlags(flags);
  if (visible) show();
}

void TfrmNura::ShowTrayIcon(bool show) {
  if (show) HideToTray();
  else RestoreFromTray();
}

// ---- debugger ----

bool TfrmNura::ShowDebugger(TNuraEngine& engine) {
  if (console_) return RunConsoleDebugger(engine);
  if (!debugWindow_) debugWindow_ = std::make_unique<TfrmDebug>(this);
  debugWindow_->Prepare(engine);
  debugWindow_->exec();
  return debugWindow_->aborted;
}

void TfrmNura::SetTrayIcon(const QIcon& icon) {
  if (!tray_) return;
  tray_->setIcon(icon);
  tray_->setToolTip(windowTitle().left(63));
}

// Without a notification area (offscreen, many Linux desktops) a hidden
// window could never come back: it is minimised instead.
void TfrmNura::HideToTray() {
  if (TrayShown(*engine_)) return;
  SetTrayShown(*engine_, true);
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    showMinimized();
    return;
  }
  hide();
  if (!tray_) {
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { TrayActivated(reason); });
  }
  tray_->setToolTip(windowTitle().left(63));
  tray_->show();
}

void TfrmNura::RestoreFromTray() {
  if (!TrayShown(*engine_)) return;
  SetTrayShown(*engine_, false);
  if (tray_) tray_->hide();
  showNormal();
}

// A left click on the icon is the main window's click; a right click asks
// whether to end. Either brings the program to the front.
void TfrmNura::TrayActivated(int reason) {
  if (reason == QSystemTrayIcon::Trigger) {
    objects_.PlainEvent(0, kSlotClick);
  } else if (reason == QSystemTrayIcon::Context && Dialogs().AskYesNo(SJ("終了しますか？"), "")) {
    CloseMainWindow();
    return;
  }
  raise();
  activateWindow();
}

TfrmNura* WindowOf(TNuraEngine& engine) { return dynamic_cast<TfrmNura*>(&EngineHost(engine)); }

// ---- the window's own commands ----

namespace {

// "タイマー設定" ("?秒後に,?へ飛ぶ"): seconds, label.
void CmdSetTimer(TNuraEngine& engine, CommandId) {
  const std::string label = PopText(engine);
  const long double seconds = PopNumber(engine);
  TfrmNura* form = WindowOf(engine);
  if (label.empty()) {
    if (form) form->StopScriptTimer();
    return;
  }
  NodePtr node = FindWord(engine, label);
  if (!node || node->kind != kWordLabel) {
    throw ENura(FormatErrorMessage(engine, SJ("未定義のラベル\"") + label +
                                          SJ("\"に、ジャンプしようとしました。")));
  }
  const long double ms = std::nearbyint(seconds * 1000.0L);
  if (!(ms >= 0 && ms <= 2147483647.0L)) {
    throw ERangeError();
  }
  if (form) form->SetScriptTimer(static_cast<int>(ms), node->Position());
}

void CmdStopTimer(TNuraEngine& engine, CommandId) {
  if (TfrmNura* form = WindowOf(engine)) form->StopScriptTimer();
}

void CmdShowWindow(TNuraEngine& engine, CommandId) {
  if (TfrmNura* form = WindowOf(engine)) form->ShowMainWindow();
}

}  // namespace

constexpr CommandEntry kWindowCommands[] = {
    {CommandId::SetTimer, CmdSetTimer},
    {CommandId::StopTimer, CmdStopTimer},
    {CommandId::ShowMainWindow, CmdShowWindow},
};

void RegisterWindowCommands() { RegisterCommandTable(kWindowCommands); }

}  // namespace nura
