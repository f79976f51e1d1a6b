// The editor's caret and selection: where the caret may stand, how it
// moves by keys and by program, how the view follows it, and the anchored,
// ordinary and search-hit selection in stream or box mode.
#include <QScrollBar>
#include <algorithm>

#include "editor/editor_control.h"
#include "editor/fountain.h"

namespace nura {

void TEditor::SetCol(int col) {
  const int old = caretCol_;
  caretCol_ = std::max(0, std::min(col, kMaxColumn + 1));
  AdjustCaretColumn(false, caretCol_ > old ? 1 : -1);
  if (ruler_.Visible() && caretCol_ != old) viewport()->update();
}

void TEditor::SetRow(int row) {
  if (row == caretRow_ && caretRow_ != RowCount()) return;
  const int count = RowCount();
  caretRow_ = std::max(0, std::min(row, count));
  if (caretRow_ == count && count > 0 && RowKind(count - 1) == kRowEndOfFile) caretRow_ = count - 1;
  AdjustCaretColumn(true, -1);
}

void TEditor::SetRowCol(int row, int col) {
  if (row == caretRow_ && col == caretCol_) return;
  programmatic_ = true;
  SetRow(row);
  const std::string attrs = RowAttributes(caretRow_);
  const auto at = [&](int c) { return c >= 0 && c < static_cast<int>(attrs.size()) ? attrs[c] : '0'; };
  if (at(col) == '5') --col;
  if (!caret_.InTab()) {
    while (col > 0 && at(col) == '3') --col;
  }
  caretCol_ = -1;  // so that SetCol always stores and adjusts
  SetCol(col);
  programmatic_ = false;
  UpdateCaret();
}

void TEditor::AdjustCaretColumn(bool vertical, int direction) {
  const auto remember = [&](int c) {
    if (vertical && !rememberedSet_) rememberedCol_ = c, rememberedSet_ = true;
  };
  if (!vertical) {
    rememberedSet_ = false;
  } else if (rememberedSet_) {
    caretCol_ = rememberedCol_;
  }
  const int w = RowWidth(caretRow_);
  const std::string attrs = RowAttributes(caretRow_);
  const auto at = [&](int c) { return c >= 0 && c < static_cast<int>(attrs.size()) ? attrs[c] : '0'; };
  if (!caret_.FreeCaret() && caretCol_ > w) {
    remember(caretCol_);
    if (!(caret_.FreeRow() && vertical)) caretCol_ = w;
  }
  if (at(caretCol_) == '5') {
    remember(caretCol_);
    caretCol_ += direction;
  }
  if (!caret_.InTab() && at(caretCol_) == '3') {
    remember(caretCol_);
    while (at(caretCol_) == '3') caretCol_ += direction;
  }
  if (WordWrap() && caretCol_ >= w && w > 0) {
    remember(caretCol_);
    if (RowKind(caretRow_) == kRowWrapped) {
      caretCol_ = w - 1;
    } else if (caretCol_ >= WrapOption().WrapByte()) {
      caretCol_ = std::max(w, WrapOption().WrapByte() - 1);
    }
    if (at(caretCol_) == '5') --caretCol_;
    while (!caret_.InTab() && caretCol_ > 0 && at(caretCol_) == '3') --caretCol_;
  }
  if (caretCol_ > kMaxColumn && at(kMaxColumn - 1) != '4') caretCol_ = kMaxColumn;
  caretCol_ = std::max(0, caretCol_);
  if (!programmatic_) UpdateCaret();
}

void TEditor::UpdateCaret() {
  if (caretUpdate_ > 0) return;
  ScrollToCaret();
  setInputMethodHints(inputMethodHints());
  viewport()->update();
  if (OnCaretMoved) OnCaretMoved();
}

void TEditor::EndCaretUpdate() {
  if (caretUpdate_ > 0 && --caretUpdate_ == 0) UpdateCaret();
}

QPoint TEditor::CaretToPixel() const {
  const int x = TextLeft() + (caretCol_ - topCol_) * charWidth_;
  int y = TextTop() + (caretRow_ - topRow_) * rowHeight_;
  if (caret_.Style() == TEditorCaretStyle::csBrief) y += fontHeight_ - 2;
  return {x, y};
}

void TEditor::PixelToRowCol(int x, int y, bool nearest, int& row, int& col) const {
  const int left = TextLeft();
  if (x < left) x = x - charWidth_ + 1;
  const int e = nearest ? x + charWidth_ / 2 - left - 1 : x - left;
  col = std::max(0, (e >= 0 ? e / charWidth_ : -((-e + charWidth_ - 1) / charWidth_)) + topCol_);
  const int dy = y - TextTop();
  row = (dy >= 0 ? dy / rowHeight_ : -((-dy + rowHeight_ - 1) / rowHeight_)) + topRow_;
}

void TEditor::ScrollToCaret() {
  int top = topRow_;
  if (caretRow_ < top) top = caretRow_;
  if (caretRow_ > top + visibleRows_ - 1) top = caretRow_ - visibleRows_ + 1;
  SetTopRow(top);
  int left = topCol_;
  if (caretCol_ < left) left = std::max(0, std::min(caretCol_, left - visibleCols_ / 4));
  if (caretCol_ > left + visibleCols_ - 1)
    left = std::min(std::max(caretCol_ - visibleCols_ + 1, left + visibleCols_ / 4), kMaxColumn - visibleCols_ / 2);
  SetTopCol(left);
}

// ---- selection ----

void TEditor::StartSelection() {
  CleanSelection();
  if (RowCount() == 0) return;
  sel_.state = 1;
  sel_.anchorRow = caretRow_;
  sel_.anchorByte = ColToByte(caretRow_, caretCol_);
  sel_.anchorCol = box_ ? caretCol_ : std::min(caretCol_, RowWidth(caretRow_));
  sel_.startRow = sel_.endRow = sel_.startRowCol = sel_.endRowCol = caretRow_;
  sel_.startByte = sel_.endByte = sel_.anchorByte;
  sel_.startCol = sel_.endCol = sel_.anchorCol;
}

void TEditor::UpdateSelection() {
  if (sel_.state == 1) {
    sel_.state = 2;
    ExtendSelection();
  } else if (sel_.state == 2) {
    ExtendSelection();
  }
}

void TEditor::ExtendSelection() {
  const int c = ColToByte(caretRow_, caretCol_);
  sel_.startRow = std::min(sel_.anchorRow, caretRow_);
  sel_.endRow = std::max(sel_.anchorRow, caretRow_);
  if (sel_.anchorRow == caretRow_) {
    sel_.startByte = std::min(sel_.anchorByte, c);
    sel_.endByte = std::max(sel_.anchorByte, c) - 1;
  } else if (sel_.anchorRow < caretRow_) {
    sel_.startByte = sel_.anchorByte, sel_.endByte = c - 1;
  } else {
    sel_.startByte = c, sel_.endByte = sel_.anchorByte - 1;
  }
  sel_.startRowCol = sel_.startRow, sel_.endRowCol = sel_.endRow;
  const int caretCol = box_ ? caretCol_ : std::min(caretCol_, RowWidth(caretRow_));
  const int anchorCol = box_ ? sel_.anchorCol : std::min(sel_.anchorCol, RowWidth(sel_.anchorRow));
  if (box_ || sel_.anchorRow == caretRow_) {
    sel_.startCol = std::min(anchorCol, caretCol), sel_.endCol = std::max(anchorCol, caretCol);
  } else if (sel_.anchorRow < caretRow_) {
    sel_.startCol = anchorCol, sel_.endCol = caretCol;
  } else {
    sel_.startCol = caretCol, sel_.endCol = anchorCol;
  }
  viewport()->update();
  if (OnSelectionChange) OnSelectionChange(true);
}

void TEditor::CleanSelection() {
  if (sel_.state == 0) return;
  sel_ = TEditorSelection();
  rememberedSet_ = false;
  viewport()->update();
  if (OnSelectionChange) OnSelectionChange(false);
}

void TEditor::SetSelectionMode(int mode) {
  const bool box = mode == 1;
  if (box == box_) return;
  box_ = box;
  if (HasPlainSelection()) ExtendSelection();
}

bool TEditor::IsInSelection(int row, int col) const {
  if (!HasPlainSelection() || row < sel_.startRowCol || row > sel_.endRowCol) return false;
  if (box_) return col >= sel_.startCol && col < sel_.endCol;
  return (row > sel_.startRowCol || col >= sel_.startCol) && (row < sel_.endRowCol || col < sel_.endCol);
}

void TEditor::SelectAll() {
  BeginCaretUpdate();
  SetSelStart(0);
  SetSelLength(TextLength());
  EndCaretUpdate();
}

// ---- keyboard movement ----

bool TEditor::NextTokenPosition(int& row, int& col, int direction) const {
  if (row < 0 || row > RowCount() || (row == RowCount() && RowKind(row - 1) == kRowEndOfFile)) return false;
  const int oldRow = row, oldCol = col;
  // Token starts of a row (single-character tokens skipped).
  const auto starts = [this](int r) {
    std::vector<int> out;
    const std::string text = RowText(r);
    auto parser = view_.Fountain().CreateParser();
    parser->SetText(text, TRowAttributeData{});
    while (parser->NextToken() != toEof) {
      if (parser->Token() != toSymbol) out.push_back(ByteToCol(r, parser->TokenOffset()));
    }
    return out;
  };
  if (direction > 0) {
    if (col >= RowWidth(row) && row + 1 < RowCount()) ++row, col = -1;
    for (int s : starts(row)) {
      if (s > col) {
        col = s;
        return row != oldRow || col != oldCol;
      }
    }
    if (RowKind(row) == kRowWrapped && row + 1 < RowCount()) {
      ++row, col = 0;
    } else {
      col = RowWidth(row);
    }
    return row != oldRow || col != oldCol;
  }
  if (col == 0) {
    if (row == 0) return false;
    --row;
    col = RowWidth(row);
    if (RowKind(row) == kRowEndsLine) return true;
  }
  int found = -1;
  for (int s : starts(row)) {
    if (s < col) found = s;
  }
  if (found >= 0) {
    col = found;
  } else if (row == 0) {
    col = 0;
  } else {
    --row;
    col = RowWidth(row);
  }
  return row != oldRow || col != oldCol;
}

void TEditor::MoveKey(int key, bool shift, bool ctrl) {
  if (shift && !HasPlainSelection()) StartSelection();
  if ((HasPlainSelection() && !shift) || HasHitSelection()) CleanSelection();
  switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
      const int step = (visibleRows_ - 1) / 2 * speed_.PageVerticalRange();
      const int delta = key == Qt::Key_PageUp ? -std::max(1, step) : std::max(1, step);
      if (topRow_ == 0 && delta < 0) {
        SetRow(0);
        break;
      }
      const int d = caretRow_ - topRow_;
      SetTopRow(topRow_ + delta);
      SetRow(topRow_ + d);
      break;
    }
    case Qt::Key_End:
      if (ctrl) SetRow(RowCount());
      SetCol(caretRow_ == RowCount() ? 0 : RowWidth(caretRow_));
      break;
    case Qt::Key_Home:
      if (ctrl) SetRow(0);
      SetCol(0);
      break;
    case Qt::Key_Left:
      if (ctrl) {
        int r = caretRow_, c = caretCol_;
        if (NextTokenPosition(r, c, -1)) SetRowCol(r, c);
      } else if (caretCol_ > 0) {
        SetCol(caretCol_ - 1);
      } else if (caretRow_ > 0 && (caret_.NextLine() || RowKind(caretRow_ - 1) == kRowWrapped)) {
        SetRowCol(caretRow_ - 1, RowWidth(caretRow_ - 1));
      }
      break;
    case Qt::Key_Right:
      if (ctrl) {
        int r = caretRow_, c = caretCol_;
        if (NextTokenPosition(r, c, 1)) SetRowCol(r, c);
      } else {
        const int old = caretCol_;
        SetCol(caretCol_ + 1);
        if (caretCol_ == old && caretRow_ < RowCount() && RowKind(caretRow_) != kRowEndOfFile &&
            (caret_.NextLine() || RowKind(caretRow_) == kRowWrapped))
          SetRowCol(caretRow_ + 1, 0);
      }
      break;
    case Qt::Key_Up:
      if (ctrl) {
        SetTopRow(topRow_ - 1);
        if (caretRow_ > topRow_ + visibleRows_ - 1) SetRow(caretRow_ - 1);
      } else if (caretRow_ > 0) {
        SetRow(caretRow_ - 1);
      }
      break;
    case Qt::Key_Down:
      if (ctrl) {
        SetTopRow(topRow_ + 1);
        if (caretRow_ < topRow_) SetRow(caretRow_ + 1);
      } else if (RowKind(caretRow_) != kRowEndOfFile) {
        SetRow(caretRow_ + 1);
      }
      break;
    default:
      break;
  }
  if (shift) UpdateSelection();
}

}  // namespace nura
