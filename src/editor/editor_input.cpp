// Keyboard, mouse and focus input of the editor.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

#include "editor/editor_control.h"
#include "editor/editor_popup_menu.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"
#include "platform/gui/virtual_keys.h"

namespace nura {

// A key press is the key going down and then, as the keyboard types them,
// its characters: Backspace, Tab and Enter their control codes, other keys
// the bytes of their text (none while Ctrl is held).
void TEditor::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  const int vk = msg::VirtualKeyOf(*event);
  // Without WantReturns Enter belongs to the dialog's default button.
  if (vk == msg::kVkReturn && !wantReturns_ && !keyMessage_) {
    event->ignore();
    return;
  }
  if (KeyDown(vk, modifiers, event->isAutoRepeat()) || keyMessage_) return;
  if (vk == msg::kVkBack || vk == msg::kVkTab || vk == msg::kVkReturn) {
    CharInput(static_cast<uint8_t>(vk), modifiers);
    return;
  }
  if (modifiers & Qt::ControlModifier) return;
  for (const char c : QStringToSjis(event->text())) CharInput(static_cast<uint8_t>(c), modifiers);
}

void TEditor::keyReleaseEvent(QKeyEvent* event) {
  if (!event->isAutoRepeat()) KeyUp(msg::VirtualKeyOf(*event));
  QAbstractScrollArea::keyReleaseEvent(event);
}

bool TEditor::KeyDown(int virtualKey, Qt::KeyboardModifiers modifiers, bool autoRepeat) {
  const bool shift = modifiers & Qt::ShiftModifier;
  const bool ctrl = modifiers & Qt::ControlModifier;
  autoRepeat_ = autoRepeat;
  // While a selection is dragged only Ctrl (copy) and Esc (give up) count;
  // while the button is held no key does.
  if (dragState_ == 2) {
    if (virtualKey == msg::kVkEscape) {
      CancelSelectionDrag(true);
    } else if (virtualKey == msg::kVkControl) {
      SetCursorState(5);
    }
    return true;
  }
  if (mouseSelecting_) return true;
  switch (virtualKey) {
    case msg::kVkPrior: case msg::kVkNext: case msg::kVkEnd: case msg::kVkHome:
    case msg::kVkLeft: case msg::kVkUp: case msg::kVkRight: case msg::kVkDown:
      MoveKey(virtualKey, shift, ctrl);
      return true;
    case msg::kVkDelete:
      DeleteChar();
      return true;
    default:
      return !popupMenu_ && ownMenu_->RunShortcut(virtualKey, modifiers);
  }
}

void TEditor::KeyUp(int virtualKey) {
  autoRepeat_ = false;
  if (dragState_ == 2 && virtualKey == msg::kVkControl) SetCursorState(4);
}

void TEditor::CharInput(uint8_t code, Qt::KeyboardModifiers modifiers) {
  if (dragState_ != 0 || mouseSelecting_) return;  // swallowed while the button is held
  if (pendingLead_ >= 0) {
    const char lead = static_cast<char>(pendingLead_);
    pendingLead_ = -1;
    if (code >= 64) {
      if (!readOnly_) TypeText(std::string{lead, static_cast<char>(code)});
      return;
    }
  }
  switch (code) {
    case 8: Backspace(); return;
    case 9:
      if (!(modifiers & (Qt::ShiftModifier | Qt::ControlModifier))) TypeTab();
      return;
    case 13: Enter(modifiers & Qt::ShiftModifier); return;
    default: break;
  }
  if (IsSjisLead(code)) {
    pendingLead_ = code;  // typed with the trail byte that follows
  } else if (((code >= 32 && code <= 126) || code >= 160) && !readOnly_) {
    TypeText(std::string(1, static_cast<char>(code)));
  }
}

int64_t TEditor::DialogCode() const {
  int64_t code = msg::kDlgcWantArrows | msg::kDlgcWantChars;
  if (wantTabs_) code |= msg::kDlgcWantTab;
  if (wantReturns_) code |= msg::kDlgcWantAllKeys;
  return code;
}

