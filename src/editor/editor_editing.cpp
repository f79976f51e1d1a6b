// Every change the editor makes to its text: typing, Enter with indent,
// Tab, Backspace, Delete, selections, box insertion, the clipboard, search
// and row marks. Each change is one replacement of rows in the row list.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>

#include "editor/editor_control.h"
#include "editor/editor_pictures.h"
#include "editor/text_search.h"
#include "engine/sjis_text.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// Display width of the leading blanks; -1 for an empty text.
int IndentWidth(std::string_view text, int tabs) {
  if (text.empty()) return -1;
  int w = 0;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == ' ') {
      ++w, ++i;
    } else if (text.substr(i).starts_with("\x81\x40")) {
      w += 2, i += 2;
    } else if (text[i] == '\t') {
      w += tabs - w % tabs, ++i;
    } else {
      break;
    }
  }
  return w;
}

std::string LineBreak(int kind) { return kind == kRowEndsLine ? "\r\n" : std::string(); }

}  // namespace

int TEditor::BaseRow(int row) const { return std::max(list_->FirstRowOfLine(row), row - 1); }

void TEditor::ReplaceRows(int first, int count, std::string_view text, int base, int caretOffset) {
  CleanSelection();
  BeginCaretUpdate();
  try {
    count = std::max(0, std::min(count, RowCount() - first));
    if (first >= RowCount()) {
      first = RowCount(), count = 0;
    }
    if (count > 0 || !text.empty()) list_->UpdateRows(first, count, text);
    SetCaretByOffset(std::max(0, base), caretOffset);
  } catch (...) {
    EndCaretUpdate();
    throw;
  }
  EndCaretUpdate();
}

std::string TEditor::TextWithoutSelection(int& cut) const {
  const std::string start = RowText(sel_.startRow), end = RowText(sel_.endRow);
  cut = std::min<int>(sel_.startByte, start.size());
  const int after = std::min<int>(sel_.endByte + 1, end.size());
  return start.substr(0, cut) + end.substr(after) + LineBreak(RowKind(sel_.endRow));
}

void TEditor::DeleteSelection() {
  if (!HasPlainSelection() || RowCount() == 0) return;
  const int first = sel_.startRow, last = std::min(sel_.endRow, RowCount() - 1);
  const int base = BaseRow(first);
  const int offset = ByteOffsetFromRow(base, sel_.startRowCol, sel_.startCol);
  std::string text;
  if (box_) {
    for (int r = first; r <= last; ++r) {
      std::string row = RowText(r);
      const int startByte = ColToByte(r, sel_.startCol);
      const int endByte = ColToByte(r, sel_.endCol);
      if (endByte > startByte) row.erase(startByte, endByte - startByte);
      text += row + LineBreak(RowKind(r));
    }
  } else {
    int cut = 0;
    text = TextWithoutSelection(cut);
  }
  ReplaceRows(first, last - first + 1, text, base, offset);
}

void TEditor::InsertText(std::string_view text) {
  if (!readOnly_) InsertAtCaret(text);
}

void TEditor::TypeText(std::string_view text) { InsertAtCaret(text); }

void TEditor::InsertAtCaret(std::string_view text) {
  if (text.empty()) {
    if (HasPlainSelection()) DeleteSelection();
    CleanSelection();
    return;
  }
  if (HasPlainSelection() && box_) DeleteSelection();
  if (HasPlainSelection()) {
    int cut = 0;
    std::string rest = TextWithoutSelection(cut);
    rest.insert(static_cast<size_t>(cut), text);
    const int first = sel_.startRow, last = std::min(sel_.endRow, RowCount() - 1);
    const int base = BaseRow(first);
    const int offset = ByteOffsetFromRow(base, sel_.startRowCol, sel_.startCol) + static_cast<int>(text.size());
    ReplaceRows(first, last - first + 1, rest, base, offset);
    return;
  }
  CleanSelection();
  const int row = caretRow_;
  if (row >= RowCount()) {
    const int base = std::max(0, RowCount() - 1);
    ReplaceRows(RowCount(), 0, text, base, ByteOffsetFromRow(base, RowCount(), 0) + static_cast<int>(text.size()));
    return;
  }
  const std::string t = RowText(row);
  const int k = ColToByte(row, caretCol_);
  const std::string pad(static_cast<size_t>(std::max(0, caretCol_ - RowWidth(row))), ' ');
  const std::string line = t.substr(0, k) + pad + std::string(text) + t.substr(k) + LineBreak(RowKind(row));
  const int base = BaseRow(row);
  ReplaceRows(row, 1, line, base,
              ByteOffsetFromRow(base, row, caretCol_) + static_cast<int>(pad.size() + text.size()));
}

