// The editor control's sharing, outside colouring, image lists, events,
// edit-control messages, row and drag selection, tokens, un-indent and box
// insertion, on real widgets (offscreen platform).
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include "editor/editor_control.h"
#include "editor/editor_fountain.h"
#include "editor/editor_object.h"
#include "editor/text_search.h"
#include "platform/sjis.h"
#include "common/qt_app.h"

namespace nura {
namespace {

class EditorFeaturesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureQtApplication();
    editor = std::make_unique<TEditor>();
    editor->resize(400, 200);
  }
  // A mouse event on the viewport with the given buttons held.
  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, editor->viewport()->mapToGlobal(at), button, held, mods);
    QApplication::sendEvent(editor->viewport(), &event);
  }
  QPoint Cell(int row, int col) const {
    return {editor->TextLeft() + col * editor->CharWidth() + 1,
            editor->TextTop() + (row - editor->TopRow()) * editor->RowHeight() + editor->RowHeight() / 2};
  }
  int64_t Send(int64_t message, int64_t wparam, int64_t lparam, std::string* buffer = nullptr) {
    int64_t result = 0;
    EXPECT_TRUE(editor->WindowMessage(message, wparam, lparam, buffer, result));
    return result;
  }
  std::unique_ptr<TEditor> editor;
};

TEST_F(EditorFeaturesTest, TwoEditorsShareOneTextWithTheirOwnCarets) {
  auto other = std::make_unique<TEditor>();
  editor->SetText("one\r\ntwo");
  other->ShareRowList(editor.get());
  EXPECT_EQ(other->Text(), "one\r\ntwo");
  other->SetRowCol(1, 3);
  other->InsertText("!");
  EXPECT_EQ(editor->Text(), "one\r\ntwo!");
  EXPECT_EQ(editor->Row(), 0);  // the first editor's caret stays
  // The text outlives the editor that made it.
  editor.reset();
  other->Undo();
  EXPECT_EQ(other->Text(), "one\r\ntwo");
  other->SetText("new");
  EXPECT_EQ(other->RowCount(), 1);
}

TEST_F(EditorFeaturesTest, AnOutsideFountainColoursUntilItGoesAway) {
  auto fountain = std::make_unique<TEditorFountain>();
  fountain->SetUrl(true);
  editor->SetText("http://example.com/ end");
  editor->SetFountain(fountain.get());
  EXPECT_EQ(editor->ActiveFountain(), fountain.get());
  std::string text;
  int kind = 0;
  ASSERT_TRUE(editor->GetTokenAt(Cell(0, 2), true, false, text, kind));
  EXPECT_EQ(text, "http://example.com/");
  EXPECT_EQ(kind, toUrl);
  ASSERT_TRUE(editor->GetTokenAt(Cell(0, 2), false, false, text, kind));
  EXPECT_EQ(text, "http");  // plain tokens know no URLs
  fountain.reset();
  EXPECT_EQ(editor->Fountain(), nullptr);
  EXPECT_EQ(editor->ActiveFountain(), &editor->View().Fountain());
  ASSERT_TRUE(editor->GetTokenAt(Cell(0, 2), true, false, text, kind));
  EXPECT_EQ(text, "http");  // the view's own fountain has URLs off
  editor->SelectTokenAt(Cell(0, 21), true, false);
  EXPECT_EQ(editor->GetSelText(), "end");
  EXPECT_FALSE(editor->GetTokenAt(Cell(0, 30), true, false, text, kind));  // past the row end
}

