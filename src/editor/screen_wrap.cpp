// Word wrap of the screen rows: breaking a logical line into rows of at most
// WrapByte columns, with Japanese line-breaking rules, and re-laying out the
// whole list when word wrap or its options change.
#include <algorithm>

#include "editor/editor_text.h"
#include "editor/screen_strings.h"

namespace nura {

template <typename Emit>
void TEditorScreenStrings::WrapLine(std::string_view line, Emit out) const {
  const TEditorWrapOption& o = *wrapOption_;
  const int wrap = o.WrapByte();
  const TColumnLayout layout = Layout();
  std::string attrs = MakeColumnAttributes(line, layout);
  if (!wordWrap_ || static_cast<int>(attrs.size()) < wrap) {
    out(line, kRowEndsLine);
    return;
  }
  // A character of one of the option strings (an empty one never is).
  auto in = [](std::string_view ch, const std::string& set) { return SjisContains(ch, set); };
  TEditorAttributeArray w;
  w.Start(line, attrs);
  w.MoveToColumn(wrap);
  bool emitted = false;
  while (!w.OnSentinel()) {
    if (w.Attribute() == '4') {
      w.Prior();  // never split a two-byte character
    } else if (o.WordBreak() && w.ColumnCount() > wrap) {
      while (w.Attribute() != '2' && w.Attribute() != '3' && w.Attribute() != '5' && w.Column() > wrap / 3) {
        w.StepBackCharacter();
      }
      // A word with no break in the last two thirds is cut at the width.
      if (w.Attribute() == '1') {
        w.MoveToColumn(wrap);
        if (w.Attribute() == '4') w.Prior();
      }
    }
    if (o.FollowPunctuation()) {
      while (w.Column() < wrap + 2 && in(w.PeekNext(), o.PunctuationStr())) {
        w.Next();
        if (w.Attribute() == '4') w.Next();
      }
    }
    if (o.Leading() && w.Column() < w.ColumnCount()) {
      const int bound = wrap / 5 * 4;
      while (w.Column() > bound && in(w.GetCharacter(), o.LeadStr())) w.StepBackCharacter();
      if (w.Column() + 2 <= w.ColumnCount() && in(w.PeekNext(), o.FollowStr())) {
        while (w.Column() > bound && (in(w.GetCharacter(), o.LeadStr()) || in(w.PeekNext(), o.FollowStr()))) {
          w.StepBackCharacter();
        }
      }
    }
    const size_t bytes = std::clamp<size_t>(static_cast<size_t>(std::max(w.ByteIndex(), 1)), 1, line.size());
    out(line.substr(0, bytes), kRowWrapped);
    emitted = true;
    line.remove_prefix(bytes);
    attrs = MakeColumnAttributes(line, layout);
    w.Start(line, attrs);
    w.MoveToColumn(wrap);
  }
  if (!line.empty()) out(line, kRowEndsLine);
  else if (emitted && o.FollowRetMark()) out(std::string_view(), -1);  // the last row ends the line
  else out(line, kRowEndsLine);
}

void TEditorScreenStrings::WrapText(std::string_view text, TWrappedRows& rows) const {
  rows.clear();
  const std::vector<std::string> lines = SplitRowsText(text);
  rows.reserve(lines.size());
  for (const std::string& line : lines) {
    WrapLine(line, [&](std::string_view row, int kind) {
      if (kind < 0) rows.back().kind = kRowEndsLine;
      else rows.push_back({std::string(row), kind});
    });
  }
}

int TEditorScreenStrings::CountWrappedRows(std::string_view line) const {
  int count = 0;
  WrapLine(line, [&](std::string_view, int kind) { count += kind >= 0; });
  return count;
}

void TEditorScreenStrings::RewrapAll() {
  if (GetCount() == 0 || OwnerLoading()) return;
  CleanEditorSelections();
  undo_->Clear();
  const int wrap = wrapOption_->WrapByte();
  const TColumnLayout layout = Layout();
  std::vector<TheStringItem> rows;
  rows.reserve(items_.size());
  const int lastKind = GetRowKind(GetCount() - 1);
  for (int first = 0; first < GetCount();) {
    const int last = LastRowOfLine(first);
    std::string line;
    int marks = 0;
    for (int i = first; i <= last; ++i) line += items_[static_cast<size_t>(i)].text;
    auto add = [&](std::string text, int kind, int rowMarks) {
      TheStringItem item;
      item.text = std::move(text);
      item.attrA = static_cast<uint32_t>(kind);  // parser state field 0: not yet parsed
      item.attrB = static_cast<uint32_t>(rowMarks) << 16;
      rows.push_back(std::move(item));
    };
    if (ExpandedLength(line, layout) < wrap) {
      for (int i = first; i <= last; ++i) marks |= GetRowWordB(i);
      add(std::move(line), kRowEndsLine, marks);
    } else {
      TWrappedRows wrapped;
      WrapText(line, wrapped);
      const int oldRows = last - first + 1, newRows = static_cast<int>(wrapped.size());
      for (int j = 0; j < newRows; ++j) {
        int m = j < oldRows ? GetRowWordB(first + j) : 0;
        if (j == newRows - 1) {
          for (int i = first + newRows; i <= last; ++i) m |= GetRowWordB(i);
        }
        add(std::move(wrapped[static_cast<size_t>(j)].text), wrapped[static_cast<size_t>(j)].kind, m);
      }
    }
    first = last + 1;
  }
  items_.swap(rows);
  SetRowKind(GetCount() - 1, lastKind);
}

void TEditorScreenStrings::UnwrapAll() {
  if (GetCount() == 0) return;
  const int lastKind = GetRowKind(GetCount() - 1);
  std::vector<TheStringItem> rows;
  for (int first = 0; first < GetCount();) {
    const int last = LastRowOfLine(first);
    TheStringItem item;
    int marks = 0;
    for (int i = first; i <= last; ++i) {
      item.text += items_[static_cast<size_t>(i)].text;
      marks |= GetRowWordB(i);
    }
    item.attrB = static_cast<uint32_t>(marks) << 16;
    rows.push_back(std::move(item));
    first = last + 1;
  }
  items_.swap(rows);
  SetRowKind(GetCount() - 1, lastKind == kRowWrapped ? kRowEndOfFile : lastKind);
}

void TEditorScreenStrings::RelayoutAll(bool rewrap) {
  Detached([&] {
    undo_->Clear();
    if (rewrap) RewrapAll();
    else UnwrapAll();
    InitParseStates();
  });
  RefreshEditors();
  ClampEditorRows();
  for (TEditorClient* e : editors_) e->SetCaretCol(0);
}

void TEditorScreenStrings::SetWordWrap(bool on) {
  if (wordWrap_ == on) return;
  wordWrap_ = on;
  if (!OwnerLoading()) RelayoutAll(on);
}

void TEditorScreenStrings::WrapOptionChanged() {
  if (wordWrap_ && !OwnerLoading()) RelayoutAll(true);
}

}  // namespace nura
