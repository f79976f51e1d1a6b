// An editor stand-in for the row list: it records what the list asks of it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "editor/editor_client.h"
#include "editor/editor_fountain.h"
#include "editor/screen_strings.h"

namespace nura::test {

class FakeEditor : public TEditorClient {
 public:
  int caretRow = 0, caretCol = 0, topRow = 0, visibleRows = 20, changes = 0;
  bool focused = false, loading = false, fullParse = false;
  std::vector<int> repainted;
  const TFountain* fountain = nullptr;

  int CaretRow() const override { return caretRow; }
  int CaretCol() const override { return caretCol; }
  void SetCaretRow(int row) override { caretRow = row; }
  void SetCaretCol(int col) override { caretCol = col; }
  bool Focused() const override { return focused; }
  bool Loading() const override { return loading; }
  void DoChange() override { ++changes; }
  void InvalidateTextRow(int row) override { repainted.push_back(row); }
  int TopRow() const override { return topRow; }
  void SetTopRow(int row) override { topRow = row; }
  int VisibleRowCount() const override { return visibleRows; }
  const TFountain* ActiveFountain() const override { return fountain; }
  bool InitBracketsFull() const override { return fullParse; }
};

using RowDump = std::vector<std::pair<std::string, int>>;

// Text and kind of every row.
inline RowDump Dump(const TEditorScreenStrings& list) {
  RowDump rows;
  for (int i = 0; i < list.GetCount(); ++i) rows.emplace_back(list.Get(i), list.GetRowKind(i));
  return rows;
}

}  // namespace nura::test
