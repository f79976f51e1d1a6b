// The numbers of the window messages, virtual keys and flags that scripts
// send to controls ("メッセージ送信") and see in key events; one table, so
// the control handlers and the real Qt input agree on them.
#pragma once

#include <cstdint>

namespace nura::msg {

enum : int64_t {
  kWmEnable = 0x000A, kWmSetText = 0x000C, kWmGetText = 0x000D, kWmGetTextLength = 0x000E,
  kWmClose = 0x0010, kWmShowWindow = 0x0018, kWmGetDlgCode = 0x0087,
  kWmKeyDown = 0x0100, kWmKeyUp = 0x0101, kWmChar = 0x0102,
  kWmHScroll = 0x0114, kWmVScroll = 0x0115,
  kWmMouseMove = 0x0200, kWmLButtonDown = 0x0201, kWmLButtonUp = 0x0202,
  kWmCut = 0x0300, kWmCopy = 0x0301, kWmPaste = 0x0302, kWmClear = 0x0303,
  kEmGetSel = 0x00B0, kEmSetSel = 0x00B1, kEmScrollCaret = 0x00B7, kEmGetModify = 0x00B8,
  kEmSetModify = 0x00B9, kEmGetLineCount = 0x00BA, kEmLineIndex = 0x00BB, kEmLineLength = 0x00C1,
  kEmReplaceSel = 0x00C2, kEmGetLine = 0x00C4, kEmCanUndo = 0x00C6, kEmUndo = 0x00C7,
  kEmLineFromChar = 0x00C9, kEmEmptyUndoBuffer = 0x00CD, kEmGetFirstVisibleLine = 0x00CE,
  kEmSetReadOnly = 0x00CF, kEmPosFromChar = 0x00D6, kEmCharFromPos = 0x00D7,
};

// The dialog codes of WM_GETDLGCODE.
enum : int64_t { kDlgcWantArrows = 0x01, kDlgcWantTab = 0x02, kDlgcWantAllKeys = 0x04, kDlgcWantChars = 0x80 };

// The key flags in the wparam of a mouse message.
enum : int64_t { kMkLButton = 0x01, kMkRButton = 0x02, kMkShift = 0x04, kMkControl = 0x08, kMkMButton = 0x10 };

// Virtual keys the controls act on.
enum : int {
  kVkBack = 0x08, kVkTab = 0x09, kVkReturn = 0x0D, kVkShift = 0x10, kVkControl = 0x11, kVkMenu = 0x12,
  kVkEscape = 0x1B, kVkPrior = 0x21, kVkNext = 0x22, kVkEnd = 0x23, kVkHome = 0x24, kVkLeft = 0x25,
  kVkUp = 0x26, kVkRight = 0x27, kVkDown = 0x28, kVkDelete = 0x2E,
};

}  // namespace nura::msg