TEST_F(EditorFeaturesTest, EventsAndBorderAndImageLists) {
  int top = 0, left = 0, mode = 0, drawn = 0;
  editor->OnTopRowChange = [&] { ++top; };
  editor->OnTopColChange = [&] { ++left; };
  editor->OnSelectionModeChange = [&] { ++mode; };
  editor->OnDrawLine = [&](QPainter&, const std::string& line, int, int, int row, const QRect&, bool) {
    if (row == 1) {
      EXPECT_EQ(line, "b       c");  // the tab expanded
    }
    ++drawn;
  };
  std::string text;
  for (int i = 0; i < 40; ++i) text += (i == 1 ? "b\tc" : "row") + std::string("\r\n");
  editor->SetText(text);
  editor->SetTopRow(10);
  editor->SetTopRow(10);
  editor->SetTopCol(5);
  EXPECT_EQ(top, 1);
  EXPECT_EQ(left, 1);
  editor->SetSelectionMode(1);
  editor->SetSelStart(0);
  editor->SetSelLength(2);  // switches box mode off
  EXPECT_EQ(mode, 2);
  editor->SetTopRow(0);
  editor->SetTopCol(0);
  editor->viewport()->grab();
  EXPECT_GT(drawn, 2);

  editor->SetBorderStyle(TBorderStyle::bsNone);
  EXPECT_EQ(editor->frameShape(), QFrame::NoFrame);

  // Mark 3 from the digit list: a red picture at the bar's left margin.
  auto digits = std::make_unique<TEditorImageList>();
  QImage red(8, 8, QImage::Format_RGB32);
  red.fill(Qt::red);
  digits->images.assign(4, red);
  editor->Imagebar().SetVisible(true);
  editor->SetImageDigits(digits.get());
  editor->PutRowMark(0, 3);
  const QImage shot = editor->viewport()->grab().toImage();
  EXPECT_EQ(shot.pixel(editor->Imagebar().LeftMargin() + 1, editor->TextTop() + 3), qRgb(255, 0, 0));
  digits.reset();
  EXPECT_EQ(editor->ImageDigits(), nullptr);
  editor->viewport()->grab();  // the built-in picture again, no dangling list
}

TEST_F(EditorFeaturesTest, EditControlMessages) {
  editor->SetText("abcd\r\nefgh\r\nij");
  Send(0xB1, 0, -1);  // EM_SETSEL everything
  EXPECT_EQ(editor->GetSelLength(), 14);
  Send(0xB1, 7, 3);
  EXPECT_EQ(editor->GetSelText(), "d\r\ne");
  EXPECT_EQ(Send(0xB0, 0, 0), 3 | (7 << 16));  // EM_GETSEL
  EXPECT_EQ(Send(0xC9, -1, 0), 0);             // EM_LINEFROMCHAR of the selection
  EXPECT_EQ(Send(0xC1, -1, 0), 4 + 3 - 0 - 1);  // EM_LINELENGTH: unselected bytes
  Send(0xB1, -1, 0);                            // drops the selection
  EXPECT_FALSE(editor->HasSelection());
  editor->SetRowCol(1, 2);
  EXPECT_EQ(Send(0xBB, -1, 0), 6);   // EM_LINEINDEX of the caret row
  EXPECT_EQ(Send(0xBB, 3, 0), -1);
  EXPECT_EQ(Send(0xBA, 0, 0), 3);    // EM_GETLINECOUNT
  EXPECT_EQ(Send(0xC9, 13, 0), 2);   // EM_LINEFROMCHAR
  EXPECT_EQ(Send(0xC1, 7, 0), 4);
  std::string buffer = "######";
  EXPECT_EQ(Send(0xC4, 1, 0, &buffer), 4);  // EM_GETLINE: no zero, never longer
  EXPECT_EQ(buffer, "efgh##");
  std::string small = "##";
  EXPECT_EQ(Send(0xC4, 0, 0, &small), 2);
  EXPECT_EQ(small, "ab");
  const int64_t pos = Send(0xD6, 7, 0);  // EM_POSFROMCHAR then EM_CHARFROMPOS
  EXPECT_EQ(Send(0xD7, 0, ((pos & 0xFFFF) + 1) | (((pos >> 16) + 2) << 16)), 7 | (1 << 16));
  EXPECT_EQ(Send(0xD7, 0, 5000), -1);

  // The clipboard and the read-only control.
  QGuiApplication::clipboard()->setText("x");
  Send(0x0301, 0, 0);  // WM_COPY without a selection
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "");
  Send(0xCF, 1, 0);  // EM_SETREADONLY
  std::string insert = "Z";
  Send(0xC2, 0, 0, &insert);  // EM_REPLACESEL
  Send(0x0302, 0, 0);         // WM_PASTE
  Send(0xB9, 1, 0);           // EM_SETMODIFY
  EXPECT_EQ(editor->Text(), "abcd\r\nefgh\r\nij");
  EXPECT_EQ(Send(0xB8, 0, 0), 0);
  Send(0xCF, 0, 0);
  Send(0xC2, 0, 0, &insert);
  EXPECT_EQ(editor->Text(), "abcd\r\nefZgh\r\nij");
  EXPECT_EQ(Send(0xC6, 0, 0), 1);  // EM_CANUNDO
  EXPECT_EQ(Send(0xC7, 0, 0), 1);  // EM_UNDO
  EXPECT_EQ(editor->Text(), "abcd\r\nefgh\r\nij");
  Send(0xCD, 0, 0);  // EM_EMPTYUNDOBUFFER
  EXPECT_EQ(Send(0xC6, 0, 0), 0);
  int64_t ignored = 0;
  EXPECT_FALSE(editor->WindowMessage(0x1234, 0, 0, nullptr, ignored));
}

