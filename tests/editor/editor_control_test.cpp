// The editor control on a real widget (offscreen platform): positions in
// bytes, typing, caret moves, selection, undo, clipboard, search, row marks
// and a painted screenshot.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <gtest/gtest.h>

#include "editor/editor_control.h"
#include "editor/editor_object.h"
#include "editor/editor_pictures.h"
#include "editor/text_search.h"
#include "platform/sjis.h"
#include "common/qt_app.h"

namespace nura {
namespace {

class EditorControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureQtApplication();
    editor = std::make_unique<TEditor>();
    editor->resize(300, 200);
  }
  void Type(const char* keys) { QTest::keyClicks(editor.get(), QString::fromLatin1(keys)); }
  void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(editor.get(), key, mods); }
  std::unique_ptr<TEditor> editor;
};

TEST_F(EditorControlTest, ByteOffsetsOfSelectionAndCaret) {
  editor->SetText("ab\r\ncd");
  editor->SetSelStart(4);
  EXPECT_EQ(editor->Row(), 1);
  EXPECT_EQ(editor->Col(), 0);
  editor->SetSelStart(3);  // inside the CR LF: end of row 0
  EXPECT_EQ(editor->Row(), 0);
  EXPECT_EQ(editor->Col(), 2);
  editor->SetSelStart(1);
  editor->SetSelLength(4);
  EXPECT_EQ(editor->GetSelText(), "b\r\nc");
  EXPECT_EQ(editor->GetSelLength(), 4);
  EXPECT_EQ(editor->GetSelStart(), 1);
  editor->SetSelLength(0);  // drops the selection, caret at its start
  EXPECT_FALSE(editor->HasSelection());
  EXPECT_EQ(editor->GetSelStart(), 1);

  // A tab counts one byte however wide it is drawn.
  editor->SetText("\tx");
  editor->SetSelStart(1);
  EXPECT_EQ(editor->Col(), 8);
  EXPECT_EQ(editor->GetSelStart(), 1);

  // A wrap boundary counts nothing.
  editor->SetWordWrap(true);
  editor->WrapOption().SetWrapByte(20);
  editor->SetText(std::string(25, 'a') + "\r\nbb");
  ASSERT_EQ(editor->RowCount(), 3);
  editor->SetSelStart(22);
  EXPECT_EQ(editor->Row(), 1);
  EXPECT_EQ(editor->Col(), 2);
  editor->SetSelStart(27);
  EXPECT_EQ(editor->Row(), 2);
  editor->SetSelLength(2);
  EXPECT_EQ(editor->GetSelText(), "bb");
}

TEST_F(EditorControlTest, ClampsAndLimits) {
  editor->SetText("abc\r\ndef");
  editor->SetCol(5000);
  EXPECT_LE(editor->Col(), 1000);
  editor->SetRow(-3);
  EXPECT_EQ(editor->Row(), 0);
  editor->SetUndoListMax(10);
  EXPECT_EQ(editor->UndoListMax(), 64);
  editor->SetSelStart(-5);
  EXPECT_EQ(editor->GetSelStart(), 0);
  editor->SetSelStart(1000);
  EXPECT_EQ(editor->GetSelStart(), 8);
  TEditor empty;
  empty.SetSelStart(3);
  empty.SetSelLength(3);
  EXPECT_EQ(empty.GetSelStart(), 0);
  EXPECT_EQ(empty.GetSelLength(), 0);
}

TEST_F(EditorControlTest, BoxSelectionTakesColumnsAndWholeDoubleByteCharacters) {
  editor->SetText("abcdef\r\nabcdef\r\nab" + SJ("あ") + "ef");
  editor->SetSelectionMode(1);
  editor->SetRowCol(0, 2);
  editor->StartSelection();
  editor->SetRowCol(2, 5);
  editor->UpdateSelection();
  EXPECT_EQ(editor->GetSelText(), "cde\r\ncde\r\n" + SJ("あ") + "e\r\n");
  EXPECT_EQ(editor->GetSelLength(), 3 + 2 + 3 + 2 + 3 + 2);
  editor->DeleteSelection();
  EXPECT_EQ(editor->Text(), "abf\r\nabf\r\nabf");
}

