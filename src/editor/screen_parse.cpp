// Per-row parser states of syntax colouring: each row keeps the state at
// its start, so that painting can begin at any row.
#include <algorithm>

#include "editor/fountain.h"
#include "editor/screen_strings.h"

namespace nura {

namespace {

// The state at the start of the text.
TRowAttributeData InitialState() { return TRowAttributeData(); }

}  // namespace

void TEditorScreenStrings::ResetParseStates(int from) {
  for (int i = std::max(from, 0); i < GetCount(); ++i) {
    TRowAttributeData unknown;
    unknown.parseState = -2;
    unknown.prevRowKind = static_cast<uint8_t>(GetRowFlags2(i));
    SetRowAttributeData(i, unknown);
  }
}

int TEditorScreenStrings::UpdateParseStates(int a, bool repaint) {
  const TEditorClient* active = ActiveEditor();
  const TFountain* fountain = active ? active->ActiveFountain() : nullptr;
  if (!fountain || GetCount() == 0) return 0;
  a = std::clamp(a, 0, GetCount() - 1);
  const auto parser = fountain->CreateParser();
  int row = a - 1;
  while (row >= 0 && GetRowParseState(row) == -2) --row;
  TRowAttributeData state = InitialState();
  if (row >= 0) {
    state = GetRowAttributeData(row);
    parser->ParseRow(row, *this, state);
    state.prevRowKind = static_cast<uint8_t>(GetRowKind(row));
  }
  const int limit = std::min(a + 2 * std::max(active->VisibleRowCount(), 0), GetCount() - 1);
  int changed = 0;
  for (int i = row + 1; i <= limit; ++i) {
    state.rowKind = static_cast<uint8_t>(GetRowKind(i));
    if (GetRowAttributeData(i) == state) return changed;
    SetRowAttributeData(i, state);
    ++changed;
    if (repaint) {
      for (TEditorClient* e : editors_) e->InvalidateTextRow(i);
    }
    parser->ParseRow(i, *this, state);
    state.prevRowKind = state.rowKind;
  }
  ResetParseStates(limit + 1);
  return changed;
}

void TEditorScreenStrings::InitParseStates() {
  const TEditorClient* owner = OwnerEditor();
  if (OwnerLoading()) return;
  ResetParseStates(0);
  const TFountain* fountain = ActiveEditor() ? ActiveEditor()->ActiveFountain() : nullptr;
  if (!fountain || GetCount() == 0) return;
  const int last = GetCount() - 1;
  const int limit = owner->InitBracketsFull()
                        ? last
                        : std::min(owner->TopRow() + 2 * std::max(owner->VisibleRowCount(), 0), last);
  const auto parser = fountain->CreateParser();
  TRowAttributeData state = InitialState();
  for (int i = 0; i <= limit; ++i) {
    state.rowKind = static_cast<uint8_t>(GetRowKind(i));
    SetRowAttributeData(i, state);
    parser->ParseRow(i, *this, state);
    state.prevRowKind = state.rowKind;
  }
}

}  // namespace nura
