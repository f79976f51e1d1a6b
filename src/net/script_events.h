// How socket and DDE events reach the script, and how the commands that
// wait for the network keep the event queue running meanwhile.
#pragma once

#include <functional>
#include <string>

#include "engine/word_table.h"

namespace nura {

class TNuraEngine;

// A label that an event enters: its position and the file it came from.
struct TEventLabel {
  TextPos position;
  std::string fileName;

  explicit operator bool() const { return static_cast<bool>(position); }
  void Clear() {
    position.Reset();
    fileName.clear();
  }
};

// The label node `name` as an event label; an empty label when `name`
// names no label.
TEventLabel EventLabelOf(TNuraEngine& engine, const std::string& name);

// Enters `label` for an event (TNuraEngine::RunCommEvent). Nothing escapes
// into the event dispatch: the run loop has reported script errors. When
// the code ran while the program was idle, the host may end the program.
void EnterEventLabel(TNuraEngine& engine, const TEventLabel& label);

// Runs the event queue until `done` returns true or `timeoutMs` have
// passed, blocking in steps of at most 10 ms. True when `done` held.
bool RunEventsUntil(const std::function<bool()>& done, int timeoutMs);

}  // namespace nura
