// The editor control: construction, options, layout, and the byte-offset
// position properties that scripts read and write.
#include "editor/editor_control.h"

#include <QFontMetrics>
#include <QScrollBar>
#include <algorithm>
#include <climits>

#include "editor/column_attributes.h"
#include "editor/editor_popup_menu.h"
#include "editor/editor_text.h"

namespace nura {

TEditor::TEditor(QWidget* parent)
    : QAbstractScrollArea(parent), list_(new TEditorScreenStrings) {
  resize(185, 89);
  setFrameShape(QFrame::Box);
  viewport()->setCursor(Qt::IBeamCursor);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  viewport()->setMouseTracking(true);
  list_->AttachEditor(this);
  lines_ = std::make_unique<TEditorStrings>(*list_, *this);
  setFont(font_.ToQFont());
  font_.OnChange = [this](TPersistent*) {
    if (topCol_ > 0) SetCol(0);  // back to the left edge before re-measuring
    setFont(font_.ToQFont());
    OptionChanged(&font_);
  };
  const auto bind = [this](TNotifyPersistent& option) {
    option.OnChange = [this](TPersistent* sender) { OptionChanged(sender); };
  };
  bind(view_);
  bind(caret_);
  bind(marks_);
  bind(margin_);
  bind(imagebar_);
  bind(leftbar_);
  bind(ruler_);
  SetScrollBars(TScrollStyle::ssNone);
  UpdateFontMetrics();
  ownMenu_ = new TEditorPopupMenu(this);
}

TEditor::~TEditor() {
  destroying_ = true;
  SetFountain(nullptr);
  lines_.reset();
  if (list_->DetachEditor(this)) delete list_;
}

void TEditor::AttachRowList(TEditorScreenStrings* list) {
  lines_.reset();
  if (list_->DetachEditor(this)) delete list_;
  list_ = list;
  lineCount_ = -1;
  list_->AttachEditor(this);
  lines_ = std::make_unique<TEditorStrings>(*list_, *this);
}

void TEditor::ShareRowList(TEditor* other) {
  if (!other || other->list_ == list_) return;
  CleanSelection();
  AttachRowList(other->list_);
  caretRow_ = std::min(caretRow_, RowCount());
  topRow_ = std::min(topRow_, RowCount());
  Refresh();
}

const TFountain* TEditor::ActiveFountain() const {
  return fountain_ ? fountain_ : static_cast<const TFountain*>(&view_.Fountain());
}

void TEditor::SetFountain(TFountain* fountain) {
  if (fountain == fountain_) return;
  if (fountain_) {
    fountain_->NotifyEventList().Remove(this);
    fountain_->FreeNotifyList().Remove(this);
  }
  fountain_ = fountain;
  if (fountain_) {
    fountain_->NotifyEventList().Add(this, [this](TPersistent* sender) { OptionChanged(sender); });
    // A fountain that goes away leaves the editor with the view's own.
    fountain_->FreeNotifyList().Add(this, [this](TPersistent*) {
      fountain_ = nullptr;
      if (!destroying_) OptionChanged(&view_);
    });
  }
  if (!destroying_) OptionChanged(&view_);
}

void TEditor::SetImageDigits(TEditorImageList* list) {
  imageDigits_ = list;
  if (imagebar_.Visible()) viewport()->update();
}

void TEditor::SetImageMarks(TEditorImageList* list) {
  imageMarks_ = list;
  if (imagebar_.Visible()) viewport()->update();
}

void TEditor::SetBorderStyle(TBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  setFrameShape(style == TBorderStyle::bsSingle ? QFrame::Box : QFrame::NoFrame);
  UpdateFontMetrics();
  UpdateScrollBars();
}

void TEditor::OptionChanged(TPersistent* sender) {
  if (sender == &marks_) margin_.SetUnderline(marks_.Underline().Visible() ? 1 : 0);
  if (sender == &view_ || (fountain_ && sender == fountain_)) list_->InitParseStates();
  UpdateFontMetrics();
  UpdateScrollBars();
  viewport()->update();
  if (sender == &caret_) {
    UpdateCaret();
  } else {
    ScrollToCaret();
  }
}

void TEditor::SetColor(TColor c) {
  if (c == color_) return;
  color_ = c;
  viewport()->update();
}

void TEditor::SetReadOnly(bool on) {
  if (dragState_ == 2) return;
  readOnly_ = on;
  // A selection can no longer be moved: the pointer over it is the text's.
  if (on && HasPlainSelection()) SetCursorState(0);
}

void TEditor::SetHitStyle(TEditorHitStyle style) {
  if (style == hitStyle_) return;
  CleanSelection();
  hitStyle_ = style;
}

void TEditor::SetScrollBars(TScrollStyle style) {
  scrollBars_ = style;
  const bool v = style == TScrollStyle::ssVertical || style == TScrollStyle::ssBoth;
  const bool h = style == TScrollStyle::ssHorizontal || style == TScrollStyle::ssBoth;
  setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  UpdateFontMetrics();
  UpdateScrollBars();
}

void TEditor::SetReserveWordList(const std::vector<std::string>& words) {
  if (words == view_.Fountain().ReserveWordList()) return;
  view_.Fountain().SetReserveWordList(words);
  list_->InitParseStates();
  viewport()->update();
}

// ---- layout ----

// The number of digits the left bar shows: enough for the last number,
// at least Leftbar.Column, at most 8.
static int DecimalDigits(int n) { return static_cast<int>(std::to_string(std::max(0, n)).size()); }

int TEditor::LeftbarWidth() const {
  if (!leftbar_.Visible()) return 0;
  int digits = leftbar_.Column();
  if (leftbar_.ShowNumber() && RowCount() > 0) {
    // The last number shown; the row after a final line end is numbered too.
    const bool byLine = leftbar_.ShowNumberMode() == TEditorShowNumberMode::nmLine;
    const int n = (byLine ? LineCount() : RowCount()) - 1 + (leftbar_.ZeroBase() ? 0 : 1) +
                  (RowKind(RowCount() - 1) == kRowEndsLine ? 1 : 0);
    digits = std::min(8, std::max(digits, DecimalDigits(n)));
  }
  return leftbar_.LeftMargin() + digits * charWidth_ + leftbar_.RightMargin() + 2;
}

int TEditor::LineCount() const {
  if (lineCount_ < 0 || lineCountRows_ != RowCount()) {
    lineCount_ = lines_->GetCount();
    lineCountRows_ = RowCount();
  }
  return lineCount_;
}

int TEditor::RulerHeight() const { return ruler_.Visible() ? (ruler_.Edge() ? 11 : 10) : 0; }

int TEditor::TextLeft() const {
  const int image = imagebar_.Visible()
                        ? imagebar_.LeftMargin() + imagebar_.DigitWidth() + imagebar_.MarkWidth() + imagebar_.RightMargin()
                        : 0;
  return margin_.Left() + image + LeftbarWidth();
}

int TEditor::TextTop() const { return margin_.Top() + RulerHeight(); }

void TEditor::UpdateFontMetrics() {
  const QFontMetrics metrics(font());
  fontHeight_ = metrics.height() + metrics.leading();
  fontAscent_ = metrics.ascent();
  // One column is the half-width advance: a full-width character takes two.
  // (The average width of a CJK font is close to the full width.)
  charWidth_ = std::max(1, margin_.Character() + metrics.horizontalAdvance(QLatin1Char('0')));
  rowHeight_ = std::max(1, margin_.Underline() + fontHeight_ + margin_.Line());
  const QSize area = viewport()->size();
  visibleRows_ = std::max(1, (area.height() - TextTop() - 5) / rowHeight_);
  visibleCols_ = std::max(1, (area.width() - TextLeft() - charWidth_ / 2) / charWidth_);
}

void TEditor::UpdateScrollBars() {
  syncingScroll_ = true;
  const int rangeEnd = std::max(0, RowCount() + visibleRows_ - 1);
  topRow_ = std::min(topRow_, rangeEnd);
  topCol_ = std::min(topCol_, std::max(0, kMaxColumn - visibleCols_ / 2));
  verticalScrollBar()->setPageStep(visibleRows_);
  verticalScrollBar()->setRange(0, std::max(0, RowCount()));
  verticalScrollBar()->setValue(topRow_);
  horizontalScrollBar()->setPageStep(visibleCols_);
  horizontalScrollBar()->setRange(0, std::max(0, kMaxColumn - visibleCols_ / 2));
  horizontalScrollBar()->setValue(topCol_);
  syncingScroll_ = false;
}

void TEditor::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateFontMetrics();
  UpdateScrollBars();
}

