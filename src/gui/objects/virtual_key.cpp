#include "gui/objects/virtual_key.h"

#include <QKeyEvent>

namespace nura {

int VirtualKeyOf(const QKeyEvent& event) {
  const int key = event.key();
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 0x41 + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) {
    return (event.modifiers() & Qt::KeypadModifier) ? 0x60 + (key - Qt::Key_0) : 0x30 + (key - Qt::Key_0);
  }
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Return: case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_CapsLock: return 0x14;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Print: return 0x2C;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_Asterisk: return 0x6A;
    case Qt::Key_Plus: return 0x6B;
    case Qt::Key_Minus: return 0xBD;
    case Qt::Key_Period: return 0xBE;
    case Qt::Key_Comma: return 0xBC;
    case Qt::Key_Slash: return 0xBF;
    case Qt::Key_Semicolon: return 0xBB;
    case Qt::Key_Colon: return 0xBA;
    case Qt::Key_At: return 0xC0;
    case Qt::Key_BracketLeft: return 0xDB;
    case Qt::Key_Backslash: return 0xDC;
    case Qt::Key_BracketRight: return 0xDD;
    case Qt::Key_AsciiCircum: return 0xDE;
    case Qt::Key_NumLock: return 0x90;
    case Qt::Key_ScrollLock: return 0x91;
    default: return 0;
  }
}

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
