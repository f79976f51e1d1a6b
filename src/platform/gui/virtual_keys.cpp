#include "platform/gui/virtual_keys.h"

namespace nura::msg {
namespace {

struct TKeyPair {
  int qt;
  int vk;
};

// Keys whose codes do not follow from a range (letters, digits and F keys
// do).
constexpr TKeyPair kKeys[] = {
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},       {Qt::Key_Backtab, 0x09},    {Qt::Key_Return, 0x0D},
    {Qt::Key_Enter, 0x0D},     {Qt::Key_Shift, 0x10},     {Qt::Key_Control, 0x11},    {Qt::Key_Alt, 0x12},
    {Qt::Key_Pause, 0x13},     {Qt::Key_CapsLock, 0x14},  {Qt::Key_Escape, 0x1B},     {Qt::Key_Space, 0x20},
    {Qt::Key_PageUp, 0x21},    {Qt::Key_PageDown, 0x22},  {Qt::Key_End, 0x23},        {Qt::Key_Home, 0x24},
    {Qt::Key_Left, 0x25},      {Qt::Key_Up, 0x26},        {Qt::Key_Right, 0x27},      {Qt::Key_Down, 0x28},
    {Qt::Key_Print, 0x2C},     {Qt::Key_Insert, 0x2D},    {Qt::Key_Delete, 0x2E},     {Qt::Key_Asterisk, 0x6A},
    {Qt::Key_Plus, 0x6B},      {Qt::Key_Minus, 0xBD},     {Qt::Key_Period, 0xBE},     {Qt::Key_Comma, 0xBC},
    {Qt::Key_Slash, 0xBF},     {Qt::Key_Semicolon, 0xBB}, {Qt::Key_Colon, 0xBA},      {Qt::Key_At, 0xC0},
    {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_Backslash, 0xDC}, {Qt::Key_BracketRight, 0xDD},
    {Qt::Key_AsciiCircum, 0xDE}, {Qt::Key_NumLock, 0x90},  {Qt::Key_ScrollLock, 0x91},
};

}  // namespace

int VirtualKeyOfQtKey(int key, bool keypad) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 0x41 + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return (keypad ? 0x60 : 0x30) + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
  for (const TKeyPair& k : kKeys) {
    if (k.qt == key) return k.vk;
  }
  return 0;
}

Qt::Key QtKeyOfVirtualKey(int vk, bool& keypad) {
  keypad = vk >= 0x60 && vk <= 0x69;
  if (vk >= 0x41 && vk <= 0x5A) return static_cast<Qt::Key>(Qt::Key_A + (vk - 0x41));
  if (vk >= 0x30 && vk <= 0x39) return static_cast<Qt::Key>(Qt::Key_0 + (vk - 0x30));
  if (keypad) return static_cast<Qt::Key>(Qt::Key_0 + (vk - 0x60));
  if (vk >= 0x70 && vk <= 0x87) return static_cast<Qt::Key>(Qt::Key_F1 + (vk - 0x70));
  for (const TKeyPair& k : kKeys) {
    if (k.vk == vk) return static_cast<Qt::Key>(k.qt);
  }
  return Qt::Key_unknown;
}

int VirtualKeyOf(const QKeyEvent& event) {
  if (event.nativeScanCode() == 0 && event.nativeVirtualKey() > 0 && event.nativeVirtualKey() < 0x100)
    return static_cast<int>(event.nativeVirtualKey());
  return VirtualKeyOfQtKey(event.key(), event.modifiers() & Qt::KeypadModifier);
}

std::unique_ptr<QKeyEvent> KeyEventOfVirtualKey(QEvent::Type type, int vk, Qt::KeyboardModifiers modifiers,
                                                bool autoRepeat) {
  bool keypad = false;
  const Qt::Key key = QtKeyOfVirtualKey(vk, keypad);
  if (keypad) modifiers |= Qt::KeypadModifier;
  return std::make_unique<QKeyEvent>(type, key, modifiers, 0, static_cast<quint32>(vk & 0xFF), 0, QString(),
                                     autoRepeat);
}

}  // namespace nura::msg