// The scroll bars moved by the user: the same as scrolling by codes.
void TEditor::scrollContentsBy(int, int) {
  if (syncingScroll_) return;
  const int rows = verticalScrollBar()->value() - topRow_;
  const int cols = horizontalScrollBar()->value() - topCol_;
  if (rows != 0) ScrollByCode(true, 4, verticalScrollBar()->value());
  if (cols != 0) ScrollByCode(false, 4, horizontalScrollBar()->value());
}

void TEditor::SetTopRow(int row) {
  const int top = std::max(0, std::min(row, RowCount()));
  if (top == topRow_) return;
  topRow_ = top;
  UpdateScrollBars();
  viewport()->update();
  if (OnTopRowChange) OnTopRowChange();
}

void TEditor::SetTopCol(int col) {
  const int left = std::max(0, std::min(col, kMaxColumn - visibleCols_ / 2));
  if (left == topCol_) return;
  topCol_ = left;
  UpdateScrollBars();
  viewport()->update();
  if (OnTopColChange) OnTopColChange();
}

void TEditor::Refresh() {
  lineCount_ = -1;
  UpdateFontMetrics();
  UpdateScrollBars();
  UpdateCaret();
  viewport()->update();
}

void TEditor::InvalidateTextRow(int row) { InvalidateRowRange(row, row); }

