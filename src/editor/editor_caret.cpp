// The editor's caret and selection: where the caret may stand, how it
// moves by keys and by program, how the view follows it, and the anchored,
// ordinary and search-hit selection in stream or box mode.
#include <QScrollBar>
#include <algorithm>

#include "editor/editor_control.h"
#include "editor/editor_pictures.h"
#include "editor/fountain.h"
#include "platform/window_messages.h"

namespace nura {

void TEditor::SetCol(int col) {
  const int old = caretCol_;
  caretCol_ = std::max(0, std::min(col, kMaxColumn + 1));
  AdjustCaretColumn(false, caretCol_ > old ? 1 : -1);
  if (ruler_.Visible() && caretCol_ != old) viewport()->update(0, 0, viewport()->width(), TextTop());
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
  // KeepCaret: a vertical move returns to the column a short row cut.
  if (!caret_.FreeCaret() && caretCol_ > w) {
    if (caret_.KeepCaret()) remember(mouseSelecting_ ? w : caretCol_);
    if (!(caret_.FreeRow() && vertical && !mouseSelecting_)) caretCol_ = w;
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
  // The rows the caret (and the caret-row underline) left and reached,
  // and the ruler's caret mark.
  InvalidateRowRange(paintedCaretRow_, paintedCaretRow_);
  InvalidateRowRange(caretRow_, caretRow_);
  paintedCaretRow_ = caretRow_;
  viewport()->update(0, 0, viewport()->width(), TextTop());
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
  const int oldFirst = sel_.startRowCol, oldLast = sel_.endRowCol;
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
  InvalidateRowRange(std::min(oldFirst, sel_.startRowCol), std::max(oldLast, sel_.endRowCol));
  if (OnSelectionChange) OnSelectionChange(true);
}

void TEditor::CleanSelection() {
  hitCaretWidth_ = 0;
  if (sel_.state == 0) return;
  InvalidateRowRange(sel_.startRowCol - 1, sel_.endRowCol);
  sel_ = TEditorSelection();
  rememberedSet_ = false;
  if (OnSelectionChange) OnSelectionChange(false);
}

void TEditor::SetSelectionMode(int mode) {
  const bool box = mode == 1;
  if (box == box_ || dragState_ == 2) return;
  box_ = box;
  if (HasPlainSelection()) {
    if (box_) SetCursorState(0);
    ExtendSelection();
  }
  if (OnSelectionModeChange) OnSelectionModeChange();
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
    auto parser = ActiveFountain()->CreateParser();
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
    case msg::kVkPrior:
    case msg::kVkNext: {
      const int range = autoRepeat_ ? speed_.PageVerticalRangeAc() : speed_.PageVerticalRange();
      const int step = (visibleRows_ - 1) / 2 * range;
      const int delta = key == msg::kVkPrior ? -std::max(1, step) : std::max(1, step);
      if (topRow_ == 0 && delta < 0) {
        SetRow(0);
        break;
      }
      if (delta > 0 && topRow_ < RowCount() && RowKind(topRow_) == kRowEndOfFile) break;
      const int d = caretRow_ - topRow_;
      SetTopRow(topRow_ + delta);
      SetRow(topRow_ + d);
      break;
    }
    case msg::kVkEnd:
      if (ctrl) SetRow(RowCount());
      SetCol(caretRow_ == RowCount() ? 0 : RowWidth(caretRow_));
      break;
    case msg::kVkHome:
      if (ctrl) SetRow(0);
      SetCol(0);
      break;
    case msg::kVkLeft:
      if (ctrl) {
        int r = caretRow_, c = caretCol_;
        if (NextTokenPosition(r, c, -1)) SetRowCol(r, c);
      } else if (caretCol_ > 0) {
        SetCol(caretCol_ - 1);
      } else if (caretRow_ > 0 && (caret_.NextLine() || RowKind(caretRow_ - 1) == kRowWrapped)) {
        SetRowCol(caretRow_ - 1, RowWidth(caretRow_ - 1));
      }
      break;
    case msg::kVkRight:
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
    case msg::kVkUp: {
      if (caretRow_ <= 0) break;
      // A held key speeds up once the caret pushes the view.
      const int step = autoRepeat_ && caretRow_ == topRow_ ? speed_.CaretVerticalAc() : 1;
      if (ctrl) {
        SetTopRow(topRow_ - step);
        if (caretRow_ > topRow_ + visibleRows_ - 1) SetRow(caretRow_ - step);
      } else {
        SetRow(caretRow_ - step);
      }
      break;
    }
    case msg::kVkDown: {
      const int step = autoRepeat_ && caretRow_ == topRow_ + visibleRows_ - 1 ? speed_.CaretVerticalAc() : 1;
      if (ctrl) {
        SetTopRow(topRow_ + step);
        if (caretRow_ < topRow_) SetRow(caretRow_ + step);
      } else if (RowKind(caretRow_) != kRowEndOfFile) {
        SetRow(caretRow_ + step);
      }
      break;
    }
    default:
      break;
  }
  if (shift) UpdateSelection();
}

// ---- selection by rows ----

int TEditor::ClampSelectionRow(int row) const {
  row = std::max(0, std::min(row, RowCount()));
  if (row == RowCount() && row > 0 && RowKind(row - 1) == kRowEndOfFile) --row;
  return row;
}

void TEditor::StartRowSelection(int row) {
  if (RowCount() == 0) return;
  row = ClampSelectionRow(row);
  const bool eofRow = row < RowCount() && RowKind(row) == kRowEndOfFile;
  BeginCaretUpdate();
  CleanSelection();
  // The anchor at the row's start (the end of the last row), the far end
  // at the start of the next row (the row's start).
  SetRowCol(row, eofRow ? RowWidth(row) : 0);
  StartSelection();
  SetRowCol(eofRow ? row : row + 1, 0);
  UpdateSelection();
  rowSelecting_ = true;
  rowSelectUp_ = false;
  rowSelectFirst_ = row;
  SetRowCol(row, 0);
  EndCaretUpdate();
}

void TEditor::ExtendRowSelection(int row) {
  if (!rowSelecting_ || !HasPlainSelection()) return;
  row = ClampSelectionRow(row);
  const auto anchorAt = [this](int r, int col) {
    sel_.anchorRow = r;
    sel_.anchorByte = ColToByte(r, col);
    sel_.anchorCol = col;
  };
  const bool firstIsEof = rowSelectFirst_ < RowCount() && RowKind(rowSelectFirst_) == kRowEndOfFile;
  BeginCaretUpdate();
  if (row < rowSelectFirst_) {
    if (!rowSelectUp_) {
      if (firstIsEof) {
        anchorAt(rowSelectFirst_, RowWidth(rowSelectFirst_));
      } else {
        anchorAt(rowSelectFirst_ + 1, 0);
      }
    }
    rowSelectUp_ = true;
    SetRowCol(row, 0);
  } else {
    if (rowSelectUp_ && !firstIsEof) anchorAt(rowSelectFirst_, 0);
    rowSelectUp_ = false;
    if (row < RowCount() && RowKind(row) == kRowEndOfFile) {
      SetRowCol(row, RowWidth(row));
    } else {
      SetRowCol(row + 1, 0);
    }
  }
  UpdateSelection();
  EndCaretUpdate();
}

// ---- dragging a selection ----

bool TEditor::CanSelMove() const { return !readOnly_ && HasPlainSelection() && !box_ && caret_.SelMove(); }

void TEditor::CancelSelectionDrag(bool escape) {
  dragState_ = 0;
  if (escape && caret_.AutoCursor()) {
    viewport()->setCursor(EditorQCursor(caret_.Cursors().DefaultCursor()));
    cursorState_ = 0;
  } else {
    SetCursorState(0);
  }
  CleanSelection();
}

void TEditor::DropSelectionAt(int row, int col) {
  if (!CanSelMove() || IsInSelection(row, col)) {
    CleanSelection();
    return;
  }
  const std::string text = GetSelText();
  CleanSelection();
  SetRowCol(row, col);
  InsertText(text);
}

void TEditor::MoveSelectionTo(int row, int col) {
  if (!CanSelMove() || IsInSelection(row, col)) {
    CleanSelection();
    return;
  }
  row = std::max(0, std::min(row, RowCount()));
  // The block of whole rows from the line of the earlier end to the later
  // row, as one text; offsets count from its start.
  const int first = list_->FirstRowOfLine(std::min(sel_.startRow, std::min(row, RowCount() - 1)));
  const int last = std::min(std::max(sel_.endRow, row), RowCount() - 1);
  std::string block;
  std::vector<int> rowStart;
  for (int r = first; r <= last; ++r) {
    rowStart.push_back(static_cast<int>(block.size()));
    block += RowText(r) + (RowKind(r) == kRowEndsLine ? "\r\n" : "");
  }
  const auto offsetOf = [&](int r, int byte) {
    if (r > last) return static_cast<int>(block.size());
    return rowStart[static_cast<size_t>(r - first)] + std::min<int>(byte, RowText(r).size());
  };
  const int selStart = offsetOf(sel_.startRow, sel_.startByte);
  const int selEnd = offsetOf(sel_.endRow, sel_.endByte + 1);
  const int drop = offsetOf(row, ColToByte(row, col));
  const std::string moved = block.substr(static_cast<size_t>(selStart), static_cast<size_t>(selEnd - selStart));
  std::string result;
  int caret = 0;
  if (drop <= selStart) {
    result = block.substr(0, drop) + moved + block.substr(drop, selStart - drop) + block.substr(selEnd);
    caret = drop + static_cast<int>(moved.size());
  } else {
    result = block.substr(0, selStart) + block.substr(selEnd, drop - selEnd) + moved + block.substr(drop);
    caret = drop;
  }
  ReplaceRows(first, last - first + 1, result, first, caret);
}

// ---- the mouse cursor ----

// 0 text, 1 left margin, 2 top margin, 3 in a movable selection; 4 and 5
// the drag-move and drag-copy cursors, shown over the others.
void TEditor::SetCursorState(int state) {
  if (state == cursorState_) return;
  cursorState_ = state;
  if (!caret_.AutoCursor()) return;
  const TEditorCursors& k = caret_.Cursors();
  const TCursor cursors[] = {k.DefaultCursor(), k.LeftMarginCursor(), k.TopMarginCursor(),
                             k.InSelCursor(),   k.DragSelCursor(),    k.DragSelCopyCursor()};
  if (state >= 0 && state < 6) viewport()->setCursor(EditorQCursor(cursors[state]));
}

// ---- tokens ----

bool TEditor::CharRangeAt(QPoint at, int& row, int& byte) const {
  if (RowCount() == 0 || charWidth_ == 0 || at.x() < TextLeft() || at.y() < TextTop()) return false;
  int col = 0;
  PixelToRowCol(at.x(), at.y(), false, row, col);
  if (row < 0 || row > RowCount()) return false;
  const std::string attrs = RowAttributes(row);
  if (col >= static_cast<int>(attrs.size())) return false;
  if (attrs[static_cast<size_t>(col)] == '5') --col;
  while (col > 0 && attrs[static_cast<size_t>(col)] == '3') --col;
  byte = ColToByte(row, col);
  return true;
}

namespace {

// The parser of a line for tokens: the fountain's, or plain tokens.
std::unique_ptr<TFountainParser> TokenParser(const TFountain* fountain, bool useFountain) {
  static const TFountain plain;
  return (useFountain && fountain ? fountain : &plain)->CreateParser();
}

}  // namespace

bool TEditor::FindTokenAt(QPoint at, bool useFountain, bool keepState, TTokenAt& token) const {
  int row = 0, byte = 0;
  if (!CharRangeAt(at, row, byte)) return false;
  token.firstRow = list_->FirstRowOfLine(row);
  TRowAttributeData state;
  if (useFountain) state = list_->GetRowAttributeData(token.firstRow);
  if (!useFountain || !keepState) state.parseState = -2;
  std::string line;
  int offset = 0;
  for (int r = token.firstRow; r < RowCount() && (r == token.firstRow || RowKind(r - 1) == kRowWrapped); ++r) {
    if (r == row) offset = static_cast<int>(line.size()) + byte;
    line += RowText(r);
  }
  auto parser = TokenParser(ActiveFountain(), useFountain);
  parser->SetText(line, state);
  while (parser->NextToken() != toEof) {
    if (parser->TokenOffset() <= offset && offset <= parser->TokenOffset() + parser->TokenLength() - 1) {
      token.start = parser->TokenOffset();
      token.text = std::string(parser->TokenString());
      token.kind = parser->Token();
      return true;
    }
  }
  return false;
}

bool TEditor::GetTokenAt(QPoint at, bool useFountain, bool keepState, std::string& text, int& kind) const {
  TTokenAt token;
  if (!FindTokenAt(at, useFountain, keepState, token)) return false;
  text = token.text;
  kind = token.kind;
  return true;
}

void TEditor::SelectTokenAt(QPoint at, bool useFountain, bool keepState) {
  TTokenAt token;
  if (!FindTokenAt(at, useFountain, keepState, token)) return;
  CleanSelection();
  SetCaretByOffset(token.firstRow, token.start);
  SetSelLength(static_cast<int>(token.text.size()));
}

}  // namespace nura
