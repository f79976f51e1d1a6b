#include "platform/console_mode.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace nura {

void TakePlatformOption(int& argc, char** argv) {
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-platform") == 0 && i + 1 < argc) {
      setenv("QT_QPA_PLATFORM", argv[++i], 1);
      continue;
    }
    argv[kept++] = argv[i];
  }
  argc = kept;
  argv[argc] = nullptr;
}

void ChooseQtPlatform() {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool hasDisplay = (display && *display) || (wayland && *wayland);
  if (!hasDisplay && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

bool WillBeConsoleMode() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (!platform) return false;
  const std::string name(platform);
  return name.rfind("offscreen", 0) == 0 || name.rfind("minimal", 0) == 0;
}

bool IsConsoleMode() { return WillBeConsoleMode(); }

}  // namespace nura
