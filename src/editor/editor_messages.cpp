// The window messages an editor answers as an edit control does: the
// clipboard and text messages, the EM_* messages and scrolling by
// scroll-bar codes. Scripts send them with "メッセージ送信".
#include <QClipboard>
#include <QGuiApplication>
#include <algorithm>

#include "editor/editor_control.h"
#include "platform/window_messages.h"

namespace nura {
namespace {

using namespace msg;  // the window-message numbers

// Two values in the 16-bit halves of a result; a value that does not fit
// is given as 65535 (0 when negative).
int64_t Pack(int64_t low, int64_t high) {
  const auto half = [](int64_t v) { return std::clamp<int64_t>(v, 0, 0xFFFF); };
  return half(low) | half(high) << 16;
}

// The signed 16-bit halves of a packed point.
int LowWord(int64_t v) { return static_cast<int16_t>(v & 0xFFFF); }
int HighWord(int64_t v) { return static_cast<int16_t>((v >> 16) & 0xFFFF); }

void EmptyClipboardText() { QGuiApplication::clipboard()->setText(QString()); }

// Stores a DWORD (little-endian) at the start of an lparam's storage; a
// storage shorter than four bytes is left alone rather than written past.
void StoreDword(std::string* storage, int64_t value) {
  if (!storage || storage->size() < 4) return;
  for (size_t i = 0; i < 4; ++i) (*storage)[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The size a buffer states in its first WORD (0 when it has no WORD).
size_t StatedSize(const std::string& buffer) {
  if (buffer.size() < 2) return 0;
  return static_cast<unsigned char>(buffer[0]) | static_cast<size_t>(static_cast<unsigned char>(buffer[1])) << 8;
}

}  // namespace

bool TEditor::WindowMessage(int64_t message, int64_t wparam, int64_t lparam, std::string* buffer, int64_t& result) {
  result = 0;
  if (message != kWmChar) pendingLead_ = -1;  // a lead byte's trail must come next
  switch (message) {
    case kWmKeyDown:
    case kWmKeyUp:
      SendKeyMessage(message == kWmKeyDown, static_cast<int>(wparam & 0xFF), lparam);
      return true;
    case kWmChar:
      CharInput(static_cast<uint8_t>(wparam & 0xFF), QGuiApplication::keyboardModifiers());
      return true;
    case kWmMouseMove:
    case kWmLButtonDown:
    case kWmLButtonUp:
      SendMouseMessage(message, wparam, lparam);
      return true;
    case kWmGetDlgCode:
      result = DialogCode();
      return true;
    case kWmSetText:
      if (!readOnly_ && buffer) SetText(*buffer);
      result = 1;
      return true;
    case kWmCut:
      if (readOnly_ || !HasPlainSelection()) {
        EmptyClipboardText();
      } else {
        CutToClipboard();
      }
      return true;
    case kWmCopy:
      if (HasPlainSelection()) {
        CopyToClipboard();
      } else {
        EmptyClipboardText();
      }
      return true;
    case kWmPaste:
      if (!readOnly_) PasteFromClipboard();
      return true;
    case kWmClear:
      if (!readOnly_) DeleteSelection();
      return true;
    case kWmVScroll:
    case kWmHScroll:
      ScrollByCode(message == kWmVScroll, LowWord(wparam) & 0xFFFF, HighWord(wparam) & 0xFFFF);
      return true;
    case kEmGetSel: {
      const int start = GetSelStart(), end = start + GetSelLength();
      StoreDword(buffer, end);  // lparam names the variable of the end
      result = Pack(start, end);
      return true;
    }
    case kEmSetSel: {
      if (wparam == 0 && lparam == -1) {
        SelectAll();
      } else if (wparam == -1) {
        CleanSelection();
      } else {
        const auto low = static_cast<int>(std::clamp<int64_t>(std::min(wparam, lparam), 0, INT32_MAX));
        const auto high = static_cast<int>(std::clamp<int64_t>(std::max(wparam, lparam), 0, INT32_MAX));
        SetSelStart(low);
        SetSelLength(high - low);
      }
      return true;
    }
    case kEmScrollCaret:
      if (caretRow_ < topRow_ || caretRow_ >= topRow_ + visibleRows_) SetTopRow(caretRow_ - visibleRows_ / 3);
      if (caretCol_ < topCol_ || caretCol_ >= topCol_ + visibleCols_) SetTopCol(caretCol_ - visibleCols_ / 3);
      return true;
    case kEmGetModify:
      result = modified_ ? 1 : 0;
      return true;
    case kEmSetModify:
      if (!readOnly_) modified_ = wparam != 0;
      return true;
    case kEmGetLineCount:
      result = RowCount();
      return true;
    case kEmLineIndex: {
      const int64_t row = wparam == -1 ? caretRow_ : wparam;
      result = row < 0 || row >= RowCount() ? -1 : ByteOffsetFromRow(0, static_cast<int>(row), 0);
      return true;
    }
    case kEmLineLength:
      result = LineLengthAt(wparam);
      return true;
    case kEmLineFromChar:
      if (wparam == -1) {
        result = HasSelection() ? sel_.startRow : caretRow_;
      } else {
        int row = 0, bytes = 0;
        FindOffset(0, static_cast<int>(std::clamp<int64_t>(wparam, 0, INT32_MAX)), row, bytes);
        result = row;
      }
      return true;
    case kEmGetLine: {
      if (wparam < 0 || wparam >= RowCount() || !buffer) return true;
      const std::string text = RowText(static_cast<int>(wparam));
      const size_t n = std::min({StatedSize(*buffer), text.size(), buffer->size()});
      buffer->replace(0, n, text, 0, n);  // no terminating zero, never longer
      result = static_cast<int64_t>(n);
      return true;
    }
    case kEmCharFromPos: {
      const int x = LowWord(lparam), y = HighWord(lparam);
      if (!viewport()->rect().contains(x, y) || RowCount() == 0) {
        result = -1;
        return true;
      }
      int row = 0, col = 0;
      PixelToRowCol(x, y, true, row, col);
      row = std::clamp(row, 0, RowCount() - 1);
      int offset = 0;
      for (int r = 0; r < row; ++r) offset += static_cast<int>(RowText(r).size()) + (RowKind(r) == kRowEndsLine ? 2 : 0);
      result = Pack(offset + ColToByte(row, col), row);
      return true;
    }
    case kEmPosFromChar: {
      int row = 0, bytes = 0;
      FindOffset(0, static_cast<int>(std::clamp<int64_t>(wparam, 0, INT32_MAX)), row, bytes);
      const int col = ByteToCol(row, bytes);
      result = Pack(TextLeft() + (col - topCol_) * charWidth_, TextTop() + (row - topRow_) * rowHeight_);
      return true;
    }
    case kEmReplaceSel:
      if (!readOnly_ && buffer) InsertText(*buffer);
      return true;
    case kEmCanUndo:
      result = CanUndo() && !readOnly_ ? 1 : 0;
      return true;
    case kEmUndo:
      if (!readOnly_ && CanUndo()) {
        Undo();
        result = 1;
      }
      return true;
    case kEmEmptyUndoBuffer:
      if (!readOnly_) list_->UndoObj().Clear();
      return true;
    case kEmGetFirstVisibleLine:
      result = topRow_;
      return true;
    case kEmSetReadOnly:
      SetReadOnly(wparam != 0);
      result = 1;
      return true;
    default:
      return false;
  }
}

int64_t TEditor::LineLengthAt(int64_t offset) const {
  if (offset == -1) {
    if (HasSelection()) return static_cast<int64_t>(RowText(sel_.endRow).size()) + sel_.startByte - sel_.endByte - 1;
    return static_cast<int64_t>(RowText(caretRow_).size());
  }
  int row = 0, bytes = 0;
  FindOffset(0, static_cast<int>(std::clamp<int64_t>(offset, 0, INT32_MAX)), row, bytes);
  return static_cast<int64_t>(RowText(row).size());
}

// Scrolling by a scroll-bar code (SB_LINEUP 0 ... SB_BOTTOM 7; the thumb
// codes 4 and 5 take `position`); with LockScroll the caret keeps its place
// on the screen.
void TEditor::ScrollByCode(bool vertical, int code, int position) {
  if (code > 7) return;
  const int top = vertical ? topRow_ : topCol_;
  const int page = std::max(1, vertical ? visibleRows_ : visibleCols_);
  const int end = vertical ? std::max(0, RowCount() + visibleRows_ - 1) : visibleCols_ / 2 + kMaxColumn;
  int delta = 0;
  switch (code) {
    case 0: delta = -1; break;
    case 1: delta = 1; break;
    case 2: delta = -page; break;
    case 3: delta = page; break;
    case 4: case 5: delta = position - top; break;
    case 6: delta = -top; break;
    case 7: delta = end - top; break;
    default: break;
  }
  delta = std::clamp(delta, -top, end - top);
  if (delta == 0) return;
  if (!vertical) {
    SetTopCol(top + delta);
    return;
  }
  SetTopRow(top + delta);
  if (caret_.LockScroll()) SetRow(caretRow_ + delta);
}

}  // namespace nura
