#include "net/script_events.h"

#include <chrono>
#include <thread>

#include "engine/command_api.h"
#include "platform/window_system.h"

namespace nura {

TEventLabel EventLabelOf(TNuraEngine& engine, const std::string& name) {
  TEventLabel label;
  NodePtr node = FindWord(engine, name);
  if (node && node->kind == kWordLabel && node->Position()) {
    label.position = node->Position();
    label.fileName = node->Annotation();
  }
  return label;
}

void EnterEventLabel(TNuraEngine& engine, const TEventLabel& label) {
  if (!label) return;
  const bool idle = !RunActive(engine);
  const std::string fileName = label.fileName.empty() ? CurrentFileName(engine) : label.fileName;
  try {
    RunCommEvent(engine, label.position, fileName);
  } catch (const std::exception&) {
    // reported by the run loop
  }
  if (idle) EngineHost(engine).FinishIfIdle();
}

bool RunEventsUntil(const std::function<bool()>& done, int timeoutMs) {
  if (done()) return true;
  if (TWindowSystem* system = WindowSystem()) return system->RunEventsUntil(done, timeoutMs);
  // Without an event loop (tools, tests): asks every 10 ms.
  for (int waited = 0; waited < timeoutMs; waited += 10) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (done()) return true;
  }
  return done();
}

}  // namespace nura
