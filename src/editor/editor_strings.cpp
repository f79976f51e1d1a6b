#include "editor/editor_strings.h"

#include "editor/editor_text.h"

namespace nura {

template <typename Fn>
void TEditorStrings::Change(int row, size_t inserted, Fn fn) {
  editor_.CleanSelection();
  editor_.BeginCaretUpdate();
  try {
    fn();
  } catch (...) {
    editor_.EndCaretUpdate();
    throw;
  }
  editor_.SetCaretByOffset(row, static_cast<int>(inserted));
  editor_.EndCaretUpdate();
}

void TEditorStrings::CheckLine(int i) const {
  if (i < 0 || i >= GetCount()) throw EStringListError();
}

int TEditorStrings::GetCount() const {
  const int rows = rows_.GetCount();
  if (!rows_.WordWrap()) return rows;
  int lines = 0;
  for (int i = 0; i < rows; ++i) lines += rows_.GetRowKind(i) != kRowWrapped;
  if (rows > 0 && rows_.GetRowKind(rows - 1) == kRowWrapped) ++lines;
  return lines;
}

int TEditorStrings::LineToRow(int line) const {
  if (!rows_.WordWrap()) return line;
  int row = 0;
  for (int l = 0; l < line && row < rows_.GetCount(); ++l) row = rows_.LastRowOfLine(row) + 1;
  return row;
}

std::string TEditorStrings::Get(int i) const {
  CheckLine(i);
  const int row = LineToRow(i);
  if (!rows_.WordWrap()) return rows_.Get(row);
  std::string line = rows_.JoinRows(row, -1).text;
  while (line.ends_with("\r\n")) line.resize(line.size() - 2);
  return line;
}

void TEditorStrings::Put(int i, std::string_view s) {
  CheckLine(i);
  const int row = LineToRow(i);
  const int last = rows_.LastRowOfLine(row);
  std::string text(s);
  if (rows_.GetRowKind(last) == kRowEndsLine) text += "\r\n";
  Change(row, s.size(), [&] { rows_.UpdateRows(row, last - row + 1, text); });
}

void TEditorStrings::Insert(int i, std::string_view s) {
  if (i == GetCount()) {
    Add(s);
    return;
  }
  CheckLine(i);
  const int row = LineToRow(i);
  Change(row, s.size(), [&] { rows_.UpdateRows(row, 0, std::string(s) + "\r\n"); });
}

int TEditorStrings::Add(std::string_view s) {
  const int lines = GetCount();
  const int last = rows_.GetCount() - 1;
  if (last >= 0 && rows_.GetRowKind(last) != kRowEndsLine) {
    const int first = rows_.FirstRowOfLine(last);
    const std::string text = rows_.Get(last) + "\r\n" + std::string(s);
    Change(first, s.size(), [&] { rows_.UpdateRows(last, 1, text); });
  } else {
    Change(last + 1, s.size(), [&] { rows_.UpdateRows(last + 1, 0, std::string(s) + "\r\n"); });
  }
  return lines;
}

void TEditorStrings::Delete(int i) {
  CheckLine(i);
  const int row = LineToRow(i);
  const int last = rows_.LastRowOfLine(row);
  Change(row, 0, [&] { rows_.UpdateRows(row, last - row + 1, ""); });
}

void TEditorStrings::Clear() { rows_.Clear(); }

void TEditorStrings::SetTextStr(std::string_view s) {
  rows_.Clear();
  rows_.Detached([&] {
    rows_.BeginUpdate();
    for (const std::string& line : SplitRowsText(s)) rows_.Add(line);
    if (rows_.GetCount() > 0 && !s.ends_with('\r') && !s.ends_with('\n')) {
      rows_.SetRowKind(rows_.GetCount() - 1, kRowEndOfFile);
    }
    rows_.EndUpdate();
    if (rows_.WordWrap()) rows_.RewrapAll();
    rows_.InitParseStates();
  });
  rows_.RefreshEditors();
}

void TEditorStrings::Assign(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  SetTextStr(text);
  editor_.SetCaretRow(rows_.GetCount());
  editor_.SetCaretCol(0);
}

std::vector<std::string> TEditorStrings::Lines() const {
  std::vector<std::string> lines;
  for (int row = 0; row < rows_.GetCount(); row = rows_.LastRowOfLine(row) + 1) {
    std::string line;
    for (int i = row; i <= rows_.LastRowOfLine(row); ++i) line += rows_.Get(i);
    lines.push_back(std::move(line));
  }
  return lines;
}

void TEditorStrings::BeginUpdate() {
  ++updateCount_;
  rows_.BeginUpdate();
  editor_.BeginCaretUpdate();
}

void TEditorStrings::EndUpdate() {
  if (updateCount_ == 0) return;
  --updateCount_;
  rows_.EndUpdate();
  editor_.EndCaretUpdate();
}

}  // namespace nura