TEST_F(EditorControlTest, TypingEditingAndUndo) {
  editor->show();
  Type("abc");
  EXPECT_EQ(editor->Text(), "abc");
  Key(Qt::Key_Left);
  Key(Qt::Key_Backspace);
  EXPECT_EQ(editor->Text(), "ac");
  EXPECT_EQ(editor->Col(), 1);
  Key(Qt::Key_Delete);
  EXPECT_EQ(editor->Text(), "a");
  Key(Qt::Key_Home);
  Type("  x");
  Key(Qt::Key_Return);  // auto-indent keeps the two blanks
  Type("y");
  EXPECT_EQ(editor->Text(), "  x\r\n  ya");
  Key(Qt::Key_Home);
  Key(Qt::Key_Backspace);  // joins with the row above
  EXPECT_EQ(editor->Text(), "  x  ya");
  editor->Undo();
  EXPECT_EQ(editor->Text(), "  x\r\n  ya");
  editor->Redo();
  EXPECT_EQ(editor->Text(), "  x  ya");
  EXPECT_TRUE(editor->Modified());

  // A double-byte character typed through the input method, then deleted whole.
  editor->SetText("");
  QInputMethodEvent ime;
  ime.setCommitString(QString::fromUtf8("漢字"));
  QApplication::sendEvent(editor.get(), &ime);
  EXPECT_EQ(editor->Text(), SJ("漢字"));
  EXPECT_EQ(editor->Col(), 4);
  Key(Qt::Key_Left);
  EXPECT_EQ(editor->Col(), 2);
  Key(Qt::Key_Backspace);
  EXPECT_EQ(editor->Text(), SJ("字"));

  // Read-only refuses typing.
  editor->SetReadOnly(true);
  Type("z");
  Key(Qt::Key_Return);
  EXPECT_EQ(editor->Text(), SJ("字"));
}