// The lines go one below the other from the insertion column: with a
// selection into the selection's rows with the selected bytes taken out
// (at the place they were taken from), then into the rows below; rows past
// the end of the text are added. One replacement, so one undo step.
void TEditor::InsertBox(std::string_view text) {
  if (readOnly_) return;
  if (text.empty()) {
    if (HasPlainSelection()) DeleteSelection();
    return;
  }
  std::vector<std::string> lines;
  for (size_t i = 0;;) {
    const size_t e = text.find_first_of("\r\n", i);
    lines.emplace_back(text.substr(i, e == std::string_view::npos ? std::string_view::npos : e - i));
    if (e == std::string_view::npos) break;
    i = e + (text[e] == '\r' && e + 1 < text.size() && text[e + 1] == '\n' ? 2 : 1);
    if (i >= text.size()) break;
  }
  const int n = static_cast<int>(lines.size());
  // The target rows: (text, cut position, line end) of each.
  struct Target {
    std::string text;
    int cut;
    int kind;
  };
  std::vector<Target> targets;
  int first = std::min(caretRow_, RowCount()), col = caretCol_, next = first;
  if (HasPlainSelection()) {
    first = sel_.startRow;
    col = sel_.startCol;
    if (box_) {
      for (int r = sel_.startRow; r <= std::min(sel_.endRow, RowCount() - 1); ++r) {
        std::string row = RowText(r);
        const int from = ColToByte(r, sel_.startCol), to = ColToByte(r, sel_.endCol);
        if (to > from) row.erase(static_cast<size_t>(from), static_cast<size_t>(to - from));
        targets.push_back({row, from, RowKind(r)});
      }
    } else {
      int cut = 0;
      std::string rest = TextWithoutSelection(cut);
      if (RowKind(sel_.endRow) == kRowEndsLine) rest.resize(rest.size() - 2);
      targets.push_back({rest, cut, RowKind(sel_.endRow)});
    }
    next = std::min(sel_.endRow, RowCount() - 1) + 1;
  }
  for (int r = next; static_cast<int>(targets.size()) < n; ++r) {
    if (r < RowCount()) {
      const int p = ColToByte(r, col);
      std::string row = RowText(r);
      if (RowWidth(r) < col) row.append(static_cast<size_t>(col - RowWidth(r)), ' ');
      targets.push_back({row, RowWidth(r) < col ? static_cast<int>(row.size()) : p, RowKind(r)});
      next = r + 1;
    } else {
      targets.push_back({std::string(static_cast<size_t>(col), ' '), col, kRowEndOfFile});
    }
  }
  std::string joined;
  for (int i = 0; i < static_cast<int>(targets.size()); ++i) {
    Target& t = targets[static_cast<size_t>(i)];
    if (i < n) t.text.insert(static_cast<size_t>(t.cut), lines[static_cast<size_t>(i)]);
    // Rows that ended the text get a line end when more rows follow.
    const bool last = i + 1 == static_cast<int>(targets.size());
    joined += t.text + (t.kind == kRowEndsLine || !last ? "\r\n" : "");
  }
  if (first >= RowCount() && RowCount() > 0 && RowKind(RowCount() - 1) == kRowEndOfFile) joined.insert(0, "\r\n");
  const int replaced = std::max(0, std::min(next, RowCount()) - first);
  BeginCaretUpdate();
  ReplaceRows(first, replaced, joined, first, 0);
  SetRowCol(first + n - 1, col + ExpandedLength(lines.back(), list_->Layout()));
  EndCaretUpdate();
}

