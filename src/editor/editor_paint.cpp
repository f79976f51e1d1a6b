// Painting the editor: the rows with their token colours and the
// selection, the line-end, wrap and end-of-file marks, the ruler, the
// line-number bar, the image bar and the caret.
#include <QPainter>
#include <QPaintEvent>

#include "editor/column_attributes.h"
#include "editor/editor_control.h"
#include "editor/editor_pictures.h"
#include "editor/editor_text.h"
#include "editor/fountain.h"
#include "platform/sjis.h"

namespace nura {
namespace {

QColor Or(TColor c, const QColor& fallback) {
  const QColor q = ColorToQColor(c);
  return q.isValid() ? q : fallback;
}

}  // namespace

void TEditor::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  const QColor background = Or(color_, Qt::white);
  p.fillRect(viewport()->rect(), background);
  p.setFont(font());
  const int top = TextTop();
  for (int i = 0; i <= visibleRows_; ++i) {
    const int row = topRow_ + i;
    if (row > RowCount()) break;
    PaintRow(p, row, top + i * rowHeight_);
  }
  PaintImagebar(p);
  PaintLeftbar(p);
  PaintRuler(p);
  if (hasFocus() && caretUpdate_ == 0) {
    const QPoint at = CaretToPixel();
    const QColor caretColour = Or(clBlack, Qt::black);
    if (caret_.Style() == TEditorCaretStyle::csBrief) {
      p.fillRect(at.x(), at.y(), charWidth_ - margin_.Character(), 2, caretColour);
    } else {
      p.fillRect(at.x(), at.y(), 2, fontHeight_, caretColour);
    }
  }
}

void TEditor::PaintRow(QPainter& p, int row, int y) {
  const int left = TextLeft();
  p.save();
  p.setClipRect(QRect(left, TextTop(), viewport()->width() - left, viewport()->height() - TextTop()));
  const QColor text = Or(font_.Color(), Qt::black);
  const QColor background = Or(color_, Qt::white);
  TEditorColors& colors = view_.Colors();
  const QColor selFore = Or(colors.Select().Color(), Qt::white);
  const QColor selBack = Or(colors.Select().BkColor(), QColor(0, 0, 128));
  const QColor hitFore = Or(colors.Hit().Color(), text), hitBack = Or(colors.Hit().BkColor(), selBack);
  if (row < RowCount()) {
    const std::string t = RowText(row);
    const std::string attrs = RowAttributes(row);
    // The colour of every byte from the token it belongs to.
    std::vector<const TFountainColor*> byteColor(t.size(), nullptr);
    auto parser = view_.Fountain().CreateParser();
    parser->SetText(t, list_->GetRowAttributeData(row));
    while (parser->NextToken() != toEof) {
      const TFountainColor* c = parser->TokenColor();
      for (int b = parser->TokenOffset(); b < parser->TokenOffset() + parser->TokenLength(); ++b)
        if (b >= 0 && b < static_cast<int>(t.size())) byteColor[static_cast<size_t>(b)] = c;
    }
    int col = 0;
    for (size_t b = 0; b < t.size() && col <= topCol_ + visibleCols_ + 2;) {
      const size_t len = EditorCharLength(t, b);
      int width = len == 2 ? 2 : 1;
      if (t[b] == '\t') {
        width = 1;
        while (col + width < static_cast<int>(attrs.size()) && attrs[static_cast<size_t>(col + width)] == '3') ++width;
      }
      const int x = left + (col - topCol_) * charWidth_;
      const bool selected = IsInSelection(row, col);
      const bool hit = HasHitSelection() && hitStyle_ == TEditorHitStyle::hsDraw && row >= sel_.startRow &&
                       row <= sel_.endRow && (row > sel_.startRow || static_cast<int>(b) >= sel_.startByte) &&
                       (row < sel_.endRow || static_cast<int>(b) <= sel_.endByte);
      const TFountainColor* c = byteColor[b];
      QColor fore = c ? Or(c->Color(), text) : text;
      QColor back = c ? Or(c->BkColor(), background) : background;
      if (selected) fore = selFore, back = selBack;
      if (hit) fore = hitFore, back = hitBack;
      if (back != background) p.fillRect(x, y, width * charWidth_, rowHeight_, back);
      if (t[b] != '\t' && static_cast<unsigned char>(t[b]) >= 0x20) {
        QFont f = font();
        if (c && (c->Style() & fsBold)) f.setBold(true);
        if (c && (c->Style() & fsItalic)) f.setItalic(true);
        if (c && (c->Style() & fsUnderline)) f.setUnderline(true);
        p.setFont(f);
        p.setPen(fore);
        p.drawText(x, y + fontAscent_, SjisToQString(std::string_view(t).substr(b, len)));
      }
      col += width;
      b += len;
    }
    if (OnDrawLine) {
      const bool selected = HasPlainSelection() && row >= sel_.startRowCol && row <= sel_.endRowCol;
      OnDrawLine(p, GetExpandedRow(row), left - topCol_ * charWidth_, y, row,
                 QRect(left, y, viewport()->width() - left, rowHeight_), selected);
    }
    // The line-end marks after the text.
    const int x = left + (col - topCol_) * charWidth_;
    const int kind = RowKind(row);
    TEditorMark& mark = kind == kRowEndsLine ? marks_.RetMark() : kind == kRowWrapped ? marks_.WrapMark() : marks_.EofMark();
    if (mark.Visible()) {
      p.setPen(Or(mark.Color(), Qt::gray));
      const int mid = y + fontHeight_ / 2;
      if (kind == kRowEndsLine) {
        p.drawLine(x + charWidth_ / 2, y + 2, x + charWidth_ / 2, y + fontHeight_ - 3);
        p.drawLine(x + 1, y + fontHeight_ - 6, x + charWidth_ / 2, y + fontHeight_ - 3);
      } else if (kind == kRowWrapped) {
        p.drawLine(x + 1, mid, x + charWidth_ - 1, mid);
      } else {
        p.drawText(x, y + fontAscent_, QStringLiteral("[EOF]"));
      }
    }
  } else if (row == RowCount() && marks_.EofMark().Visible() && (RowCount() == 0 || RowKind(RowCount() - 1) != kRowEndOfFile)) {
    p.setPen(Or(marks_.EofMark().Color(), Qt::gray));
    p.drawText(left - topCol_ * charWidth_, y + fontAscent_, QStringLiteral("[EOF]"));
  }
  if (row == caretRow_ && marks_.Underline().Visible() && !HasSelection()) {
    p.setPen(Or(marks_.Underline().Color(), Qt::gray));
    p.drawLine(left, y + fontHeight_, viewport()->width(), y + fontHeight_);
  }
  p.restore();
}

