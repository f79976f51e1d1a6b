// Painting the editor: the rows with their token colours and the
// selection, the line-end, wrap and end-of-file marks, the ruler, the
// line-number bar, the image bar and the caret.
#include <QPainter>
#include <QPaintEvent>
#include <functional>

#include "editor/column_attributes.h"
#include "editor/editor_control.h"
#include "editor/editor_pictures.h"
#include "editor/editor_text.h"
#include "editor/fountain.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

QColor Or(TColor c, const QColor& fallback) {
  const QColor q = ColorToQColor(c);
  return q.isValid() ? q : fallback;
}

}  // namespace

// Only the rows that the update rectangle touches are drawn.
void TEditor::paintEvent(QPaintEvent* event) {
  QPainter p(viewport());
  const QRect area = event->rect();
  const QColor background = Or(color_, Qt::white);
  p.fillRect(area, background);
  p.setFont(font());
  // The text's left edge is measured once for all rows.
  const int top = TextTop(), left = TextLeft();
  const int first = std::max(0, (area.top() - top) / rowHeight_);
  const int last = std::min(visibleRows_, std::max(-1, (area.bottom() - top) / rowHeight_));
  for (int i = first; i <= last; ++i) {
    const int row = topRow_ + i;
    if (row > RowCount()) break;
    PaintRow(p, row, top + i * rowHeight_, left);
  }
  PaintImagebar(p);
  PaintLeftbar(p, left);
  PaintRuler(p, left);
  if (hasFocus() && caretUpdate_ == 0) {
    // The caret inverts what it stands on, as a system caret does.
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(CaretRect(), Qt::white);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
}

// A 2-pixel bar one font height tall; the brief caret a line under the
// character (two characters wide on a double-byte one); on a search hit
// with hsCaret a block as wide as the hit.
QRect TEditor::CaretRect() const {
  const QPoint at = CaretToPixel();
  if (hitCaretWidth_ > 0) return {at.x(), TextTop() + (caretRow_ - topRow_) * rowHeight_, hitCaretWidth_, fontHeight_};
  if (caret_.Style() == TEditorCaretStyle::csBrief) {
    const std::string attrs = RowAttributes(caretRow_);
    const bool wide = caretCol_ < static_cast<int>(attrs.size()) && attrs[static_cast<size_t>(caretCol_)] == '4';
    return {at.x(), at.y(), (charWidth_ - margin_.Character()) * (wide ? 2 : 1), 2};
  }
  return {at.x(), at.y(), 2, fontHeight_};
}

// The marks after a row's end: 0 the return mark (a down arrow), 1 the
// wrap mark ("<"), 3 the hide mark (">") of a row cut at column 1000.
void TEditor::PaintRowMark(QPainter& p, int kind, int x, int y, const QColor& colour) {
  const int w = charWidth_, h = fontHeight_;
  p.setPen(QPen(colour, 1));
  if (kind == kRowEndsLine) {
    const int e = std::max(1, h / 8), e2 = std::max(e, 3);
    const int mx = x + w / 2, bottom = y + h - 2 * e;
    p.drawLine(mx, y + 2 * e, mx, bottom);
    p.drawLine(mx, bottom, mx + e2, bottom - e2);
    p.drawLine(mx, bottom, mx - e2, bottom - e2);
    return;
  }
  const int g = std::max(2, 3 * w / 5), mx = x + w, my = y + h / 2;
  if (kind == kRowWrapped) {
    p.drawLine(mx, my - g, mx - g, my);
    p.drawLine(mx - g, my, mx + 1, my + g + 1);
  } else {
    p.drawLine(mx - g, my - g, mx, my);
    p.drawLine(mx, my, mx - g - 1, my + g + 1);
  }
}

void TEditor::PaintRow(QPainter& p, int row, int y, int left) {
  p.save();
  p.setClipRect(QRect(left, TextTop(), viewport()->width() - left, viewport()->height() - TextTop()));
  const QColor text = Or(font_.Color(), Qt::black);
  const QColor background = Or(color_, Qt::white);
  TEditorColors& colors = view_.Colors();
  // clNone: the font colour as background, the editor's colour as text.
  const QColor selFore = Or(colors.Select().Color(), background), selBack = Or(colors.Select().BkColor(), text);
  const QColor hitFore = Or(colors.Hit().Color(), background), hitBack = Or(colors.Hit().BkColor(), text);
  if (row < RowCount()) {
    const std::string t = RowText(row);
    const std::string attrs = RowAttributes(row);
    // The colour of every byte from the token it belongs to.
    std::vector<const TFountainColor*> byteColor(t.size(), nullptr);
    auto parser = ActiveFountain()->CreateParser();
    parser->SetText(t, list_->GetRowAttributeData(row));
    while (parser->NextToken() != toEof) {
      const TFountainColor* c = parser->TokenColor();
      for (int b = parser->TokenOffset(); b < parser->TokenOffset() + parser->TokenLength(); ++b)
        if (b >= 0 && b < static_cast<int>(t.size())) byteColor[static_cast<size_t>(b)] = c;
    }
    // At most 1000 bytes are shown, 1001 when a character starts at the 1000th.
    size_t cut = t.size();
    if (cut > static_cast<size_t>(kMaxColumn)) {
      cut = 0;
      while (cut < static_cast<size_t>(kMaxColumn)) cut += EditorCharLength(t, cut);
    }
    int col = 0;
    int fontStyle = 0;  // the token style of the painter's font: none at the row's start
    for (size_t b = 0; b < cut && col <= topCol_ + visibleCols_ + 2;) {
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
        // The font changes only where the token's style does.
        const int style = c ? c->Style() & (fsBold | fsItalic | fsStrikeOut) : 0;
        if (style != fontStyle) {
          QFont f = font();
          if (style & fsBold) f.setBold(true);
          if (style & fsItalic) f.setItalic(true);
          if (style & fsStrikeOut) f.setStrikeOut(true);
          p.setFont(f);
          fontStyle = style;
        }
        p.setPen(fore);
        p.drawText(x, y + fontAscent_, SjisToQString(std::string_view(t).substr(b, len)));
        // An underlined token gets a dotted line, not the font's.
        if (c && (c->Style() & fsUnderline)) {
          for (int dot = x; dot < x + width * charWidth_; dot += 2) p.fillRect(dot, y + fontHeight_ - 1, 1, 1, fore);
        }
      }
      col += width;
      b += len;
    }
    if (OnDrawLine) {
      const bool selected = HasPlainSelection() && row >= sel_.startRowCol && row <= sel_.endRowCol;
      OnDrawLine(p, GetExpandedRow(row), left - topCol_ * charWidth_, y, row,
                 QRect(left, y, viewport()->width() - left, rowHeight_), selected);
    }
    // The mark after the text: hide, end of file, return or wrap; on a
    // selected line end in the selection's text colour.
    const int x = left + (col - topCol_) * charWidth_;
    const int kind = t.size() > cut ? 3 : RowKind(row);
    TEditorMark& mark = kind == 3              ? marks_.HideMark()
                        : kind == kRowEndsLine ? marks_.RetMark()
                        : kind == kRowWrapped  ? marks_.WrapMark()
                                               : marks_.EofMark();
    const bool endSelected = !box_ && kind != kRowEndOfFile && IsInSelection(row, RowWidth(row));
    const QColor markColour = endSelected ? Or(colors.Select().Color(), background) : Or(mark.Color(), text);
    if (mark.Visible() && kind == kRowEndOfFile) {
      p.setPen(markColour);
      p.drawText(x, y + fontAscent_, QStringLiteral("[EOF]"));
    } else if (mark.Visible()) {
      PaintRowMark(p, kind, x, y, markColour);
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

void TEditor::PaintLeftbar(QPainter& p, int left) {
  if (!leftbar_.Visible()) return;
  const int width = LeftbarWidth();
  const int x0 = margin_.Left() > 0 && imagebar_.Visible() ? left - margin_.Left() - width : 0;
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

namespace {

// The ruler's digits, 5 x 7 pixels each ("X" is ink).
constexpr const char* kDigitGlyphs[10][7] = {
    {"..XX.", ".X..X", ".X..X", ".X..X", ".X..X", ".X..X", "..XX."},
    {"..X..", ".XX..", "..X..", "..X..", "..X..", "..X..", "..X.."},
    {"..XX.", ".X..X", "....X", "...X.", "..X..", ".X...", ".XXXX"},
    {"..XX.", ".X..X", "....X", "...X.", "....X", ".X..X", "..XX."},
    {"...X.", "..XX.", "..XX.", ".X.X.", ".XXXX", "...X.", "...X."},
    {".XXXX", ".X...", ".XXX.", ".X..X", "....X", ".X..X", "..XX."},
    {"..XX.", ".X..X", ".X...", ".XXX.", ".X..X", ".X..X", "..XX."},
    {".XXXX", "....X", "...X.", "...X.", "..X..", "..X..", "..X.."},
    {"..XX.", ".X..X", ".X..X", "..XX.", ".X..X", ".X..X", "..XX."},
    {"..XX.", ".X..X", ".X..X", "..XXX", "....X", ".X..X", "..XX."},
};

// A number in ruler digits from x; each digit takes a 5-pixel cell, "1" only 3.
void DrawRulerNumber(QPainter& p, int x, int number, const QColor& ink) {
  for (const char d : std::to_string(number)) {
    const auto& glyph = kDigitGlyphs[d - '0'];
    for (int row = 0; row < 7; ++row) {
      for (int col = 0; col < 5; ++col) {
        if (glyph[row][col] == 'X') p.fillRect(x + col, row + 1, 1, 1, ink);
      }
    }
    x += d == '1' ? 3 : 5;
  }
}

}  // namespace

// The ruler: a tick at every column (long at each gauge unit, middle at its
// half), the column number at each unit up to 999, and the caret's column
// in the mark colour.
void TEditor::PaintRuler(QPainter& p, int left) {
  if (!ruler_.Visible()) return;
  const int h = RulerHeight(), width = viewport()->width();
  const int range = std::max(1, ruler_.GaugeRange());
  const int bottom = ruler_.Edge() ? h - 2 : h - 1;  // rows above the edge
  const QColor text = Or(font_.Color(), Qt::black), background = Or(color_, Qt::white);
  const QColor back = Or(ruler_.BkColor(), background), ink = Or(ruler_.Color(), text);
  const QColor markBack = Or(ruler_.MarkColor(), text);
  p.save();
  p.setClipRect(left, 0, width - left, h);
  p.fillRect(left, 0, width - left, h, back);
  const int firstUnit = topCol_ / range;
  // Units from the one the view starts in; numbers stop after 999.
  const auto units = [&](const QColor& fill, const std::function<void(int x, int number)>& draw) {
    for (int k = 0;; ++k) {
      const int number = range * (firstUnit + k);
      const int x = left + (number - topCol_) * charWidth_;
      if (x > width) break;
      if (number > 999) {
        p.fillRect(x + 1, 0, width - x, bottom + 1, fill);
        break;
      }
      draw(x, number);
    }
  };
  units(back, [&](int x, int number) {
    for (int e = 0; e < range; ++e) {
      const int top = e == 0 ? 0 : e == range / 2 ? 3 : 6;
      p.fillRect(x + e * charWidth_, top, 1, h - top, ink);
    }
    DrawRulerNumber(p, x + 1, number, ink);
  });
  if (ruler_.Edge()) {
    p.fillRect(left, h - 2, width - left, 1, Qt::white);
    p.fillRect(left, h - 1, width - left, 1, QColor(0x80, 0x80, 0x80));
  } else {
    p.fillRect(left, h - 1, width - left, 1, ink);
  }
  // The caret's cell: the mark colour with the numbers in the ruler's.
  if (caretCol_ >= topCol_ && caretCol_ <= topCol_ + visibleCols_) {
    const QRect cell(left + (caretCol_ - topCol_) * charWidth_ + 1, 0, charWidth_, bottom);
    p.setClipRect(cell.intersected(QRect(left, 0, width - left, h)));
    p.fillRect(cell, markBack);
    units(markBack, [&](int x, int number) { DrawRulerNumber(p, x + 1, number, back); });
  }
  p.restore();
}

// The lowest digit mark (0-9) and the lowest image mark (10-15) of each
// row, from the image lists when they hold the picture, else built in.
void TEditor::PaintImagebar(QPainter& p) {
  if (!imagebar_.Visible()) return;
  const int width = imagebar_.LeftMargin() + imagebar_.DigitWidth() + imagebar_.MarkWidth() + imagebar_.RightMargin();
  const bool barColour = leftbar_.Visible() && leftbar_.BkColor() != clNone;
  p.fillRect(0, TextTop(), width, viewport()->height() - TextTop(),
             Or(barColour ? leftbar_.BkColor() : color_, Qt::white));
  // The built-in picture is drawn only when the list lacks one.
  const auto picture = [](const TEditorImageList* list, int index, QImage (*builtIn)(int)) {
    return list && index < static_cast<int>(list->images.size()) ? list->images[static_cast<size_t>(index)]
                                                                   : builtIn(index);
  };
  for (int i = 0; i <= visibleRows_; ++i) {
    const int row = topRow_ + i;
    if (row >= RowCount()) break;
    const int marks = GetRowMarks(row);
    const int y = TextTop() + i * rowHeight_ + 2;
    for (int m = 0; m < 10; ++m) {
      if (!(marks & (1 << m))) continue;
      p.drawImage(imagebar_.LeftMargin(), y, picture(imageDigits_, m, MarkDigitImage));
      break;
    }
    for (int m = 10; m < 16; ++m) {
      if (!(marks & (1 << m))) continue;
      p.drawImage(imagebar_.LeftMargin() + imagebar_.DigitWidth(), y, picture(imageMarks_, m - 10, MarkImage));
      break;
    }
  }
}

}  // namespace nura
