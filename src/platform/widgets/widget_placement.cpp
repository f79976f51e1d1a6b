#include "platform/widgets/widget_placement.h"

#include <QWidget>

namespace nura {

namespace {

TWindowRect RectOf(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

}  // namespace

TWindowPlacement PlacementOf(const QWidget& window) {
  TWindowPlacement placement;
  placement.name = window.objectName().toStdString();
  const Qt::WindowStates states = window.windowState();
  placement.state = states & Qt::WindowMinimized ? 1 : states & Qt::WindowMaximized ? 2 : 0;
  placement.current = RectOf(window.geometry());
  const QRect normal = window.normalGeometry();
  placement.normal = normal.isEmpty() ? placement.current : RectOf(normal);
  return placement;
}

void PlaceWindow(QWidget& window, const TWindowRect& rect, std::optional<int> state) {
  window.setGeometry(rect.left, rect.top, rect.width, rect.height);
  if (!state) return;
  Qt::WindowStates states = window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
  if (*state == 1) states |= Qt::WindowMinimized;
  if (*state == 2) states |= Qt::WindowMaximized;
  window.setWindowState(states);
}

}  // namespace nura
