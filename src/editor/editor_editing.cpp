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

void TEditor::InsertBox(std::string_view text) {
  if (readOnly_) return;
  if (HasPlainSelection()) DeleteSelection();
  if (text.empty()) return;
  std::vector<std::string> lines;
  for (size_t i = 0;;) {
    const size_t e = text.find_first_of("\r\n", i);
    lines.emplace_back(text.substr(i, e == std::string_view::npos ? std::string_view::npos : e - i));
    if (e == std::string_view::npos) break;
    i = e + (text[e] == '\r' && e + 1 < text.size() && text[e + 1] == '\n' ? 2 : 1);
    if (i >= text.size()) break;
  }
  const int first = std::min(caretRow_, RowCount()), col = caretCol_;
  const int n = static_cast<int>(lines.size());
  const int last = std::min(RowCount() - 1, first + n - 1);
  std::string joined;
  for (int i = 0; i < n; ++i) {
    const int r = first + i;
    std::string row;
    if (r < RowCount()) {
      const std::string t = RowText(r);
      const int p = ColToByte(r, col);
      const std::string pad(static_cast<size_t>(std::max(0, col - RowWidth(r))), ' ');
      row = t.substr(0, p) + pad + lines[static_cast<size_t>(i)] + t.substr(p);
    } else {
      row = std::string(static_cast<size_t>(col), ' ') + lines[static_cast<size_t>(i)];
    }
    const bool lastPiece = i == n - 1;
    if (RowKind(r) == kRowEndsLine || !lastPiece) row += "\r\n";
    joined += row;
  }
  if (!joined.empty() && RowCount() > 0 && first >= RowCount() && RowKind(RowCount() - 1) == kRowEndOfFile) {
    joined.insert(0, "\r\n");  // rows past the end start a new line
  }
  BeginCaretUpdate();
  ReplaceRows(first, last - first + 1, joined, first, 0);
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
  if (row < RowCount() && caretCol_ > RowWidth(row)) {
    SetCol(caretCol_ - 1);  // beyond the row end only the caret moves
    return;
  }
  const int k = row < RowCount() ? ColToByte(row, caretCol_) : 0;
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
  data->setText(SjisToQString(text).replace("\r\n", "\n"));
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
  SetSelLength(pos.length);
  if (hitStyle_ != TEditorHitStyle::hsSelect && sel_.state == 2) sel_.state = 3;
  sel_.hitLength = pos.length;
  EndCaretUpdate();
  return true;
}

// ---- row marks ----

void TEditor::PutRowMark(int row, int mark) {
  if (mark < 0 || mark > 15) return;
  if (mark < 10) {
    for (int r = 0; r < RowCount(); ++r) {
      if (list_->GetRowWordB(r) & (1 << mark)) {
        list_->SetRowWordB(r, list_->GetRowWordB(r) & ~(1 << mark));
        break;
      }
    }
  }
  if (row < 0 || row >= RowCount()) return;
  list_->SetRowWordB(row, list_->GetRowWordB(row) | (1 << mark));
  if (mark < 10) list_->IncludeRowMarks(1 << mark);
  viewport()->update();
}

void TEditor::DeleteRowMark(int row, int mark) {
  if (mark < 0 || mark > 15 || row < 0 || row >= RowCount()) return;
  list_->SetRowWordB(row, list_->GetRowWordB(row) & ~(1 << mark));
  if (mark < 10) list_->ExcludeRowMarks(1 << mark);
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