void TEditor::DeleteRow(int row) {
  if (row < 0 || row >= RowCount()) return;
  CleanSelection();
  BeginCaretUpdate();
  list_->UpdateRows(row, 1, "");
  if (row > 0 && row - 1 == RowCount() - 1 && RowKind(row - 1) == kRowEndOfFile) {
    SetRowCol(row - 1, RowWidth(row - 1));
  } else {
    SetRowCol(row, 0);
  }
  EndCaretUpdate();
}

void TEditor::Backspace() {
  if (readOnly_) return;
  if (HasPlainSelection()) {
    DeleteSelection();
    return;
  }
  if (RowCount() == 0) {
    SetCol(caretCol_ - 1);
    return;
  }
  CleanSelection();
  const int row = caretRow_;
  const int k = row < RowCount() ? ColToByte(row, caretCol_) : 0;
  // Un-indent behind the leading blanks (or beyond the end of a row that
  // has nothing else); at the row start the row joins the one above.
  if (row < RowCount() && caret_.BackSpaceUnIndent() && (k >= 1 || caretCol_ > RowWidth(row))) {
    const int e = IndentWidth(RowText(row), caret_.TabSpaceCount());
    if (e == -1 || e == RowWidth(row) || caretCol_ == e) {
      UnIndent(row);
      return;
    }
  }
  if (row < RowCount() && caretCol_ > RowWidth(row)) {
    SetCol(caretCol_ - 1);  // beyond the row end only the caret moves
    return;
  }
  if (k < 1) {
    if (row == 0) return;
    const int above = row - 1;
    std::string t = RowText(above);
    if (RowKind(above) == kRowWrapped && !t.empty()) {
      const int w = RowWidth(above);
      t.erase(static_cast<size_t>(ColToByte(above, w - 1 - (RowAttributes(above)[w - 1] == '5' ? 1 : 0))));
    }
    const int base = BaseRow(above);
    const int offset = ByteOffsetFromRow(base, above, 0) + static_cast<int>(t.size());
    const bool withRow = row < RowCount();
    if (withRow) t += RowText(row) + LineBreak(RowKind(row));
    ReplaceRows(above, withRow ? 2 : 1, t, base, offset);
    return;
  }
  const std::string attrs = RowAttributes(row);
  const int n = caretCol_ >= 1 && attrs[static_cast<size_t>(caretCol_ - 1)] == '5' ? 2 : 1;
  const std::string t = RowText(row);
  const int base = BaseRow(row);
  const int offset = ByteOffsetFromRow(base, row, 0) + k - n;
  ReplaceRows(row, 1, t.substr(0, static_cast<size_t>(k - n)) + t.substr(static_cast<size_t>(k)) + LineBreak(RowKind(row)),
              base, offset);
}

// The caret goes back to the indent of an earlier row: continuation rows of
// its own line count when indented less than the caret, rows of earlier
// lines when indented less; none gives column 0. The blanks between are
// deleted (a tab across either end becomes blanks).
void TEditor::UnIndent(int row) {
  const int tabs = caret_.TabSpaceCount(), caret = caretCol_;
  const int first = list_->FirstRowOfLine(row);
  int target = 0;
  for (int r = row - 1; r >= 0; --r) {
    const int h = std::max(0, IndentWidth(RowText(r), tabs));
    const bool skip = r > first ? (h == 0 || h >= caret) : h >= caret;
    if (!skip) {
      target = h;
      break;
    }
  }
  if (target >= RowWidth(row)) {
    SetCol(target);
    return;
  }
  const std::string t = RowText(row);
  std::string kept, after;
  int w = 0;
  size_t b = 0;
  while (b < t.size() && w < caret) {
    size_t len = 1;
    int width = 1;
    if (t.compare(b, 2, "\x81\x40") == 0) {
      len = 2, width = 2;
    } else if (t[b] == '\t') {
      width = ExpandedLength(t.substr(0, b + 1), list_->Layout()) - w;
    } else if (t[b] != ' ') {
      break;
    }
    if (w + width <= target) {
      kept.append(t, b, len);
    } else if (w < target) {
      kept.append(static_cast<size_t>(target - w), ' ');
    }
    if (w + width > caret) after.append(static_cast<size_t>(w + width - std::max(w, caret)), ' ');
    w += width;
    b += len;
  }
  const int base = BaseRow(row);
  ReplaceRows(row, 1, kept + after + t.substr(b) + LineBreak(RowKind(row)), base,
              ByteOffsetFromRow(base, row, 0) + static_cast<int>(kept.size()));
}

