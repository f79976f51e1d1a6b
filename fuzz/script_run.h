// The statement loop on one script, shared by the script targets: a
// Shift-JIS program run with the vocabulary of the script families of
// app/command_families.inc, which touch neither files, the system nor the
// window (text, numbers, tables, dates, words, control flow, error modes).
// Every dialog answers at once; an error dialog continues the run. A run
// ends after 50 ms of processor time, and waits end at once, so endless
// loops end too.
#pragma once

#include <sys/time.h>

#include <csignal>
#include <stdexcept>

#include "engine/command_registry.h"
#include "engine/dialogs.h"
#include "engine/command_api.h"
#include "engine/vocabulary.h"

namespace nura {
#define NURA_SCRIPT_FAMILY(registerFamily) void registerFamily();
#include "app/command_families.inc"
}  // namespace nura

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

// The script families of app/command_families.inc, then a silent "言う"
// and an "取り込む" that reads no file.
inline void RegisterVocabulary() {
#define NURA_SCRIPT_FAMILY(registerFamily) registerFamily();
#include "app/command_families.inc"
  static constexpr CommandEntry kStandIns[] = {
      {CommandId::Say, Say},
      {CommandId::Include, Refuse},
  };
  RegisterCommandTable(kStandIns);
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
