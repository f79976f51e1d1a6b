// The statement loop on one script, shared by the script targets: a
// Shift-JIS program run with the vocabulary of the commands that touch
// neither files, the system nor the window (text, numbers, tables, dates,
// words, control flow, error modes). Every dialog answers at once; an error
// dialog continues the run. A run ends after 50 ms of processor time, and
// waits end at once, so endless loops end too.
#pragma once

#include <sys/time.h>

#include <csignal>
#include <stdexcept>

#include "commands/array_commands.h"
#include "commands/csv_commands.h"
#include "commands/date_commands.h"
#include "commands/math_commands.h"
#include "commands/string_commands.h"
#include "commands/table_operand.h"
#include "commands/utility_commands.h"
#include "engine/command_registry.h"
#include "engine/control_commands.h"
#include "engine/dialogs.h"
#include "engine/dispatch.h"
#include "engine/command_api.h"
#include "engine/error_mode_commands.h"
#include "engine/vocabulary.h"
#include "engine/word_commands.h"

namespace nura::fuzz {
namespace script_run {

inline TNuraEngine* running = nullptr;

// A wait runs the event queue: here it ends the run.
class StoppingHost : public TEngineHost {
 public:
  void ProcessEvents() override {
    if (running) RequestStop(*running);
  }
};

inline void StopRun(int) {
  if (running) RequestStop(*running);
}

inline void SetTimer(long microseconds) {
  itimerval timer{};
  timer.it_value.tv_usec = microseconds;
  setitimer(ITIMER_VIRTUAL, &timer, nullptr);
}

inline void Say(TNuraEngine& engine, CommandId) { PopText(engine); }
inline void Refuse(TNuraEngine& engine, CommandId) {
  PopText(engine);
  throw std::runtime_error("no files here");
}

inline void RegisterVocabulary() {
  RegisterControlCommands();
  RegisterExpressionCommands();
  RegisterUtilityCommands();
  RegisterStringCommands();
  RegisterCsvCommands();
  RegisterTableAccess();
  RegisterMathCommands();
  RegisterDateCommands();
  RegisterErrorModeCommands();
  RegisterArrayCommands();
  RegisterWordCommands();
  RegisterCommandHandler(CommandId::Say, Say);
  RegisterCommandHandler(CommandId::Include, Refuse);
}

}  // namespace script_run

// Runs `script` to its end, its error or its time limit.
inline void RunScript(const std::string& script) {
  using namespace script_run;
  static TSilentDialogs dialogs(ErrorChoice::Continue);
  static StoppingHost host;
  static const bool ready = [] {
    SetDialogs(&dialogs);
    RegisterVocabulary();
    std::signal(SIGVTALRM, StopRun);
    return true;
  }();
  (void)ready;
  EnginePtr owner = MakeEngine();
  TNuraEngine& engine = *owner;
  SetHost(engine, &host);
  SetRegistrationHook(engine, RegisterBuiltinWords);
  try {
    PrepareRun(engine, script, "fuzz.nrs");
  } catch (const std::runtime_error&) {
    return;
  }
  running = &engine;
  SetTimer(50000);
  RunProgram(engine);
  SetTimer(0);
  running = nullptr;
}

}  // namespace nura::fuzz
