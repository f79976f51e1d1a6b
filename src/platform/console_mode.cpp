#include "platform/console_mode.h"

#include <QGuiApplication>
#include <cstdlib>

namespace nura {

void ChooseQtPlatform() {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool hasDisplay = (display && *display) || (wayland && *wayland);
  if (!hasDisplay && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

bool IsConsoleMode() {
  const QString name = QGuiApplication::platformName();
  return name == QLatin1String("offscreen") || name == QLatin1String("minimal");
}

}  // namespace nura