TEST_F(EditorFeaturesTest, ScrollingByCodesWithLockScroll) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += "line\r\n";
  editor->SetText(text);
  editor->Caret().SetLockScroll(true);
  editor->SetRowCol(2, 0);
  Send(0x115, 1, 0);  // WM_VSCROLL SB_LINEDOWN
  EXPECT_EQ(editor->TopRow(), 1);
  EXPECT_EQ(editor->Row(), 3);
  Send(0x115, 7, 0);  // SB_BOTTOM: only what follows the last row
  EXPECT_EQ(editor->TopRow(), editor->RowCount());
  Send(0x115, 6, 0);  // SB_TOP
  EXPECT_EQ(editor->TopRow(), 0);
  Send(0x115, 5 | (20 << 16), 0);  // thumb
  EXPECT_EQ(editor->TopRow(), 20);
  Send(0x114, 3, 0);  // WM_HSCROLL page right
  EXPECT_EQ(editor->TopCol(), editor->VisibleColCount());
  editor->SetRowCol(40, 0);
  Send(0xB7, 0, 0);  // EM_SCROLLCARET
  EXPECT_LE(editor->TopRow(), 40);
  EXPECT_EQ(editor->TopCol(), 0);
}

TEST_F(EditorFeaturesTest, HeldArrowKeysSpeedUpAtTheEdgeOfTheView) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += "line\r\n";
  editor->SetText(text);
  editor->Speed().SetCaretVerticalAc(3);
  const int last = editor->VisibleRowCount() - 1;
  editor->SetRowCol(last, 0);
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier, QString(), true);
  QApplication::sendEvent(editor.get(), &repeat);
  EXPECT_EQ(editor->Row(), last + 3);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(editor.get(), &release);
  QTest::keyClick(editor.get(), Qt::Key_Down);
  EXPECT_EQ(editor->Row(), last + 4);
}

TEST_F(EditorFeaturesTest, KeepCaretReturnsToTheColumnAShortRowCut) {
  editor->Caret().SetFreeCaret(false);
  editor->SetText(std::string(40, 'a') + "\r\nbbbbb\r\n" + std::string(40, 'c'));
  editor->SetRowCol(0, 30);
  editor->Caret().SetKeepCaret(true);
  QTest::keyClick(editor.get(), Qt::Key_Down);
  EXPECT_EQ(editor->Col(), 5);
  QTest::keyClick(editor.get(), Qt::Key_Down);
  EXPECT_EQ(editor->Col(), 30);
  editor->Caret().SetKeepCaret(false);
  editor->SetRowCol(0, 30);
  QTest::keyClick(editor.get(), Qt::Key_Down);
  QTest::keyClick(editor.get(), Qt::Key_Down);
  EXPECT_EQ(editor->Col(), 5);
}

