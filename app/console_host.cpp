#include "app/console_host.h"

#include "app/window_module.h"
#include "engine/command_line.h"
#include "engine/command_registry.h"
#include "engine/console_debugger.h"
#include "engine/dialogs.h"
#include "engine/event_sources.h"
#include "engine/program_start.h"
#include "engine/vocabulary.h"
#include "net/editor_link.h"
#include "net/local_link.h"
#include "platform/program_module.h"
#include "platform/sjis.h"
#include "platform/window_system.h"

namespace nura {
namespace {

TConsoleHost* g_current = nullptr;

// The window system's loader: the script asked the clipboard, the screen or
// the fonts, or needs an event loop.
void HandOverForWindowSystem() {
  if (TConsoleHost* host = TConsoleHost::Current()) host->HandOver();
}

template <typename T>
T WindowModuleEntry(const char* symbol, std::string& error) {
  return reinterpret_cast<T>(ProgramModuleSymbol(kWindowModule, symbol, error));
}

}  // namespace

TConsoleHost::TConsoleHost(int& argc, char** argv)
    : argc_(argc), argv_(argv), engine_(MakeEngine()), running_(engine_.get()) {
  SetHost(*running_, this);
  SetObjectHost(*running_, this);
  SetRegistrationHook(*running_, [](TNuraEngine& e) { RegisterBuiltinWords(e); });
  g_current = this;
  SetWindowSystemLoader(HandOverForWindowSystem);
  StartEditorLink(*running_);
  SetEditorSync(SendRowToEditor);
}

TConsoleHost::~TConsoleHost() {
  SetWindowSystemLoader(nullptr);
  g_current = nullptr;
}

TConsoleHost* TConsoleHost::Current() { return g_current; }

int TConsoleHost::Run() {
  LoadStartProgram(*running_, ProgramCommandLine(), source_);
  if (PrepareStartRun(*running_, source_)) {
    RunStartProgram(*running_);
    EngineHost(*running_).FinishIfIdle();
  } else {
    EngineHost(*running_).CloseMainWindow();
  }
  // Something can still re-enter the script (a DDE server): its events
  // come through the event loop.
  if (!handedOver_ && !closed_ && EventSourceCount() > 0) {
    try {
      HandOver();
    } catch (const std::exception& e) {
      Dialogs().ShowErrorDialog(std::string(e.what()) + "\r\n");
      return 1;
    }
  }
  if (!handedOver_) return 0;
  std::string error;
  const auto loop = WindowModuleEntry<TWindowLoop>("NuraWindowLoop", error);
  return loop ? loop(closed_) : 1;
}

void TConsoleHost::HandOver() {
  if (handedOver_) return;
  std::string error;
  const auto takeOver = WindowModuleEntry<TTakeOverRun>("NuraTakeOverRun", error);
  if (!takeOver) {
    RaiseScriptError(*running_, SJ("ウィンドウを使えません。") + "(" + error + ")");
  }
  handedOver_ = true;
  SetWindowSystemLoader(nullptr);
  takeOver(engine_.release(), shown_, &argc_, argv_);
}

TEngineHost& TConsoleHost::Window() {
  HandOver();
  return EngineHost(*running_);
}

TObjectHost& TConsoleHost::Objects() {
  HandOver();
  return ObjectHost(*running_);
}

bool TConsoleHost::GetMainWindowPlacement(TWindowPlacement& placement) {
  return Window().GetMainWindowPlacement(placement);
}

void TConsoleHost::PlaceMainWindow(const TWindowRect& rect, std::optional<int> state) {
  Window().PlaceMainWindow(rect, state);
}

// The close request runs the script's shutdown code once; a refusal keeps
// nothing alive here, as nothing could re-enter the script.
bool TConsoleHost::CloseMainWindow() {
  if (closed_) return true;
  if (!AnswerCloseRequest(*running_)) return false;
  closed_ = true;
  return true;
}

void TConsoleHost::ProcessEvents() {
  int none = 0;
  if (WaitForLinkRequest(none)) Window().ProcessEvents();
}

void TConsoleHost::WaitForEvents(int milliseconds) {
  if (WaitForLinkRequest(milliseconds)) Window().WaitForEvents(milliseconds);
}

bool TConsoleHost::ShowDebugger(TNuraEngine& engine) { return RunConsoleDebugger(engine); }

void TConsoleHost::FinishIfIdle() {
  if (closed_ || RunActive(*running_) || EventSourceCount() > 0) return;
  CloseMainWindow();
}

void TConsoleHost::SetMainWindowBorderStyle(int style) { Window().SetMainWindowBorderStyle(style); }

void TConsoleHost::ShowTrayIcon(bool show) { Window().ShowTrayIcon(show); }

bool TConsoleHost::GetObjectProperty(TNuraEngine& engine, const std::string& object,
                                     const std::string& property, std::string& value) {
  // As the window's object host finds the object: a name in quotes is
  // expanded first. Only an object word is handed over.
  const bool quoted = !object.empty() && (object.front() == '"' || object.front() == '`');
  const NodePtr node = FindWord(engine, quoted ? ExpandString(engine, object) : object);
  if (!node || node->kind != kWordObject) return false;
  return Objects().GetObjectProperty(engine, object, property, value);
}

void TConsoleHost::SetObjectProperty(TNuraEngine& engine, THashNode& node, const std::string& property,
                                     const std::string& text) {
  Objects().SetObjectProperty(engine, node, property, text);
}

void TConsoleHost::AssignObjectValue(TNuraEngine& engine, THashNode& node, const std::string& value) {
  Objects().AssignObjectValue(engine, node, value);
}

bool TConsoleHost::ReadObjectValue(TNuraEngine& engine, THashNode& node, std::string& value) {
  return Objects().ReadObjectValue(engine, node, value);
}

void RunInWindow(TNuraEngine& engine, CommandId id) {
  if (TConsoleHost* host = TConsoleHost::Current()) host->HandOver();
  const CommandHandler handler = FindCommandHandler(IdNumber(id));
  if (!handler || handler == RunInWindow) RaiseScriptError(engine, SJ("ウィンドウを使えません。"));
  handler(engine, id);
}

#define NURA_WINDOW_FAMILY(registerFamily)
#define NURA_FAMILY(registerFamily) void registerFamily();
#include "app/command_families.inc"

void RegisterConsoleCommands() {
  ClearCommandHandlers();
#define NURA_WINDOW_FAMILY(registerFamily)
#define NURA_FAMILY(registerFamily) registerFamily();
#include "app/command_families.inc"
  for (const CommandId id : AllCommandIds()) {
    if (!FindCommandHandler(IdNumber(id)) && !IsDispatcherCommand(id)) RegisterCommandHandler(id, RunInWindow);
  }
}

}  // namespace nura
