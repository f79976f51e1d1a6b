// A widget's placement as the plain values of platform/window_placement.h.
// Kept apart from the rest of the platform layer because it needs Qt
// Widgets, which the engine and the command families do not link.
#pragma once

#include <optional>

#include "platform/window_placement.h"

class QWidget;

namespace nura {

TWindowPlacement PlacementOf(const QWidget& window);
// Moves and sizes the window; `state` (as in TWindowPlacement), when given,
// replaces its minimised or maximised state.
void PlaceWindow(QWidget& window, const TWindowRect& rect, std::optional<int> state);

}  // namespace nura
