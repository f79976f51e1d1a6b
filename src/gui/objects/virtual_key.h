// Windows virtual-key codes of Qt key events, as scripts see them in
// "押されたキー", and the shift-state flags of "押された特殊キー".
#pragma once

#include <Qt>

class QKeyEvent;

namespace nura {

// The virtual-key code of the key (0 when it has none).
int VirtualKeyOf(const QKeyEvent& event);
// Shift-state flags: 1 Shift, 2 Alt, 4 Ctrl, 8 Left, 16 Right, 32 Middle,
// 64 Double.
unsigned ShiftFlags(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons, bool doubleClick);

}  // namespace nura
