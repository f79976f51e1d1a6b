// Virtual keys and Qt key events: the one mapping between them, used by
// the script's key events and by the keys that window messages carry.
#pragma once

#include <QKeyEvent>
#include <memory>

#include "platform/window_messages.h"

namespace nura::msg {

// The virtual key of a Qt key (0 when it has none); the digits of the
// keypad when `keypad`.
int VirtualKeyOfQtKey(int key, bool keypad);
// The Qt key of a virtual key (Qt::Key_unknown when it has none); `keypad`
// tells that it is a key of the keypad.
Qt::Key QtKeyOfVirtualKey(int vk, bool& keypad);
// The virtual key of a key event. An event made from a window message
// carries its virtual key as the native one with no scan code, so every
// code a script sends comes back unchanged.
int VirtualKeyOf(const QKeyEvent& event);
// A key event for a window message's virtual key.
std::unique_ptr<QKeyEvent> KeyEventOfVirtualKey(QEvent::Type type, int vk, Qt::KeyboardModifiers modifiers, bool autoRepeat);

}  // namespace nura::msg
