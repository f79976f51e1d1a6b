#include "editor/screen_strings.h"

#include <gtest/gtest.h>

#include "editor/editor_strings.h"
#include "fake_editor.h"
#include "platform/file_io.h"
#include "platform/sjis.h"
#include "common/run_program.h"

namespace nura {
namespace {

using test::Dump;
using test::FakeEditor;
using test::RowDump;

struct WrapFixture : ::testing::Test {
  TEditorScreenStrings list;
  FakeEditor editor;
  WrapFixture() {
    list.AttachEditor(&editor);
    list.SetWordWrap(true);
  }
  RowDump Wrap(const std::string& line) {
    list.Clear();
    list.UpdateRows(0, 0, line + "\r\n");
    return Dump(list);
  }
};

TEST_F(WrapFixture, ALineOfExactlyTheWidthAndTwoByteCharacters) {
  const std::string a80(80, 'a');
  EXPECT_EQ(Wrap(a80), (RowDump{{a80, 1}, {"", 0}}));
  list.WrapOption().SetFollowRetMark(true);
  EXPECT_EQ(Wrap(a80), (RowDump{{a80, 0}}));
  EXPECT_EQ(Wrap(std::string(79, 'a')), (RowDump{{std::string(79, 'a'), 0}}));
  // A lead byte on column 80 moves the whole character down.
  EXPECT_EQ(Wrap(std::string(79, 'a') + SJ("あb")), (RowDump{{std::string(79, 'a'), 1}, {SJ("あb"), 0}}));
  // A lead byte with no trail byte is one column of its own.
  EXPECT_EQ(Wrap(std::string(79, 'a') + "\x82"), (RowDump{{std::string(79, 'a') + "\x82", 0}}));
}

TEST_F(WrapFixture, PunctuationHangsAndBracketsMove) {
  const std::string a80(80, 'a');
  EXPECT_EQ(Wrap(a80 + SJ("。bc")), (RowDump{{a80, 1}, {SJ("。bc"), 0}}));
  list.WrapOption().SetFollowPunctuation(true);
  EXPECT_EQ(Wrap(a80 + SJ("。bc")), (RowDump{{a80 + SJ("。"), 1}, {"bc", 0}}));
  EXPECT_EQ(Wrap(std::string(78, 'a') + SJ("「xyz")), (RowDump{{std::string(78, 'a') + SJ("「"), 1}, {"xyz", 0}}));
  list.WrapOption().SetFollowPunctuation(false);
  list.WrapOption().SetLeading(true);
  EXPECT_EQ(Wrap(std::string(78, 'a') + SJ("「xyz")), (RowDump{{std::string(78, 'a'), 1}, {SJ("「xyz"), 0}}));
  EXPECT_EQ(Wrap(a80 + SJ("」")), (RowDump{{std::string(79, 'a'), 1}, {"a" + SJ("」"), 0}}));
}

TEST_F(WrapFixture, WordBreakAndTheWidthOption) {
  list.WrapOption().SetWordBreak(true);
  std::string words;
  for (int i = 0; i < 20; ++i) words += "word ";
  const RowDump rows = Wrap(words);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].first, words.substr(0, 80));
  const std::string longWord(100, 'x');
  EXPECT_EQ(Wrap("ab " + longWord)[0].first.size(), 80u);  // cut at the width
  // Changing the width re-wraps; word wrap off joins the rows again.
  list.WrapOption().SetWordBreak(false);
  list.WrapOption().SetWrapByte(50);
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list.Get(0).size(), 50u);
  list.SetWordWrap(false);
  EXPECT_EQ(Dump(list), (RowDump{{"ab " + longWord, 0}}));
}

TEST_F(WrapFixture, EditsJoinLinesAndKeepRowMarks) {
  list.SetWordWrap(false);
  list.UpdateRows(0, 0, "abc\r\ndef");
  EXPECT_EQ(Dump(list), (RowDump{{"abc", 0}, {"def", 2}}));
  list.UpdateRows(1, 0, "X");  // no line break: joins the next line
  EXPECT_EQ(Dump(list), (RowDump{{"abc", 0}, {"Xdef", 2}}));
  list.SetRowWordB(1, 4);
  list.UpdateRows(1, 0, "new\r\n");  // caret at column 0: the mark moves down with its line
  EXPECT_EQ(Dump(list), (RowDump{{"abc", 0}, {"new", 0}, {"Xdef", 2}}));
  EXPECT_EQ(list.GetRowWordB(2), 4);
  list.UpdateRows(1, 2, "");  // pure deletion: the marks go to the row now there
  EXPECT_EQ(Dump(list), (RowDump{{"abc", 0}}));
  EXPECT_EQ(list.GetRowWordB(0), 4);
  list.UpdateRows(0, -1, "x");
  list.UpdateRows(1, 1, "x");
  list.UpdateRows(5, 0, "x");
  EXPECT_EQ(Dump(list), (RowDump{{"abc", 0}}));
  EXPECT_GT(editor.changes, 0);
}