// The key data's bit 30 tells that the key was already down.
void TEditor::SendKeyMessage(bool press, int virtualKey, int64_t keyData) {
  const auto event = msg::KeyEventOfVirtualKey(press ? QEvent::KeyPress : QEvent::KeyRelease, virtualKey,
                                               QGuiApplication::keyboardModifiers(),
                                               press && ((keyData >> 30) & 1));
  keyMessage_ = true;
  QCoreApplication::sendEvent(this, event.get());
  keyMessage_ = false;
}

// The position is the client point (x low word, y high word); the flags
// are the buttons and modifiers held.
void TEditor::SendMouseMessage(int64_t message, int64_t keyFlags, int64_t position) {
  const QPoint at(static_cast<int16_t>(position & 0xFFFF), static_cast<int16_t>((position >> 16) & 0xFFFF));
  Qt::MouseButtons held;
  if (keyFlags & msg::kMkLButton) held |= Qt::LeftButton;
  if (keyFlags & msg::kMkRButton) held |= Qt::RightButton;
  if (keyFlags & msg::kMkMButton) held |= Qt::MiddleButton;
  Qt::KeyboardModifiers modifiers;
  if (keyFlags & msg::kMkShift) modifiers |= Qt::ShiftModifier;
  if (keyFlags & msg::kMkControl) modifiers |= Qt::ControlModifier;
  QEvent::Type type = QEvent::MouseMove;
  Qt::MouseButton button = Qt::NoButton;
  if (message == msg::kWmLButtonDown) {
    type = QEvent::MouseButtonPress, button = Qt::LeftButton, held |= Qt::LeftButton;
  } else if (message == msg::kWmLButtonUp) {
    type = QEvent::MouseButtonRelease, button = Qt::LeftButton, held &= ~Qt::MouseButtons(Qt::LeftButton);
  }
  QMouseEvent event(type, at, viewport()->mapToGlobal(at), button, held, modifiers);
  QCoreApplication::sendEvent(viewport(), &event);
}

// The input method places its window at the caret's cell.
QVariant TEditor::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (query == Qt::ImCursorRectangle) {
    const QRect caret = CaretRect();
    return QRect(caret.x(), TextTop() + (caretRow_ - topRow_) * rowHeight_, caret.width(), rowHeight_)
        .translated(viewport()->pos());
  }
  if (query == Qt::ImFont) return font();
  return QAbstractScrollArea::inputMethodQuery(query);
}

void TEditor::inputMethodEvent(QInputMethodEvent* event) {
  if (!readOnly_ && !event->commitString().isEmpty()) TypeText(QStringToSjis(event->commitString()));
  event->accept();
}

bool TEditor::focusNextPrevChild(bool next) {
  // Tab types into the editor while it wants tabs; a key message never
  // moves the focus.
  return wantTabs_ || keyMessage_ ? false : QAbstractScrollArea::focusNextPrevChild(next);
}

void TEditor::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  if (event->button() != Qt::LeftButton || dragState_ != 0) return;
  int row = 0, col = 0;
  const QPoint at = event->position().toPoint();
  downPoint_ = at;
  mouseSelecting_ = true;
  if (event->modifiers() & Qt::ShiftModifier) {
    PixelToRowCol(at.x(), at.y(), true, row, col);
    if (!HasPlainSelection()) StartSelection();
    SetRowCol(std::max(0, row), col);
    UpdateSelection();
    return;
  }
  // A press inside a movable selection arms a drag.
  PixelToRowCol(at.x(), at.y(), false, row, col);
  if (CanSelMove() && at.x() >= TextLeft() && IsInSelection(row, col)) {
    SetRowCol(row, col);
    if (caret_.SelDragMode() == TDragMode::dmAutomatic) {
      mouseSelecting_ = false;
      dragState_ = 1;
    }
    return;
  }
  PixelToRowCol(at.x(), at.y(), true, row, col);
  if (at.x() < TextLeft() && caret_.RowSelect()) {
    StartRowSelection(row);
    return;
  }
  BeginCaretUpdate();
  CleanSelection();
  SetRowCol(std::max(0, row), col);
  StartSelection();
  EndCaretUpdate();
}