TEST_F(EditorControlTest, CaretMovesAndShiftSelection) {
  editor->show();
  editor->SetText("ab\r\nabcdef\r\nx");
  editor->Caret().SetFreeCaret(false);
  editor->SetRowCol(0, 2);
  Key(Qt::Key_Right);  // NextLine off: the caret stays
  EXPECT_EQ(editor->Row(), 0);
  editor->Caret().SetNextLine(true);
  Key(Qt::Key_Right);
  EXPECT_EQ(editor->Row(), 1);
  EXPECT_EQ(editor->Col(), 0);
  editor->SetRowCol(1, 1);
  Key(Qt::Key_Down, Qt::ShiftModifier);  // to the end of the short row
  EXPECT_EQ(editor->GetSelText(), "bcdef\r\nx");
  Key(Qt::Key_Right);  // without Shift: the selection goes
  EXPECT_FALSE(editor->HasSelection());
  Key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(editor->Row(), 2);
  EXPECT_EQ(editor->Col(), 1);
  Key(Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(editor->Row(), 0);

  // The caret never stands inside a tab's fill or on a trail byte.
  editor->SetText("\t" + SJ("あ") + "b");
  editor->SetCol(3);
  EXPECT_EQ(editor->Col(), 8);
  editor->SetCol(9);
  EXPECT_EQ(editor->Col(), 10);
}

TEST_F(EditorControlTest, ClipboardStreamAndBox) {
  editor->show();
  editor->SetText("hello world");
  editor->SetSelStart(6);
  editor->SetSelLength(5);
  Key(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "world");
  Key(Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(editor->Text(), "hello ");
  Key(Qt::Key_Home);
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(editor->Text(), "worldhello ");
  editor->Undo();
  EXPECT_EQ(editor->Text(), "hello ");

  // A box selection goes to the clipboard with its own type and comes back as a box.
  editor->SetText("abc\r\ndef\r\nghi");
  editor->SetSelectionMode(1);
  editor->SetRowCol(0, 1);
  editor->StartSelection();
  editor->SetRowCol(1, 2);
  editor->UpdateSelection();
  editor->CopyToClipboard();
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_TRUE(data);
  EXPECT_TRUE(data->hasFormat(QString::fromLatin1(kBoxSelectionMimeType.data())));
  editor->SetSelectionMode(0);
  editor->CleanSelection();
  editor->SetRowCol(1, 3);
  editor->PasteFromClipboard();
  EXPECT_EQ(editor->Text(), "abc\r\ndefb\r\nghie");
}

TEST_F(EditorControlTest, SearchForwardBackwardAndHitStyles) {
  editor->SetText("one Two\r\none two");
  ASSERT_TRUE(editor->SearchText("two", SearchForward));
  EXPECT_EQ(editor->GetSelStart(), 4);
  EXPECT_EQ(editor->GetSelText(), "Two");
  ASSERT_TRUE(editor->SearchText("two", SearchForward));
  EXPECT_EQ(editor->GetSelStart(), 13);
  EXPECT_FALSE(editor->SearchText("two", SearchForward | SearchMatchCase));
  ASSERT_TRUE(editor->SearchText("one", 0));
  EXPECT_EQ(editor->GetSelStart(), 9);
  // A hit drawn as a marking: its start reads, its length and text do not.
  editor->SetHitStyle(TEditorHitStyle::hsDraw);
  editor->SetSelStart(0);
  ASSERT_TRUE(editor->SearchText("two", SearchForward | SearchMatchCase));
  EXPECT_TRUE(editor->HasHitSelection());
  EXPECT_EQ(editor->GetSelStart(), 13);
  EXPECT_EQ(editor->GetSelLength(), 0);
  EXPECT_EQ(editor->GetSelText(), "");
}

TEST_F(EditorControlTest, RowMarksStandOnOneRowEach) {
  editor->SetText("a\r\nb\r\nc");
  editor->PutRowMark(0, 3);
  editor->PutRowMark(2, 3);
  EXPECT_EQ(editor->GetRowMarks(0), 0);
  EXPECT_EQ(editor->GetRowMarks(2), 1 << 3);
  editor->GotoRowMark(3);
  EXPECT_EQ(editor->Row(), 2);
  editor->PutRowMark(99, 4);  // outside: nothing
  editor->DeleteRowMark(2, 3);
  EXPECT_EQ(editor->GetRowMarks(2), 0);
}

// The screenshot is read by colour regions, not by glyphs.
TEST_F(EditorControlTest, PaintsBackgroundSelectionAndLeftBar) {
  ApplyScriptEditorDefaults(*editor);
  editor->resize(300, 200);
  editor->SetText("abcdef\r\nxyz");
  editor->SetSelStart(1);
  editor->SetSelLength(3);
  editor->show();
  const QImage shot = editor->viewport()->grab().toImage();
  // Below the glyphs (the text has no descenders), where only the cell's
  // background shows.
  const int rowY = editor->TextTop() + editor->RowHeight() - 2;
  const int cw = editor->CharWidth();
  // Selected cells carry the selection background (navy) somewhere in them.
  const auto cellHas = [&](int col, int y, QRgb colour) {
    for (int x = editor->TextLeft() + col * cw; x < editor->TextLeft() + (col + 1) * cw; ++x)
      if (shot.pixel(x, y) == colour) return true;
    return false;
  };
  EXPECT_TRUE(cellHas(2, rowY, qRgb(0, 0, 0x80)));
  EXPECT_FALSE(cellHas(5, rowY, qRgb(0, 0, 0x80)));
  // The text area's background is white far right, the left bar silver.
  EXPECT_EQ(shot.pixel(shot.width() - 3, shot.height() - 3), qRgb(255, 255, 255));
  EXPECT_EQ(shot.pixel(1, shot.height() - 3), qRgb(0xC0, 0xC0, 0xC0));
  // The ruler strip sits above the text: silver, with a long tick and the
  // number 8 at column 8 (gauge range 8), the caret's column marked.
  const int left = editor->TextLeft();
  EXPECT_EQ(shot.pixel(left + 2 * cw + 2, 8), qRgb(0xC0, 0xC0, 0xC0));
  EXPECT_EQ(shot.pixel(left + 8 * cw, 0), qRgb(0, 0, 0));
  EXPECT_EQ(shot.pixel(left + 8 * cw + 3, 1), qRgb(0, 0, 0));  // top of the "8"
  EXPECT_EQ(shot.pixel(left + 4 * cw + 2, 8), qRgb(0, 0, 0));  // the caret column in the mark colour
}

}  // namespace
}  // namespace nura