void TEditor::DeleteChar() {
  if (readOnly_) return;
  if (HasHitSelection()) CleanSelection();
  if (HasPlainSelection()) {
    DeleteSelection();
    return;
  }
  const int row = caretRow_;
  if (row >= RowCount()) return;
  const std::string t = RowText(row);
  const int k = ColToByte(row, caretCol_);
  const int base = BaseRow(row);
  if (k < static_cast<int>(t.size())) {
    const std::string attrs = RowAttributes(row);
    const int n = caretCol_ < static_cast<int>(attrs.size()) && attrs[static_cast<size_t>(caretCol_)] == '4' ? 2 : 1;
    ReplaceRows(row, 1, t.substr(0, static_cast<size_t>(k)) + t.substr(static_cast<size_t>(k + n)) + LineBreak(RowKind(row)),
                base, ByteOffsetFromRow(base, row, 0) + k);
    return;
  }
  if (RowKind(row) == kRowEndOfFile) return;
  const std::string padded = t + std::string(static_cast<size_t>(std::max(0, caretCol_ - RowWidth(row))), ' ');
  const int offset = ByteOffsetFromRow(base, row, 0) + static_cast<int>(padded.size());
  if (row + 1 < RowCount()) {
    ReplaceRows(row, 2, padded + RowText(row + 1) + LineBreak(RowKind(row + 1)), base, offset);
  } else {
    ReplaceRows(row, 1, padded, base, offset);
  }
}

void TEditor::Enter(bool shift) {
  if (readOnly_) return;
  if (HasPlainSelection()) {
    if (shift) return;
    DeleteSelection();
  }
  CleanSelection();
  if (caretRow_ >= RowCount()) {
    BeginCaretUpdate();
    list_->UpdateRows(RowCount(), 0, "\r\n");
    SetRowCol(RowCount(), 0);
    EndCaretUpdate();
    return;
  }
  const int tabs = caret_.TabSpaceCount();
  const int first = list_->FirstRowOfLine(caretRow_);
  int f = 0;
  if (caret_.AutoIndent()) {
    const int g = IndentWidth(RowText(first), tabs);
    if (g >= 1) {
      f = caretRow_ == first && caretCol_ < g ? caretCol_ : g;
    } else if (caret_.PrevSpaceIndent() && caretRow_ == first && RowText(first).empty()) {
      for (int r = first - 1; r >= 0; --r) {
        if (list_->FirstRowOfLine(r) == r && !RowText(r).empty()) {
          f = std::max(0, IndentWidth(RowText(r), tabs));
          break;
        }
      }
    }
  }
  const std::string indent = caret_.TabIndent()
                                 ? std::string(static_cast<size_t>(f / tabs), '\t') + std::string(static_cast<size_t>(f % tabs), ' ')
                                 : std::string(static_cast<size_t>(f), ' ');
  if (shift) {
    ReplaceRows(first, 0, indent + "\r\n", first, static_cast<int>(indent.size()));
    return;
  }
  const int row = caretRow_;
  const std::string t = RowText(row);
  const int k = ColToByte(row, caretCol_);
  const int base = BaseRow(row);
  const int offset = ByteOffsetFromRow(base, row, 0) + k + 2 + static_cast<int>(indent.size());
  ReplaceRows(row, 1, t.substr(0, static_cast<size_t>(k)) + "\r\n" + indent + t.substr(static_cast<size_t>(k)) + LineBreak(RowKind(row)),
              base, offset);
}

void TEditor::TypeTab() {
  if (readOnly_ || !wantTabs_) return;
  const int tabs = caret_.TabSpaceCount();
  int width = tabs - caretCol_ % tabs;
  if (WordWrap()) width = std::min(width, WrapOption().WrapByte() - caretCol_ % WrapOption().WrapByte());
  TypeText(caret_.SoftTab() ? std::string(static_cast<size_t>(std::max(1, width)), ' ') : std::string("\t"));
}

