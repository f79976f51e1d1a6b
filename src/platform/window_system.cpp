#include "platform/window_system.h"

namespace nura {
namespace {

TWindowSystem* g_system = nullptr;
WindowSystemLoader g_loader = nullptr;

}  // namespace

void InstallWindowSystem(TWindowSystem* system) { g_system = system; }

void SetWindowSystemLoader(WindowSystemLoader loader) { g_loader = loader; }

void RequireWindowSystem() {
  if (g_system || !g_loader) return;
  const WindowSystemLoader loader = g_loader;
  g_loader = nullptr;  // once, also when it fails
  loader();
}

TWindowSystem* InstalledWindowSystem() { return g_system; }

TWindowSystem* WindowSystem() {
  RequireWindowSystem();
  return g_system;
}

}  // namespace nura