TEST_F(EditorFeaturesTest, LeftBarWidensOnlyForAFifthDigit) {
  ApplyScriptEditorDefaults(*editor);
  editor->Leftbar().SetShowNumber(true);
  editor->Leftbar().SetColumn(4);
  std::string text;
  for (int i = 0; i < 1999; ++i) text += "x\r\n";
  editor->SetText(text + "x");
  const int four = editor->TextLeft();
  editor->SetText(text + "x\r\n" + text + "x");
  EXPECT_EQ(editor->TextLeft(), four);  // 3999 rows
  std::string many;
  for (int i = 0; i < 9999; ++i) many += "x\r\n";
  editor->SetText(many + "x");  // 10000 rows
  EXPECT_EQ(editor->TextLeft(), four + editor->CharWidth());
}

// By lines, the bar's digits follow the lines of wrapped text, also after
// an edit that adds a line but no row.
TEST_F(EditorFeaturesTest, LeftBarCountsLinesOfWrappedText) {
  editor->Leftbar().SetVisible(true);
  editor->Leftbar().SetShowNumber(true);
  editor->Leftbar().SetColumn(1);
  editor->Leftbar().SetZeroBase(false);
  editor->Leftbar().SetShowNumberMode(TEditorShowNumberMode::nmLine);
  editor->SetWordWrap(true);
  editor->WrapOption().SetWrapByte(20);
  std::string text;
  for (int i = 0; i < 8; ++i) text += "x\r\n";
  editor->SetText(text + std::string(30, 'y'));  // 10 rows, 9 lines
  ASSERT_EQ(editor->RowCount(), 10);
  const int one = editor->TextLeft();
  editor->SetSelStart(8 * 3 + 15);
  editor->InsertText("\r\n");  // still 10 rows, now 10 lines
  ASSERT_EQ(editor->RowCount(), 10);
  EXPECT_EQ(editor->TextLeft(), one + editor->CharWidth());
}

TEST_F(EditorFeaturesTest, RowSelectionFromTheMargin) {
  ApplyScriptEditorDefaults(*editor);
  editor->SetText("aa\r\nbb\r\ncc\r\ndd");
  editor->show();
  const QPoint margin(2, Cell(1, 0).y());
  Mouse(QEvent::MouseButtonPress, margin, Qt::LeftButton);
  EXPECT_EQ(editor->GetSelText(), "bb\r\n");
  Mouse(QEvent::MouseMove, QPoint(2, Cell(2, 0).y()), Qt::LeftButton);
  EXPECT_EQ(editor->GetSelText(), "bb\r\ncc\r\n");
  Mouse(QEvent::MouseMove, QPoint(2, Cell(0, 0).y()), Qt::LeftButton);
  EXPECT_EQ(editor->GetSelText(), "aa\r\nbb\r\n");
  Mouse(QEvent::MouseButtonRelease, QPoint(2, Cell(0, 0).y()), Qt::NoButton);
  // The last row of a text without a final line end is taken to its end.
  Mouse(QEvent::MouseButtonPress, QPoint(2, Cell(3, 0).y()), Qt::LeftButton);
  EXPECT_EQ(editor->GetSelText(), "dd");
  Mouse(QEvent::MouseButtonRelease, QPoint(2, Cell(3, 0).y()), Qt::NoButton);
}