// Whole rows, bars included, of those on the screen.
void TEditor::InvalidateRowRange(int first, int last) {
  first = std::max(first, topRow_);
  last = std::min(last, topRow_ + visibleRows_);
  if (first > last) return;
  viewport()->update(0, TextTop() + (first - topRow_) * rowHeight_, viewport()->width(),
                     (last - first + 1) * rowHeight_);
}

void TEditor::DoChange() {
  lineCount_ = -1;
  UpdateScrollBars();
  viewport()->update();
  modified_ = true;
  if (OnChange) OnChange();
}

// ---- row geometry ----

std::string TEditor::RowText(int row) const { return row >= 0 && row < RowCount() ? list_->Get(row) : std::string(); }

int TEditor::RowKind(int row) const { return row >= 0 && row < RowCount() ? list_->GetRowKind(row) : kRowEndOfFile; }

std::string TEditor::RowAttributes(int row) const { return MakeColumnAttributes(RowText(row), list_->Layout()); }

int TEditor::RowWidth(int row) const { return ExpandedLength(RowText(row), list_->Layout()); }

std::string TEditor::GetExpandedRow(int row) const {
  const std::string text = RowText(row);
  if (text.find('\t') == std::string::npos) return text;
  std::string out;
  for (size_t b = 0; b < text.size();) {
    const size_t len = EditorCharLength(text, b);
    if (text[b] == '\t') {
      const int width = ExpandedLength(out + "\t", list_->Layout()) - static_cast<int>(out.size());
      out.append(static_cast<size_t>(std::max(1, width)), ' ');
    } else {
      out.append(text, b, len);
    }
    b += len;
  }
  return out;
}

int TEditor::ColToByte(int row, int col) const {
  const std::string text = RowText(row);
  const std::string attrs = RowAttributes(row);
  const int n = std::min<int>(col + 1, static_cast<int>(attrs.size()));
  const int fills = static_cast<int>(std::count(attrs.begin(), attrs.begin() + std::max(0, n), '3'));
  return std::max(0, std::min(col - fills, static_cast<int>(text.size())));
}

int TEditor::ByteToCol(int row, int bytes) const {
  const std::string text = RowText(row);
  return ExpandedLength(std::string_view(text).substr(0, std::max(0, std::min<int>(bytes, text.size()))),
                        list_->Layout());
}

// The bytes a row adds to a byte offset: its length and its line break.
static int RowContribution(const TEditorScreenStrings& list, int row, bool setter) {
  const int kind = list.GetRowKind(row);
  const int len = static_cast<int>(list.Get(row).size());
  return len + (kind == kRowEndsLine ? 2 : kind == kRowEndOfFile && setter ? 1 : 0);
}

int TEditor::ByteOffsetFromRow(int first, int row, int col) const {
  int offset = 0;
  for (int r = std::max(0, first); r < row && r < RowCount(); ++r) offset += RowContribution(*list_, r, true);
  return offset + ColToByte(row, col);
}

int TEditor::TextLength() const {
  int n = 0;
  for (int r = 0; r < RowCount(); ++r) n += RowContribution(*list_, r, false);
  return n;
}

// ---- positions ----

int TEditor::GetSelStart() const {
  if (RowCount() == 0) return 0;
  int row = caretRow_, byte = ColToByte(caretRow_, caretCol_);
  if (HasSelection()) row = sel_.startRow, byte = sel_.startByte;
  int offset = 0;
  for (int r = 0; r < row && r < RowCount(); ++r) offset += RowContribution(*list_, r, false);
  return offset + byte;
}

