#include "engine/event_sources.h"

namespace nura {
namespace {
int g_sources = 0;
}

void AddEventSource() { ++g_sources; }

void RemoveEventSource() {
  if (g_sources > 0) --g_sources;
}

int EventSourceCount() { return g_sources; }

}  // namespace nura