void TEditor::PaintLeftbar(QPainter& p) {
  if (!leftbar_.Visible()) return;
  const int x0 = margin_.Left() > 0 && imagebar_.Visible() ? TextLeft() - margin_.Left() - LeftbarWidth() : 0;
  const int width = LeftbarWidth();
  p.fillRect(x0, 0, width, viewport()->height(), Or(leftbar_.BkColor(), Qt::lightGray));
  if (leftbar_.Edge()) {
    p.setPen(Qt::white);
    p.drawLine(x0 + width - 2, 0, x0 + width - 2, viewport()->height());
    p.setPen(Qt::gray);
    p.drawLine(x0 + width - 1, 0, x0 + width - 1, viewport()->height());
  }
  if (!leftbar_.ShowNumber()) return;
  p.setFont(font());
  p.setPen(Or(leftbar_.Color(), Qt::black));
  int line = 0;
  for (int r = 0; r < topRow_ && leftbar_.ShowNumberMode() == TEditorShowNumberMode::nmLine; ++r)
    line += RowKind(r) != kRowWrapped;
  for (int i = 0; i <= visibleRows_; ++i) {
    const int row = topRow_ + i;
    if (row >= RowCount() + (RowCount() == 0 || RowKind(RowCount() - 1) != kRowEndOfFile ? 1 : 0)) break;
    const bool startsLine = row == 0 || RowKind(row - 1) != kRowWrapped;
    const int number = (leftbar_.ShowNumberMode() == TEditorShowNumberMode::nmLine ? line : row) +
                       (leftbar_.ZeroBase() ? 0 : 1);
    if (startsLine) line++;
    if (leftbar_.ShowNumberMode() == TEditorShowNumberMode::nmLine && !startsLine) continue;
    std::string digits = std::to_string(number);
    if (leftbar_.ZeroLead()) digits.insert(0, std::max<size_t>(0, leftbar_.Column() - std::min<size_t>(digits.size(), leftbar_.Column())), '0');
    const int textWidth = static_cast<int>(digits.size()) * charWidth_;
    const int x = x0 + width - leftbar_.RightMargin() - (leftbar_.Edge() ? 2 : 0) - textWidth;
    p.drawText(x, TextTop() + i * rowHeight_ + fontAscent_, QString::fromStdString(digits));
  }
}

void TEditor::PaintRuler(QPainter& p) {
  if (!ruler_.Visible()) return;
  const int h = RulerHeight();
  const int y0 = margin_.Top();
  p.fillRect(0, 0, viewport()->width(), y0 + h, Or(ruler_.BkColor(), Qt::lightGray));
  p.setPen(Or(ruler_.Color(), Qt::black));
  const int left = TextLeft();
  for (int c = topCol_; c <= topCol_ + visibleCols_ + 1; ++c) {
    const int x = left + (c - topCol_) * charWidth_;
    const bool major = c % ruler_.GaugeRange() == 0;
    const bool half = c % (ruler_.GaugeRange() / 2) == 0;
    p.drawLine(x, y0 + h - 1, x, y0 + h - (major ? h - 1 : half ? h / 2 : 3));
  }
  p.drawLine(left, y0 + h - 1, viewport()->width(), y0 + h - 1);
  const int cx = left + (caretCol_ - topCol_) * charWidth_;
  p.fillRect(cx, y0, charWidth_, h - 1, Or(ruler_.MarkColor(), Qt::black));
}

void TEditor::PaintImagebar(QPainter& p) {
  if (!imagebar_.Visible()) return;
  const int width = imagebar_.LeftMargin() + imagebar_.DigitWidth() + imagebar_.MarkWidth() + imagebar_.RightMargin();
  for (int i = 0; i <= visibleRows_; ++i) {
    const int row = topRow_ + i;
    if (row >= RowCount()) break;
    const int marks = GetRowMarks(row);
    const int y = TextTop() + i * rowHeight_;
    for (int m = 0; m < 10; ++m) {
      if (marks & (1 << m)) p.drawImage(imagebar_.LeftMargin(), y, MarkDigitImage(m));
    }
    for (int m = 10; m < 16; ++m) {
      if (marks & (1 << m)) p.drawImage(imagebar_.LeftMargin() + imagebar_.DigitWidth(), y, MarkImage(m - 10));
    }
  }
  (void)width;
}

}  // namespace nura
