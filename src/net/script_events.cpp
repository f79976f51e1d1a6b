#include "net/script_events.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

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
  RequireWindowSystem();  // the event loop
  QElapsedTimer clock;
  clock.start();
  QEventLoop loop;
  QTimer step;
  step.setInterval(10);
  bool result = false;
  QObject::connect(&step, &QTimer::timeout, &loop, [&] {
    if (done()) {
      result = true;
      loop.quit();
    } else if (clock.elapsed() >= timeoutMs) {
      loop.quit();
    }
  });
  step.start();
  loop.exec();
  return result || done();
}

}  // namespace nura
