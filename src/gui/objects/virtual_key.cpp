#include "gui/objects/virtual_key.h"

#include <QKeyEvent>

#include "platform/gui/virtual_keys.h"

namespace nura {

int VirtualKeyOf(const QKeyEvent& event) { return msg::VirtualKeyOf(event); }

unsigned ShiftFlags(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons, bool doubleClick) {
  unsigned flags = 0;
  if (modifiers & Qt::ShiftModifier) flags |= 1;
  if (modifiers & Qt::AltModifier) flags |= 2;
  if (modifiers & Qt::ControlModifier) flags |= 4;
  if (buttons & Qt::LeftButton) flags |= 8;
  if (buttons & Qt::RightButton) flags |= 16;
  if (buttons & Qt::MiddleButton) flags |= 32;
  if (doubleClick) flags |= 64;
  return flags;
}

}  // namespace nura
