#include "editor/screen_strings.h"

#include <algorithm>

namespace nura {

namespace {

// Runs `fn` inside one update of `list`, closed also when an exception passes.
template <typename Fn>
void InUpdate(TheStringList& list, Fn fn) {
  list.BeginUpdate();
  try {
    fn();
  } catch (...) {
    list.EndUpdate();
    throw;
  }
  list.EndUpdate();
}

}  // namespace

TEditorScreenStrings::TEditorScreenStrings() : undo_(CreateUndoObj()), wrapOption_(CreateWrapOption()) {
  // Virtual factories do not dispatch from a constructor: derived lists
  // replace these in their own constructors.
  wrapOption_->OnChange = [this](TPersistent*) { WrapOptionChanged(); };
  OnChange = [this](TheStringList&) { NotifyEditorsChanged(); };
}

TEditorScreenStrings::~TEditorScreenStrings() = default;

void TEditorScreenStrings::AttachEditor(TEditorClient* editor) {
  if (editor && std::find(editors_.begin(), editors_.end(), editor) == editors_.end()) editors_.push_back(editor);
}

bool TEditorScreenStrings::DetachEditor(TEditorClient* editor) {
  std::erase(editors_, editor);
  return editors_.empty();
}

TEditorClient* TEditorScreenStrings::ActiveEditor() const {
  for (TEditorClient* e : editors_) {
    if (e->Focused()) return e;
  }
  return OwnerEditor();
}

bool TEditorScreenStrings::OwnerLoading() const {
  const TEditorClient* owner = OwnerEditor();
  return owner && (owner->Loading() || owner->Destroying());
}

void TEditorScreenStrings::NotifyEditorsChanged() {
  for (TEditorClient* e : editors_) e->DoChange();
}

void TEditorScreenStrings::Changed() {
  TEditorStringList::Changed();
  if (!Updating()) updateInfo_ = TUpdateInfo();
}

void TEditorScreenStrings::SetUpdateInfo(int firstRow, int oldCount, int parsedRows, int newCount) {
  updateInfo_ = {firstRow, oldCount, newCount, parsedRows, true};
}

TColumnLayout TEditorScreenStrings::Layout() const {
  const TEditorClient* owner = OwnerEditor();
  return {owner ? owner->TabSpaceCount() : 8, wordWrap_, wrapOption_->WrapByte()};
}

void TEditorScreenStrings::ClampEditorRows() {
  const int count = GetCount();
  const int limit = count > 0 && GetRowKind(count - 1) == kRowEndOfFile ? count - 1 : count;
  for (TEditorClient* e : editors_) {
    if (e->CaretRow() > count - 1) e->SetCaretRow(limit);
    if (e->TopRow() > count - 1) e->SetTopRow(std::max(0, limit));
  }
}

void TEditorScreenStrings::CleanEditorSelections() {
  for (TEditorClient* e : editors_) e->CleanSelection();
}

void TEditorScreenStrings::RefreshEditors() {
  for (TEditorClient* e : editors_) e->Refresh();
}

int TEditorScreenStrings::FirstRowOfLine(int row) const {
  row = std::min(row, GetCount());
  while (row > 0 && GetRowKind(row - 1) == kRowWrapped) --row;
  return row;
}

int TEditorScreenStrings::LastRowOfLine(int row) const {
  if (row < 0 || row >= GetCount()) return row;
  while (row < GetCount() - 1 && GetRowKind(row) == kRowWrapped) ++row;
  return row;
}

TJoinedRows TEditorScreenStrings::JoinRows(int first, int count) const {
  TJoinedRows joined;
  if (first < 0 || first >= GetCount()) return joined;
  const int last = count < 0 ? LastRowOfLine(first) : std::min(first + count, GetCount()) - 1;
  if (last < first) return joined;
  size_t size = 0;
  for (int i = first; i <= last; ++i) size += items_[static_cast<size_t>(i)].text.size() + 2;
  joined.text.reserve(size);
  for (int i = first; i <= last; ++i) {
    joined.text += items_[static_cast<size_t>(i)].text;
    AppendRowBreak(joined.text, i);
  }
  joined.rowCount = last - first + 1;
  joined.lastKind = GetRowKind(last);
  return joined;
}

void TEditorScreenStrings::AppendRowBreak(std::string& text, int row) const {
  if (row >= 0 && row < GetCount() && GetRowKind(row) == kRowEndsLine) text += "\r\n";
}

int TEditorScreenStrings::DeleteRows(int first, int count) {
  int marks = 0;
  if (count <= 0) return marks;
  CheckIndex(first);
  CheckIndex(first + count - 1);
  InUpdate(*this, [&] {
    for (int i = first; i < first + count; ++i) marks |= GetRowWordB(i);
    items_.erase(items_.begin() + first, items_.begin() + first + count);
  });
  return marks;
}

void TEditorScreenStrings::ReplaceRows(int a, int n, const TWrappedRows& rows) {
  const int m = static_cast<int>(rows.size());
  std::vector<int> marks(static_cast<size_t>(m), 0);
  InUpdate(*this, [&] {
    if (m < n) {
      const int removed = DeleteRows(a, n - m);
      for (int i = 0; i < m; ++i) marks[static_cast<size_t>(i)] = GetRowWordB(a + i);
      if (m > 0) marks[0] |= removed;
      else ExcludeRowMarks(removed);
    } else if (m > n) {
      for (int i = 1; i < n; ++i) marks[static_cast<size_t>(i + m - n)] |= GetRowWordB(a + i);
      if (n > 0) {
        const TEditorClient* active = ActiveEditor();
        const bool caretInside = active && active->CaretCol() != 0;
        marks[static_cast<size_t>(caretInside ? 0 : m - n)] |= GetRowWordB(a);
      }
      items_.insert(items_.begin() + a + n, static_cast<size_t>(m - n), TheStringItem());
    } else {
      for (int i = 0; i < m; ++i) marks[static_cast<size_t>(i)] = GetRowWordB(a + i);
    }
    for (int i = 0; i < m; ++i) {
      TheStringItem& item = items_[static_cast<size_t>(a + i)];
      item = TheStringItem();
      item.text = rows[static_cast<size_t>(i)].text;
      SetRowKind(a + i, rows[static_cast<size_t>(i)].kind);
      SetRowParseState(a + i, -2);
      SetRowWordB(a + i, marks[static_cast<size_t>(i)]);
    }
  });
}

void TEditorScreenStrings::UpdateRows(int r, int n, std::string_view s) {
  const int count = GetCount();
  if (r < 0 || n < 0 || r + n - 1 > count - 1 || (n == 0 && s.empty())) return;
  InUpdate(*this, [&] {
    const int f = std::max(FirstRowOfLine(r), r - 1);
    int e = LastRowOfLine(r + n - 1);
    if (s.empty() && n > 0 && f == r && e == r + n - 1) {
      TUndoData& record = undo_->AddUndo();
      const TJoinedRows removed = JoinRows(r, n);
      record.startRow = r;
      record.text = removed.text;
      record.rowKind = static_cast<uint8_t>(removed.lastKind);
      const int marks = DeleteRows(r, n);
      if (GetCount() > 0) {
        const int target = std::min(r, GetCount() - 1);
        SetRowWordB(target, GetRowWordB(target) | marks);
      } else {
        ExcludeRowMarks(marks);
      }
      SetUpdateInfo(r, n, UpdateParseStates(r), 0);
      return;
    }
    int kind;
    if (r + n - 1 < e) {
      kind = GetRowKind(e);
    } else if (e < count - 1) {
      e = LastRowOfLine(e + 1);
      kind = GetRowKind(e);
    } else {
      kind = !s.empty() && (s.back() == '\n' || s.back() == '\r') ? kRowEndsLine : kRowEndOfFile;
    }
    TUndoData& record = undo_->AddUndo();
    const TJoinedRows old = JoinRows(f, e - f + 1);
    record.startRow = f;
    record.text = old.text;
    record.rowKind = static_cast<uint8_t>(old.lastKind);
    std::string text = JoinRows(f, r - f).text;
    text += s;
    text += JoinRows(r + n, e - (r + n) + 1).text;
    TWrappedRows rows;
    WrapText(text, rows);
    if (!rows.empty()) rows.back().kind = kind;
    record.rowCount = static_cast<int32_t>(rows.size());
    ReplaceRows(f, old.rowCount, rows);
    SetUpdateInfo(f, old.rowCount, UpdateParseStates(f), static_cast<int>(rows.size()));
  });
}

void TEditorScreenStrings::Clear() {
  CleanEditorSelections();
  undo_->Clear();
  SetUpdateInfo(0, GetCount(), 0, 0);
  TEditorStringList::Clear();
  updateInfo_ = TUpdateInfo();
  rowMarks_ = 0;
  for (TEditorClient* e : editors_) {
    e->SetCaretRow(0);
    e->SetCaretCol(0);
  }
}

}  // namespace nura