// The box's byte range of a row: first byte and the byte after the last.
static std::pair<int, int> BoxBytes(const std::string& attrs, int startCol, int endCol, int len) {
  const auto fillsBefore = [&](int n) {
    return static_cast<int>(std::count(attrs.begin(), attrs.begin() + std::min<int>(n, attrs.size()), '3'));
  };
  const auto at = [&](int p) { return p >= 1 && p <= static_cast<int>(attrs.size()) ? attrs[p - 1] : '0'; };
  int p = startCol + 1;
  if (at(p) == '5') {
    p -= 1;  // a character cut by the left edge is taken whole
  } else {
    while (at(p) == '3') ++p;
  }
  int n = endCol;
  if (at(n) == '4') {
    ++n;
  } else {
    while (at(n) == '3') --n;
  }
  const int first = std::min(len, std::max(0, p - 1 - fillsBefore(p - 1)));
  const int end = std::min(len, std::max(first, n - fillsBefore(n)));
  return {first, end};
}

int TEditor::GetSelLength() const {
  if (!HasPlainSelection()) return 0;
  if (sel_.startRow == sel_.endRow && !box_) return sel_.endByte - sel_.startByte + 1;
  int n = 0;
  for (int r = sel_.startRow; r <= sel_.endRow && r < RowCount(); ++r) {
    const int len = static_cast<int>(RowText(r).size());
    if (box_) {
      const auto [first, end] = BoxBytes(RowAttributes(r), sel_.startCol, sel_.endCol, len);
      n += end - first + 2;
    } else if (r == sel_.startRow) {
      n += len - sel_.startByte + (RowKind(r) == kRowEndsLine ? 2 : 0);
    } else if (r == sel_.endRow) {
      n += sel_.endByte + 1;
    } else {
      n += RowContribution(*list_, r, false);
    }
  }
  return n;
}

std::string TEditor::GetSelText() const {
  if (!HasPlainSelection()) return {};
  std::string out;
  for (int r = sel_.startRow; r <= sel_.endRow && r < RowCount(); ++r) {
    const std::string text = RowText(r);
    const int len = static_cast<int>(text.size());
    if (box_) {
      const auto [first, end] = BoxBytes(RowAttributes(r), sel_.startCol, sel_.endCol, len);
      out.append(text, first, end - first).append("\r\n");
      continue;
    }
    const int from = r == sel_.startRow ? std::min(sel_.startByte, len) : 0;
    const int to = r == sel_.endRow ? std::min(sel_.endByte + 1, len) : len;
    if (to > from) out.append(text, from, to - from);
    if (r != sel_.endRow && RowKind(r) == kRowEndsLine) out += "\r\n";
  }
  return out;
}

void TEditor::FindOffset(int startRow, int offset, int& row, int& bytes) const {
  int remaining = std::max(0, offset);
  for (int r = std::max(0, startRow); r < RowCount(); ++r) {
    const int contribution = RowContribution(*list_, r, true);
    if (remaining < contribution || RowKind(r) == kRowEndOfFile) {
      row = r;
      bytes = std::min<int>(remaining, static_cast<int>(RowText(r).size()));
      return;
    }
    remaining -= contribution;
  }
  // Past the last row: the end of the row SetRow would clamp to.
  row = RowCount();
  if (row > 0 && RowKind(row - 1) == kRowEndOfFile) --row;
  bytes = static_cast<int>(RowText(row).size());
}

void TEditor::SetCaretByOffset(int row, int offset) {
  int target = 0, bytes = 0;
  FindOffset(row, offset, target, bytes);
  SetRow(target);
  SetCol(std::min(ByteToCol(target, bytes), RowWidth(target)));
}

void TEditor::SetSelStart(int offset) {
  CleanSelection();
  if (RowCount() == 0) return;
  if (offset <= 0) {
    SetRowCol(0, 0);
    return;
  }
  SetCaretByOffset(0, offset);
}

void TEditor::SetSelLength(int length) {
  if (RowCount() == 0) return;
  SetSelectionMode(0);
  if (length <= 0) {
    if (HasSelection()) {
      const int row = sel_.startRowCol, col = sel_.startCol;
      CleanSelection();
      SetRowCol(row, col);
    }
    return;
  }
  programmatic_ = true;
  if (HasSelection()) {
    const int row = sel_.startRowCol, col = sel_.startCol;
    CleanSelection();
    SetRowCol(row, col);
  }
  StartSelection();
  // A length past the end selects to the end; the sum must not overflow.
  const int from = ColToByte(caretRow_, caretCol_);
  SetCaretByOffset(caretRow_, from + std::min(length, INT_MAX - from));
  programmatic_ = false;
  UpdateCaret();
  UpdateSelection();
}

void TEditor::SetSelText(std::string_view text) {
  if (!readOnly_) InsertText(text);
}

}  // namespace nura
