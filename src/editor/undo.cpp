#include "editor/undo.h"

#include <algorithm>

#include "editor/screen_strings.h"

namespace nura {

namespace {

// The editor whose caret undo and redo use and move.
TEditorClient* FocusedEditor(const TEditorScreenStrings& list) { return list.ActiveEditor(); }

std::unique_ptr<TUndoData> NewRecord(const TEditorScreenStrings& list) {
  auto record = std::make_unique<TUndoData>();
  if (const TEditorClient* e = FocusedEditor(list)) {
    record->caretRow = e->CaretRow();
    record->caretCol = e->CaretCol();
  }
  return record;
}

}  // namespace

TUndoData& TEditorUndoObj::AddUndo() {
  undo_.push_back(NewRecord(list_));
  if (static_cast<int>(undo_.size()) > undoListMax_) undo_.erase(undo_.begin());
  if (!redoing_) redo_.clear();
  return *undo_.back();
}

void TEditorUndoObj::PushRedo(const TUndoData& record) {
  auto copy = NewRecord(list_);
  copy->startRow = record.startRow;
  copy->rowCount = record.rowCount;
  copy->rowKind = record.rowKind;
  copy->text = record.text;
  redo_.push_back(std::move(copy));
}

void TEditorUndoObj::Clear() {
  undo_.clear();
  redo_.clear();
}

void TEditorUndoObj::SetUndoListMax(int depth) { undoListMax_ = std::max(depth, kMinUndoListMax); }

void TEditorUndoObj::Apply(TUndoData& record) {
  TEditorScreenStrings& list = list_;
  const int start = std::clamp(record.startRow, 0, list.GetCount());
  // What stands there now: the rows the step put in.
  const int present = std::clamp(record.rowCount, 0, list.GetCount() - start);
  TJoinedRows current;
  if (present > 0) current = list.JoinRows(start, present);
  TWrappedRows rows;
  if (record.rowKind == 3) {
    const int marks = list.DeleteRows(start, present);
    if (list.GetCount() > 0) {
      const int target = std::min(start, list.GetCount() - 1);
      list.SetRowWordB(target, list.GetRowWordB(target) | marks);
    } else {
      list.ExcludeRowMarks(marks);
    }
  } else {
    list.WrapText(record.text, rows);
    if (record.rowKind == kRowWrapped && rows.size() > 1 && rows.back().text.empty()) rows.pop_back();
    if (!rows.empty()) rows.back().kind = record.rowKind;
    list.ReplaceRows(start, present, rows);
  }
  const int first = list.FirstRowOfLine(std::min(start, std::max(list.GetCount() - 1, 0)));
  list.SetUpdateInfo(first, present, list.UpdateParseStates(first), static_cast<int>(rows.size()));
  record.startRow = start;
  record.rowCount = static_cast<int32_t>(rows.size());
  record.rowKind = static_cast<uint8_t>(present > 0 ? current.lastKind : 3);
  record.text = std::move(current.text);
}

void TEditorUndoObj::Undo() { Step(undo_, false); }
void TEditorUndoObj::Redo() { Step(redo_, true); }

void TEditorUndoObj::Step(std::vector<std::unique_ptr<TUndoData>>& from, bool redo) {
  if (from.empty()) return;
  std::unique_ptr<TUndoData> record = std::move(from.back());
  from.pop_back();
  TEditorClient* editor = FocusedEditor(list_);
  if (editor) editor->BeginCaretUpdate();
  list_.BeginUpdate();
  try {
    Apply(*record);
    if (redo) {
      // The reverse step goes back to the undo list without clearing redo.
      redoing_ = true;
      TUndoData& reverse = AddUndo();
      redoing_ = false;
      const int32_t caretRow = reverse.caretRow, caretCol = reverse.caretCol;
      reverse = *record;
      reverse.caretRow = caretRow;
      reverse.caretCol = caretCol;
    } else {
      PushRedo(*record);
    }
  } catch (...) {
    redoing_ = false;
    list_.EndUpdate();
    if (editor) editor->EndCaretUpdate();
    throw;
  }
  list_.EndUpdate();
  if (editor) {
    editor->SetCaretRow(record->caretRow);
    editor->SetCaretCol(record->caretCol);
    editor->EndCaretUpdate();
  }
}

}  // namespace nura