TEST_F(WrapFixture, LinesSeeLogicalLines) {
  TEditorStrings lines(list, editor);
  lines.SetTextStr(std::string(100, 'a') + "\r\nshort\r\n" + std::string(80, 'b'));
  EXPECT_EQ(Dump(list).size(), 5u);
  EXPECT_EQ(lines.GetCount(), 3);
  EXPECT_EQ(lines.Get(0), std::string(100, 'a'));
  EXPECT_EQ(lines.Get(2), std::string(80, 'b'));
  lines.Put(1, "changed");
  EXPECT_EQ(lines.Get(1), "changed");
  EXPECT_EQ(lines.Add("tail"), 3);
  EXPECT_EQ(lines.Get(3), "tail");
  lines.Delete(0);
  EXPECT_EQ(lines.Get(0), "changed");
  EXPECT_EQ(lines.GetTextStr(), "changed\r\n" + std::string(80, 'b') + "\r\ntail");
  EXPECT_THROW(lines.Get(9), EStringListError);
}

TEST(ScreenStringsUndo, DepthRedoAndTheFocusedCaret) {
  TEditorScreenStrings list;
  FakeEditor first, second;
  list.AttachEditor(&first);
  list.AttachEditor(&second);
  for (int i = 0; i < 70; ++i) {
    first.caretCol = i;
    list.UpdateRows(0, list.GetCount() ? 1 : 0, std::string(static_cast<size_t>(i + 1), 'x'));
  }
  EXPECT_EQ(list.UndoObj().UndoCount(), 64);
  for (int i = 0; i < 64; ++i) list.Undo();
  EXPECT_EQ(Dump(list), (RowDump{{std::string(6, 'x'), 2}}));
  EXPECT_FALSE(list.UndoObj().CanUndo());
  list.Undo();
  EXPECT_EQ(list.Get(0), std::string(6, 'x'));
  EXPECT_EQ(first.caretCol, 6);

  // Redo restores the text and the caret of before the undo.
  first.caretCol = 33;
  list.Redo();
  EXPECT_EQ(list.Get(0), std::string(7, 'x'));
  EXPECT_EQ(first.caretCol, 7);
  list.Undo();
  list.UpdateRows(0, 0, "new\r\n");
  EXPECT_FALSE(list.UndoObj().CanRedo());

  // The focused editor's caret is the one that moves.
  second.focused = true;
  second.caretRow = 9;
  list.UpdateRows(0, 0, "z\r\n");
  second.caretRow = 0;
  list.Undo();
  EXPECT_EQ(second.caretRow, 9);
  EXPECT_EQ(list.Get(0), "new");
  list.UndoObj().SetUndoListMax(10);
  EXPECT_EQ(list.UndoObj().UndoListMax(), 64);
}

TEST(ScreenStringsUndo, InsertionsAndDeletionsReverseExactly) {
  TEditorScreenStrings list;
  FakeEditor editor;
  list.AttachEditor(&editor);
  list.SetWordWrap(true);
  const std::string before = std::string(120, 'q') + "\r\nline two\r\nend";
  TEditorStrings(list, editor).SetTextStr(before);
  const RowDump rows = Dump(list);
  list.UpdateRows(1, 1, std::string(200, 'z'));
  list.UpdateRows(0, 2, "");
  list.UpdateRows(list.GetCount(), 0, "more\r\n");
  list.Undo();
  list.Undo();
  list.Undo();
  EXPECT_EQ(Dump(list), rows);
  EXPECT_EQ(list.Text(), before);
  list.Redo();
  list.Redo();
  list.Redo();
  EXPECT_EQ(list.Text().substr(list.Text().size() - 6), "more\r\n");
}

TEST(ScreenStringsParse, StatesCarryAndReparsingStopsEarly) {
  TEditorFountain fountain;
  fountain.SetCommenter("'");
  TEditorScreenStrings list;
  FakeEditor editor;
  editor.fountain = &fountain;
  list.AttachEditor(&editor);
  TEditorStrings lines(list, editor);
  std::string text;
  for (int i = 0; i < 100; ++i) text += "row " + std::to_string(i) + "\r\n";
  lines.SetTextStr(text);
  EXPECT_EQ(list.GetRowParseState(40), -1);   // the first two screens are parsed
  EXPECT_EQ(list.GetRowParseState(41), -2);   // the rest waits
  editor.repainted.clear();
  list.UpdateRows(5, 1, "changed\r\n");
  // The replaced rows (to the end of the next line) only: the states after
  // them still hold.
  EXPECT_EQ(editor.repainted, (std::vector<int>{5, 6}));
  list.SetWordWrap(true);
  list.WrapOption().SetWrapByte(20);
  list.UpdateRows(0, 1, "x '" + std::string(30, 'c') + "\r\n");
  ASSERT_EQ(list.GetRowKind(0), kRowWrapped);
  EXPECT_EQ(list.GetRowByteA1(1), toComment);
  EXPECT_EQ(list.GetRowByteA1(2), 0);
  EXPECT_EQ(list.Get(2), "row 1");
}