TEST_F(EditorFeaturesTest, DraggingASelectionMovesOrCopiesIt) {
  editor->SetText("abc def");
  editor->show();
  const auto select = [&] {
    editor->SetSelStart(0);
    editor->SetSelLength(3);
  };
  const auto drag = [&](int toCol, Qt::KeyboardModifiers mods) {
    Mouse(QEvent::MouseButtonPress, Cell(0, 1), Qt::LeftButton);
    Mouse(QEvent::MouseMove, Cell(0, toCol), Qt::LeftButton, mods);
    EXPECT_TRUE(editor->IsDraggingSelection());
    Mouse(QEvent::MouseButtonRelease, Cell(0, toCol), Qt::NoButton, mods);
  };
  select();
  drag(7, Qt::NoModifier);
  EXPECT_EQ(editor->Text(), " defabc");
  EXPECT_EQ(editor->Col(), 7);
  editor->Undo();  // one step
  EXPECT_EQ(editor->Text(), "abc def");
  select();
  drag(7, Qt::ControlModifier);
  EXPECT_EQ(editor->Text(), "abc defabc");
  // Onto itself, or a click without a move: the selection is only dropped.
  editor->SetText("abc def");
  select();
  drag(2, Qt::NoModifier);
  EXPECT_EQ(editor->Text(), "abc def");
  EXPECT_FALSE(editor->HasSelection());
  select();
  Mouse(QEvent::MouseButtonPress, Cell(0, 1), Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, Cell(0, 1), Qt::NoButton);
  EXPECT_FALSE(editor->HasSelection());
  EXPECT_EQ(editor->Col(), 1);
  // Esc gives a drag up.
  select();
  Mouse(QEvent::MouseButtonPress, Cell(0, 1), Qt::LeftButton);
  Mouse(QEvent::MouseMove, Cell(0, 6), Qt::LeftButton);
  QTest::keyClick(editor.get(), Qt::Key_Escape);
  EXPECT_FALSE(editor->IsDraggingSelection());
  EXPECT_EQ(editor->Text(), "abc def");
}

TEST_F(EditorFeaturesTest, BackspaceUnIndentDeleteInATabAndBoxInsertion) {
  editor->Caret().SetBackSpaceUnIndent(true);
  editor->SetText("    a\r\n        b");
  editor->SetRowCol(1, 8);
  QTest::keyClick(editor.get(), Qt::Key_Backspace);
  EXPECT_EQ(editor->Text(), "    a\r\n    b");
  EXPECT_EQ(editor->Col(), 4);
  QTest::keyClick(editor.get(), Qt::Key_Backspace);  // no shallower line: column 0
  EXPECT_EQ(editor->Text(), "    a\r\nb");
  // At the start of a row of blanks the row joins the one above.
  editor->SetText("ab\r\n    ");
  editor->SetRowCol(1, 0);
  QTest::keyClick(editor.get(), Qt::Key_Backspace);
  EXPECT_EQ(editor->Text(), "ab    ");
  // A tab reaching over the target becomes blanks up to it.
  editor->SetText("  a\r\n\tb");
  editor->SetRowCol(1, 8);
  QTest::keyClick(editor.get(), Qt::Key_Backspace);
  EXPECT_EQ(editor->Text(), "  a\r\n  b");
  EXPECT_EQ(editor->Col(), 2);

  // Delete with the caret inside a tab's fill deletes the tab.
  editor->Caret().SetInTab(true);
  editor->SetText("\tx");
  editor->SetRowCol(0, 3);
  ASSERT_EQ(editor->Col(), 3);
  QTest::keyClick(editor.get(), Qt::Key_Delete);
  EXPECT_EQ(editor->Text(), "x");
  EXPECT_EQ(editor->Col(), 0);

  // A box into a box selection: one undo step.
  editor->SetText("abcd\r\nabcd\r\nabcd");
  editor->SetSelectionMode(1);
  editor->SetRowCol(0, 1);
  editor->StartSelection();
  editor->SetRowCol(1, 3);
  editor->UpdateSelection();
  editor->InsertBox("XY\r\nZW\r\nUV");
  EXPECT_EQ(editor->Text(), "aXYd\r\naZWd\r\naUVbcd");
  EXPECT_EQ(editor->Row(), 2);
  EXPECT_EQ(editor->Col(), 3);
  editor->Undo();
  EXPECT_EQ(editor->Text(), "abcd\r\nabcd\r\nabcd");
  // Into a stream selection: its text goes, the lines go below.
  editor->SetSelectionMode(0);
  editor->SetSelStart(1);
  editor->SetSelLength(2);
  editor->InsertBox("12\r\n34");
  EXPECT_EQ(editor->Text(), "a12d\r\na34bcd\r\nabcd");
}

