// The editor's Lines: the screen rows seen as an ordinary string list
// indexed by logical line. Every change goes through the row list's one
// replacement, so it is recorded for undo.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "editor/screen_strings.h"

namespace nura {

class TEditorStrings {
 public:
  TEditorStrings(TEditorScreenStrings& rows, TEditorClient& editor) : rows_(rows), editor_(editor) {}

  int GetCount() const;
  // The logical line without its line break.
  std::string Get(int i) const;
  void Put(int i, std::string_view s);
  void Insert(int i, std::string_view s);
  // Returns the line count before the call.
  int Add(std::string_view s);
  void Delete(int i);
  void Clear();
  std::string GetTextStr() const { return rows_.Text(); }
  void SetTextStr(std::string_view s);
  void Assign(const std::vector<std::string>& lines);
  // The logical lines, as streamed in the property "Strings".
  std::vector<std::string> Lines() const;

  void BeginUpdate();
  void EndUpdate();
  // The first row of logical line `line`.
  int LineToRow(int line) const;

 private:
  // Runs a change between the editor's caret updates and places the caret
  // `inserted` bytes after the start of `row`.
  template <typename Fn>
  void Change(int row, size_t inserted, Fn fn);
  void CheckLine(int i) const;

  TEditorScreenStrings& rows_;
  TEditorClient& editor_;
  int updateCount_ = 0;
};

}  // namespace nura