TEST(ScreenStringsLoad, BlocksLineBreaksAndEndOfText) {
  const std::string folder = test::MakeTempFolder();
  TEditorScreenStrings list;
  FakeEditor editor;
  list.AttachEditor(&editor);
  // A CR LF split across the 8 KB block boundary is one break.
  std::string bytes(8191, 'a');
  bytes += "\r\nb\rc\nd";
  ASSERT_TRUE(WriteFileAtomically(folder + "/a.txt", bytes));
  list.LoadFromFile(folder + "/a.txt");
  EXPECT_EQ(Dump(list), (RowDump{{std::string(8191, 'a'), 0}, {"b", 0}, {"c", 0}, {"d", 2}}));
  ASSERT_TRUE(WriteFileAtomically(folder + "/b.txt", SJ("あ\r\n") + "x\x1Ay\r\n"));
  list.LoadFromFile(folder + "/b.txt");
  EXPECT_EQ(Dump(list), (RowDump{{SJ("あ"), 0}, {"x", 2}}));
  EXPECT_THROW(list.LoadFromFile(folder + "/none.txt"), ERuntimeError);
  EXPECT_EQ(list.GetCount(), 0);
}

}  // namespace
}  // namespace nura

namespace nura {
namespace {

TEST(ScreenStringsSharing, ClearClampAndDetach) {
  TEditorScreenStrings list;
  FakeEditor owner, other;
  list.AttachEditor(&owner);
  list.AttachEditor(&other);
  list.AttachEditor(&other);
  EXPECT_EQ(list.Editors().size(), 2u);
  EXPECT_EQ(list.ActiveEditor(), &owner);
  other.focused = true;
  EXPECT_EQ(list.ActiveEditor(), &other);
  list.UpdateRows(0, 0, "a\r\nb\r\nc");
  list.SetRowWordB(2, 1);
  list.IncludeRowMarks(1);
  other.caretRow = 9;
  other.topRow = 9;
  list.UpdateRows(1, 2, "");
  EXPECT_EQ(Dump(list), (RowDump{{"a", 0}}));
  EXPECT_EQ(list.GetRowWordB(0), 1);
  list.ClampEditorRows();
  EXPECT_EQ(other.caretRow, 1);  // the virtual row after a final line break
  EXPECT_EQ(other.topRow, 1);
  other.caretCol = 4;
  list.Clear();
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.RowMarkSet(), 0);
  EXPECT_FALSE(list.UndoObj().CanUndo());
  EXPECT_EQ(other.caretCol, 0);
  EXPECT_FALSE(list.DetachEditor(&owner));
  EXPECT_TRUE(list.DetachEditor(&other));
}

TEST(ScreenStringsSharing, WrapSwitchWaitsWhileLoadingAndUnwrapKeepsTheEnd) {
  TEditorScreenStrings list;
  FakeEditor editor;
  list.AttachEditor(&editor);
  TEditorStrings(list, editor).SetTextStr(std::string(30, 'a'));
  list.WrapOption().SetWrapByte(20);
  editor.loading = true;
  list.SetWordWrap(true);
  EXPECT_EQ(list.GetCount(), 1);  // nothing re-wraps while the editor loads
  editor.loading = false;
  list.SetWordWrap(false);
  list.SetWordWrap(true);
  EXPECT_EQ(Dump(list), (RowDump{{std::string(20, 'a'), 1}, {std::string(10, 'a'), 2}}));
  list.SetRowWordB(1, 2);
  list.SetWordWrap(false);
  EXPECT_EQ(Dump(list), (RowDump{{std::string(30, 'a'), 2}}));
  EXPECT_EQ(list.GetRowWordB(0), 2);
}

TEST(ScreenStringsSharing, LinesInsertAssignAndFullParsing) {
  TEditorFountain fountain;
  TEditorScreenStrings list;
  FakeEditor editor;
  editor.fountain = &fountain;
  editor.fullParse = true;
  list.AttachEditor(&editor);
  TEditorStrings lines(list, editor);
  std::vector<std::string> many(200, "x");
  lines.Assign(many);
  EXPECT_EQ(editor.caretRow, 200);
  EXPECT_EQ(list.GetRowParseState(199), -1);  // parsed to the end
  lines.Insert(0, "first");
  lines.Insert(lines.GetCount(), "last");
  EXPECT_EQ(lines.Get(0), "first");
  EXPECT_EQ(lines.Get(lines.GetCount() - 1), "last");
  EXPECT_EQ(lines.Lines().size(), 202u);
  lines.Clear();
  EXPECT_EQ(lines.GetCount(), 0);
  EXPECT_EQ(lines.Add("only"), 0);
  EXPECT_EQ(lines.GetTextStr(), "only\r\n");
}

}  // namespace
}  // namespace nura