TEST_F(EditorFeaturesTest, PointerShowsWhatAPressWouldDo) {
  ApplyScriptEditorDefaults(*editor);
  editor->SetText("abc def");
  editor->SetSelStart(0);
  editor->SetSelLength(3);
  const auto shape = [&] { return editor->viewport()->cursor().shape(); };
  Mouse(QEvent::MouseMove, QPoint(2, Cell(0, 0).y()), Qt::NoButton);
  EXPECT_EQ(shape(), Qt::BitmapCursor);  // the editor's own right arrow
  Mouse(QEvent::MouseMove, Cell(0, 1), Qt::NoButton);
  EXPECT_EQ(shape(), Qt::ArrowCursor);  // inside a movable selection
  Mouse(QEvent::MouseMove, Cell(0, 5), Qt::NoButton);
  EXPECT_EQ(shape(), Qt::IBeamCursor);
  Mouse(QEvent::MouseMove, Cell(0, 1), Qt::NoButton);
  editor->SetReadOnly(true);
  EXPECT_EQ(shape(), Qt::IBeamCursor);
}

TEST_F(EditorFeaturesTest, ASearchHitWithTheCaretStyleGetsACaretAsWideAsIt) {
  editor->show();
  QApplication::setActiveWindow(editor.get());
  editor->setFocus();
  if (!editor->hasFocus()) GTEST_SKIP() << "no keyboard focus on this platform";
  editor->SetHitStyle(TEditorHitStyle::hsCaret);
  editor->SetText("one two three");
  ASSERT_TRUE(editor->SearchText("two", SearchForward));
  EXPECT_TRUE(editor->HasHitSelection());
  EXPECT_EQ(editor->Col(), 4);
  EXPECT_EQ(editor->inputMethodQuery(Qt::ImCursorRectangle).toRect().width(), 3 * editor->CharWidth());
  QTest::keyClick(editor.get(), Qt::Key_Right);
  EXPECT_FALSE(editor->HasSelection());
  EXPECT_EQ(editor->inputMethodQuery(Qt::ImCursorRectangle).toRect().width(), 2);
}

TEST_F(EditorFeaturesTest, CaretShapesAndTheHideMark) {
  editor->SetText("a" + SJ("あ"));
  editor->Caret().SetStyle(TEditorCaretStyle::csBrief);
  editor->SetRowCol(0, 1);
  const QRect brief = editor->inputMethodQuery(Qt::ImCursorRectangle).toRect();
  EXPECT_EQ(brief.width(), 2 * editor->CharWidth());  // on a double-byte character
  editor->Caret().SetStyle(TEditorCaretStyle::csDefault);
  EXPECT_EQ(editor->inputMethodQuery(Qt::ImCursorRectangle).toRect().width(), 2);

  // A row of 1200 bytes shows 1000 and the hide mark right of column 1000.
  editor->Marks().HideMark().SetVisible(true);
  editor->Marks().HideMark().SetColor(clRed);
  editor->Marks().RetMark().SetVisible(false);
  const auto redRightOfLimit = [&](const std::string& row) {
    editor->SetText(row);
    editor->SetTopCol(2000);
    const QImage shot = editor->viewport()->grab().toImage();
    const int x0 = editor->TextLeft() + (1000 - editor->TopCol()) * editor->CharWidth();
    bool red = false;
    for (int x = x0; x < x0 + 2 * editor->CharWidth() && x < shot.width(); ++x)
      for (int y = editor->TextTop(); y < editor->TextTop() + editor->RowHeight(); ++y)
        red = red || shot.pixel(x, y) == qRgb(255, 0, 0);
    return red;
  };
  EXPECT_TRUE(redRightOfLimit(std::string(1200, 'a')));
  EXPECT_FALSE(redRightOfLimit(std::string(1000, 'a')));
}

}  // namespace
}  // namespace nura