void TEditor::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const bool held = event->buttons() & Qt::LeftButton;
  const bool far = std::abs(at.x() - downPoint_.x()) >= charWidth_ / 2 || std::abs(at.y() - downPoint_.y()) >= charWidth_ / 2;
  int row = 0, col = 0;
  PixelToRowCol(at.x(), at.y(), true, row, col);
  if (at.y() < TextTop()) row = std::max(0, topRow_ - 1);  // above the text: the row above
  row = std::max(0, row);
  if (dragState_ == 1 && held) {
    if (!far) return;
    dragState_ = 2;
    SetCursorState(event->modifiers() & Qt::ControlModifier ? 5 : 4);
  }
  if (dragState_ == 2) {
    SetRowCol(row, col);
    return;
  }
  if (!held || !mouseSelecting_) {
    // No button: the cursor tells what a press would do.
    const int state = at.x() < TextLeft() ? 1 : at.y() < TextTop() ? 2 : 0;
    int r = 0, c = 0;
    PixelToRowCol(at.x(), at.y(), false, r, c);
    SetCursorState(state == 0 && CanSelMove() && IsInSelection(r, c) ? 3 : state);
    return;
  }
  if (rowSelecting_) {
    ExtendRowSelection(row);
    return;
  }
  SetRowCol(row, col);
  if (HasPlainSelection() || (sel_.state == 1 && far)) UpdateSelection();
}

void TEditor::mouseReleaseEvent(QMouseEvent* event) {
  mouseSelecting_ = false;
  rowSelecting_ = false;
  if (dragState_ == 1) {
    CancelSelectionDrag();
  } else if (dragState_ == 2) {
    dragState_ = 0;
    SetCursorState(0);
    const QPoint at = event->position().toPoint();
    if (!viewport()->rect().contains(at) || IsInSelection(caretRow_, caretCol_)) {
      CleanSelection();
    } else if (event->modifiers() & Qt::ControlModifier) {
      DropSelectionAt(caretRow_, caretCol_);
    } else {
      MoveSelectionTo(caretRow_, caretCol_);
    }
  }
}

void TEditor::HandleViewportMouse(QMouseEvent& event) {
  switch (event.type()) {
    case QEvent::MouseButtonPress: mousePressEvent(&event); break;
    case QEvent::MouseButtonRelease: mouseReleaseEvent(&event); break;
    case QEvent::MouseButtonDblClick: mouseDoubleClickEvent(&event); break;
    case QEvent::MouseMove: mouseMoveEvent(&event); break;
    default: break;
  }
}

void TEditor::mouseDoubleClickEvent(QMouseEvent* event) {
  // The word under the pointer.
  int row = 0, col = 0;
  const QPoint at = event->position().toPoint();
  PixelToRowCol(at.x(), at.y(), false, row, col);
  if (row < 0 || row >= RowCount() || col >= RowWidth(row)) return;
  int r = row, start = col + 1;
  if (!NextTokenPosition(r, start, -1) || r != row) start = 0;
  int endRow = row, end = start;
  if (!NextTokenPosition(endRow, end, 1) || endRow != row) end = RowWidth(row);
  CleanSelection();
  SetRowCol(row, start);
  StartSelection();
  SetRowCol(row, end);
  UpdateSelection();
}

void TEditor::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  UpdateCaret();
}

void TEditor::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  mouseSelecting_ = false;
  viewport()->update();
}

bool TEditor::ClipboardHasText() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data && data->hasText();
}

void TEditor::contextMenuEvent(QContextMenuEvent* event) {
  (popupMenu_ ? popupMenu_ : ownMenu_)->exec(event->globalPos());
}

}  // namespace nura
