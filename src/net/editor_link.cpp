#include "net/editor_link.h"

#include "engine/command_api.h"
#include "engine/dialogs.h"
#include "engine/sjis_text.h"
#include "net/local_link.h"
#include "platform/sjis.h"
#include "platform/window_system.h"

namespace nura {
namespace {

constexpr int kEditorTimeoutMs = 3000;
const char kEditorService[] = "nurapad";
const char kTopic[] = "command";

struct TEditorLink {
  TLocalLinkServer server;
  bool started = false;
};

bool HasProgram(TNuraEngine& engine) { return static_cast<bool>(ProgramText(engine)); }

// "break": the window closes and the program ends, also when the script's
// shutdown code refuses to close.
void EndProgram(TNuraEngine& engine) {
  RequestClose(engine);
  EndRun(engine);
  if (TWindowSystem* system = InstalledWindowSystem()) system->QuitEventLoop();
}

}  // namespace

void StartEditorLink(TNuraEngine& engine) {
  TEditorLink& link = FamilyState<TEditorLink>(engine);
  if (link.started) return;
  link.started = true;
  TNuraEngine* target = &engine;
  link.server.Listen(OwnServiceName(), kTopic,
                     [target](const std::string& macro) { ExecuteEditorMacro(*target, macro); });
}

void NotifyEditorRow(TNuraEngine& engine, const std::string& argument) {
  if (argument.empty()) {
    Dialogs().ShowMessage(SJ("実行ライン:") + std::to_string(CurrentLine(engine)), "");
  } else if (argument == kEditorService) {
    SendRowToEditor(engine);
  }
}

void SendRowToEditor(TNuraEngine& engine) {
  ExecuteLinkMacro(kEditorService, kTopic, "row " + std::to_string(CurrentLine(engine)),
                   kEditorTimeoutMs);
}

void ExecuteEditorMacro(TNuraEngine& engine, const std::string& macro) {
  const std::string text = TrimText(macro);
  const size_t space = text.find(' ');
  const std::string command = TrimText(text.substr(0, space));
  const std::string argument = space == std::string::npos ? "" : TrimText(text.substr(space + 1));
  try {
    if (command == "line") {
      NotifyEditorRow(engine, argument);
    } else if (command == "pause") {
      if (HasProgram(engine) && EngineHost(engine).ShowDebugger(engine)) RequestClose(engine);
    } else if (command == "break") {
      if (!HasProgram(engine)) return;
      if (argument == kEditorService) NotifyEditorRow(engine, argument);
      EndProgram(engine);
    }
  } catch (const std::exception&) {
    // an error dialog that ended the program, or a failed close: nothing to report
  }
}

}  // namespace nura