// ---- clipboard ----

void TEditor::CopyToClipboard() {
  if (!HasPlainSelection()) return;
  const std::string text = GetSelText();
  auto* data = new QMimeData;
  data->setText(SjisToQString(text));  // rows joined by CR LF, as SelText gives them
  if (box_) data->setData(QString::fromLatin1(kBoxSelectionMimeType.data(), kBoxSelectionMimeType.size()),
                          QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  QGuiApplication::clipboard()->setMimeData(data);
}

void TEditor::CutToClipboard() {
  if (!HasPlainSelection()) return;
  CopyToClipboard();
  if (!readOnly_) DeleteSelection();
}

void TEditor::PasteFromClipboard() {
  if (readOnly_) return;
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (!data || !data->hasText()) return;
  const std::string text = WithCrLf(QStringToSjis(data->text()));
  if (data->hasFormat(QString::fromLatin1(kBoxSelectionMimeType.data(), kBoxSelectionMimeType.size()))) {
    InsertBox(text);
  } else {
    InsertText(text);
  }
}

void TEditor::Undo() {
  CleanSelection();
  list_->Undo();
}

void TEditor::Redo() {
  CleanSelection();
  list_->Redo();
}

// ---- search ----

bool TEditor::SearchText(std::string_view text, uint16_t options) {
  if (RowCount() == 0 || text.empty()) return false;
  const std::string buffer = list_->Text();
  TSearchPosition pos;
  pos.start = std::min<int>(GetSelStart(), buffer.size());
  if (options & SearchForward) pos.length = HasPlainSelection() ? GetSelLength() : HasHitSelection() ? sel_.hitLength : 0;
  const std::optional<int> hit = TextSearch(buffer, pos, text, options);
  if (!hit) return false;
  CleanSelection();
  BeginCaretUpdate();
  SetSelStart(*hit);
  const int row = caretRow_, col = caretCol_;
  SetSelLength(pos.length);
  if (hitStyle_ != TEditorHitStyle::hsSelect && sel_.state == 2) sel_.state = 3;
  sel_.hitLength = pos.length;
  if (hitStyle_ == TEditorHitStyle::hsCaret && pos.length > 0 && hasFocus()) {
    // The caret stands on the hit, as wide as it.
    const int end = sel_.startRowCol == sel_.endRowCol ? sel_.endCol : RowWidth(row);
    SetRowCol(row, col);
    hitCaretWidth_ = std::max(2, (end - sel_.startCol) * charWidth_);
  }
  EndCaretUpdate();
  return true;
}

// ---- row marks ----

void TEditor::PutRowMark(int row, int mark) {
  if (mark < 0 || mark > 15) return;
  if (mark < 10) {
    // A numbered mark stands on one row only.
    for (int r = 0; r < RowCount(); ++r) {
      if (GetRowMarks(r) & (1 << mark)) {
        SetRowMarks(r, GetRowMarks(r) & ~(1 << mark));
        break;
      }
    }
  }
  SetRowMarks(row, GetRowMarks(row) | (1 << mark));
}

void TEditor::DeleteRowMark(int row, int mark) {
  if (mark >= 0 && mark <= 15) SetRowMarks(row, GetRowMarks(row) & ~(1 << mark));
}

void TEditor::SetRowMarks(int row, int marks) {
  if (row < 0 || row >= RowCount()) return;
  const int old = GetRowMarks(row);
  marks &= 0xFFFF;
  if (marks == old) return;
  list_->IncludeRowMarks(marks & ~old);
  list_->ExcludeRowMarks(old & ~marks);
  list_->SetRowWordB(row, static_cast<uint16_t>(marks));
  viewport()->update();
}

void TEditor::GotoRowMark(int mark) {
  if (mark < 0 || mark > 9) return;
  for (int r = 0; r < RowCount(); ++r) {
    if (list_->GetRowWordB(r) & (1 << mark)) {
      CleanSelection();
      SetRowCol(r, 0);
      return;
    }
  }
}

int TEditor::GetRowMarks(int row) const { return row >= 0 && row < RowCount() ? list_->GetRowWordB(row) : 0; }

}  // namespace nura
