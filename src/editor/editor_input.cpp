// Keyboard, mouse and focus input of the editor, and its popup menu.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

#include "editor/editor_control.h"
#include "platform/sjis.h"

namespace nura {

void TEditor::keyPressEvent(QKeyEvent* event) {
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const int key = event->key();
  autoRepeat_ = event->isAutoRepeat();
  // While a selection is dragged only Ctrl (copy) and Esc (give up) count;
  // while the button is held no key does.
  if (dragState_ == 2) {
    if (key == Qt::Key_Escape) {
      CancelSelectionDrag(true);
    } else if (key == Qt::Key_Control) {
      SetCursorState(5);
    }
    return;
  }
  if (mouseSelecting_) return;
  if (ctrl && shift && key >= Qt::Key_0 && key <= Qt::Key_9) {
    // Shift+Ctrl+digit toggles that mark on the caret row.
    const int mark = key - Qt::Key_0;
    if (GetRowMarks(caretRow_) & (1 << mark)) {
      DeleteRowMark(caretRow_, mark);
    } else {
      PutRowMark(caretRow_, mark);
    }
    return;
  }
  if (ctrl && !shift) {
    switch (key) {
      case Qt::Key_0: case Qt::Key_1: case Qt::Key_2: case Qt::Key_3: case Qt::Key_4:
      case Qt::Key_5: case Qt::Key_6: case Qt::Key_7: case Qt::Key_8: case Qt::Key_9:
        GotoRowMark(key - Qt::Key_0);
        return;
      case Qt::Key_Z: if (!readOnly_) Undo(); return;
      case Qt::Key_A: if (!readOnly_) Redo(); return;
      case Qt::Key_X: if (!readOnly_) CutToClipboard(); return;
      case Qt::Key_C: CopyToClipboard(); return;
      case Qt::Key_V: PasteFromClipboard(); return;
      case Qt::Key_B: {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (data && data->hasText()) InsertBox(QStringToSjis(data->text()));
        return;
      }
      case Qt::Key_K: SetSelectionMode(box_ ? 0 : 1); return;
      default: break;
    }
  }
  switch (key) {
    case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_End: case Qt::Key_Home:
    case Qt::Key_Left: case Qt::Key_Up: case Qt::Key_Right: case Qt::Key_Down:
      MoveKey(key, shift, ctrl);
      return;
    case Qt::Key_Delete: DeleteChar(); return;
    case Qt::Key_Backspace: Backspace(); return;
    case Qt::Key_Return: case Qt::Key_Enter:
      // Without WantReturns Enter belongs to the dialog's default button.
      if (!wantReturns_) {
        event->ignore();
        return;
      }
      Enter(shift);
      return;
    case Qt::Key_Tab:
      if (!shift && !ctrl) TypeTab();
      return;
    default: break;
  }
  const QString text = event->text();
  if (readOnly_ || ctrl || text.isEmpty()) return;
  std::string sjis;
  for (const QChar ch : text) {
    if (ch.unicode() >= 0x20 && ch.unicode() != 0x7F) sjis += QStringToSjis(QString(ch));
  }
  if (!sjis.empty()) TypeText(sjis);
}

void TEditor::keyReleaseEvent(QKeyEvent* event) {
  if (!event->isAutoRepeat()) autoRepeat_ = false;
  if (dragState_ == 2 && event->key() == Qt::Key_Control) SetCursorState(4);
  QAbstractScrollArea::keyReleaseEvent(event);
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
  // Tab types into the editor while it wants tabs.
  return wantTabs_ ? false : QAbstractScrollArea::focusNextPrevChild(next);
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
  if (popupMenu_) {
    popupMenu_->exec(event->globalPos());
    return;
  }
  QMenu menu(this);
  const auto sj = [](const char* utf8) { return QString::fromUtf8(utf8); };
  int usedMarks = 0;
  for (int r = 0; r < RowCount(); ++r) usedMarks |= GetRowMarks(r) & 0x3FF;
  QMenu* set = menu.addMenu(sj("マーク設定"));
  QMenu* jump = menu.addMenu(sj("マークジャンプ"));
  for (int m = 0; m < 10; ++m) {
    QAction* s = set->addAction(QString::number(m), [this, m] {
      if (GetRowMarks(caretRow_) & (1 << m)) {
        DeleteRowMark(caretRow_, m);
      } else {
        PutRowMark(caretRow_, m);
      }
    });
    s->setShortcut(QKeySequence(sj("Shift+Ctrl+") + QString::number(m)));
    s->setCheckable(true);
    s->setChecked(usedMarks & (1 << m));
    QAction* j = jump->addAction(QString::number(m), [this, m] { GotoRowMark(m); });
    j->setShortcut(QKeySequence(sj("Ctrl+") + QString::number(m)));
    j->setCheckable(true);
    j->setChecked(usedMarks & (1 << m));
  }
  menu.addSeparator();
  const bool selected = GetSelLength() > 0;
  const bool canPaste = ClipboardHasText() && !readOnly_;
  menu.addAction(sj("元に戻す(&U)"), QKeySequence("Ctrl+Z"), [this] { Undo(); })->setEnabled(CanUndo() && !readOnly_);
  menu.addAction(sj("やり直し(&R)"), QKeySequence("Ctrl+A"), [this] { Redo(); })->setEnabled(CanRedo() && !readOnly_);
  menu.addSeparator();
  menu.addAction(sj("切り取り(&T)"), QKeySequence("Ctrl+X"), [this] { CutToClipboard(); })->setEnabled(selected && !readOnly_);
  menu.addAction(sj("コピー(&C)"), QKeySequence("Ctrl+C"), [this] { CopyToClipboard(); })->setEnabled(selected);
  menu.addAction(sj("貼り付け(&P)"), QKeySequence("Ctrl+V"), [this] { PasteFromClipboard(); })->setEnabled(canPaste);
  menu.addAction(sj("Box貼り付け(&B)"), QKeySequence("Ctrl+B"), [this] {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data && data->hasText()) InsertBox(QStringToSjis(data->text()));
  })->setEnabled(canPaste);
  menu.addAction(sj("削除(&D)"), [this] { if (!readOnly_) DeleteSelection(); })->setEnabled(selected && !readOnly_);
  menu.addSeparator();
  menu.addAction(sj("すべて選択(&A)"), [this] { SelectAll(); })->setEnabled(TextLength() > 0);
  menu.addSeparator();
  QAction* box = menu.addAction(sj("Box選択モード(&K)"), QKeySequence("Ctrl+K"), [this] { SetSelectionMode(box_ ? 0 : 1); });
  box->setCheckable(true);
  box->setChecked(box_);
  menu.exec(event->globalPos());
}

}  // namespace nura
