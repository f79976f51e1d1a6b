// The editor's text as a list of screen rows. A logical line (text between
// line breaks) takes one row, or with word wrap one or more. The list owns
// the wrap switch and options, the undo history and the per-row parser
// states of syntax colouring; several editors may show one list.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/column_attributes.h"
#include "editor/editor_client.h"
#include "editor/editor_options.h"
#include "editor/row_list.h"
#include "editor/undo.h"

namespace nura {

struct TWrappedRow {
  std::string text;
  int kind = kRowEndsLine;
};
using TWrappedRows = std::vector<TWrappedRow>;

// What the last change did, for the repaint step.
struct TUpdateInfo {
  int firstRow = 0;
  int oldCount = 0;
  int newCount = 0;
  int parsedRows = 0;
  bool pending = false;
};

// Rows joined into one text: CR LF after each row of kind 0.
struct TJoinedRows {
  std::string text;
  int rowCount = 0;
  int lastKind = 3;  // 3 when the first row lies outside the list
};

class TEditorStringList : public TRowAttributeStringList {};

class TEditorScreenStrings : public TEditorStringList {
 public:
  TEditorScreenStrings();
  ~TEditorScreenStrings() override;

  // Sharing. The first editor attached is the owner.
  void AttachEditor(TEditorClient* editor);
  // True when no editor is left (the list is then no longer shown).
  bool DetachEditor(TEditorClient* editor);
  const std::vector<TEditorClient*>& Editors() const { return editors_; }
  TEditorClient* OwnerEditor() const { return editors_.empty() ? nullptr : editors_.front(); }
  // The first editor with the focus, else the owner.
  TEditorClient* ActiveEditor() const;
  void ClampEditorRows();
  void CleanEditorSelections();
  void RefreshEditors();

  TEditorUndoObj& UndoObj() { return *undo_; }
  TEditorWrapOption& WrapOption() { return *wrapOption_; }
  const TEditorWrapOption& WrapOption() const { return *wrapOption_; }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool on);
  const TUpdateInfo& UpdateInfo() const { return updateInfo_; }
  void SetUpdateInfo(int firstRow, int oldCount, int parsedRows, int newCount);
  TColumnLayout Layout() const;

  // The marks 0 to 9 that stand on some row.
  virtual uint16_t RowMarkSet() const { return rowMarks_; }
  virtual void ExcludeRowMarks(int marks) { rowMarks_ = static_cast<uint16_t>(rowMarks_ & ~marks); }
  virtual void IncludeRowMarks(int marks) { rowMarks_ = static_cast<uint16_t>(rowMarks_ | marks); }

  // The rows of a text (lines cut at CR LF, LF or CR), wrapped when word
  // wrap is on.
  virtual void WrapText(std::string_view text, TWrappedRows& rows) const;
  // How many rows WrapText makes of one line.
  virtual int CountWrappedRows(std::string_view line) const;
  void RewrapAll();
  void UnwrapAll();

  // Replaces `n` rows from `r` by the text `s` (n = 0 inserts): the one road
  // of every edit, recorded for undo. A range outside the list is ignored.
  void UpdateRows(int r, int n, std::string_view s);
  // Replaces `n` rows from `a` by `rows`, moving the row marks along.
  void ReplaceRows(int a, int n, const TWrappedRows& rows);
  // Deletes rows; returns the union of their marks.
  int DeleteRows(int first, int count);

  // Re-parses from row `a` (bounded by two screens, stopping where the
  // stored states still hold); returns the number of rows changed.
  int UpdateParseStates(int a, bool repaint = true);
  void InitParseStates();

  int FirstRowOfLine(int row) const;
  int LastRowOfLine(int row) const;
  // `count` rows from `first`, or -1 for the rest of the logical line.
  TJoinedRows JoinRows(int first, int count) const;
  void AppendRowBreak(std::string& text, int row) const;

  void Clear() override;
  // Reads a file in blocks of 8 KB; Ctrl-Z ends the text. ERuntimeError
  // when the file cannot be opened.
  void LoadFromFile(const std::string& nativePath);
  // The whole text, CR LF after each row of kind 0.
  std::string Text() const { return JoinRows(0, GetCount()).text; }

  virtual void Undo() { undo_->Undo(); }
  virtual void Redo() { undo_->Redo(); }

 protected:
  virtual std::unique_ptr<TEditorUndoObj> CreateUndoObj() { return std::make_unique<TEditorUndoObj>(*this); }
  virtual std::unique_ptr<TEditorWrapOption> CreateWrapOption() { return std::make_unique<TEditorWrapOption>(); }
  void Changed() override;

 private:
  friend class TEditorStrings;
  void NotifyEditorsChanged();
  void WrapOptionChanged();
  // Runs `fn` with the editors' change notification detached.
  template <typename Fn>
  void Detached(Fn fn);
  // Calls `out(bytes, kind)` for each row of one wrapped line.
  template <typename Emit>
  void WrapLine(std::string_view line, Emit out) const;
  bool OwnerLoading() const;
  void RelayoutAll(bool rewrap);
  void InUpdateLoad(std::FILE* file);
  void ResetParseStates(int from);
  TRowAttributeData ParseStartState(int a, int& row) const;

  std::vector<TEditorClient*> editors_;
  TUpdateInfo updateInfo_;
  uint16_t rowMarks_ = 0;
  std::unique_ptr<TEditorUndoObj> undo_;
  bool wordWrap_ = false;
  std::unique_ptr<TEditorWrapOption> wrapOption_;
};

}  // namespace nura

namespace nura {

template <typename Fn>
void TEditorScreenStrings::Detached(Fn fn) {
  TListEvent saved = std::move(OnChange);
  OnChange = nullptr;
  try {
    fn();
  } catch (...) {
    OnChange = std::move(saved);
    throw;
  }
  OnChange = std::move(saved);
}

}  // namespace nura
