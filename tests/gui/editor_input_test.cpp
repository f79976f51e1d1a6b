// The text editor's input by window messages from a script ("メッセージ送信")
// and by real Qt key and mouse events: both give the same text, caret,
// selection, clipboard and script events.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

#include "editor/editor_control.h"
#include "editor/editor_popup_menu.h"
#include "engine/command_api.h"
#include "gui/object_fixture.h"
#include "platform/window_messages.h"

namespace nura {
namespace {

class EditorInputTest : public test::ObjectFixture {
 protected:
  TEditor* Editor(const char* name) {
    TGuiObject* object = ObjectNamed(name);
    return object ? dynamic_cast<TEditor*>(object->Widget()) : nullptr;
  }
  // Runs the script's label "*送る" (bound to button B) with the variable
  // `name` set to `value` first.
  void Fire(const std::string& name, const std::string& value) {
    FindWord(form->Engine(), SJ(name))->SetValue(value);
    QTest::mouseClick(WidgetOf<QPushButton>("B"), Qt::LeftButton);
  }
  QPoint Cell(TEditor* e, int row, int col) const {
    return {e->TextLeft() + col * e->CharWidth() + 1, e->TextTop() + row * e->RowHeight() + e->RowHeight() / 2};
  }
  // The script's editors E1 (driven by messages) and E2 (by Qt events).
  void TwoEditors(TEditor*& e1, TEditor*& e2) {
    ASSERT_EQ(Errors(), "");
    e1 = Editor("E1");
    e2 = Editor("E2");
    ASSERT_TRUE(e1 && e2);
  }
  static std::string Lparam(QPoint p) { return std::to_string(p.x() + (p.y() << 16)); }
  static void ExpectSameState(TEditor* a, TEditor* b) {
    EXPECT_EQ(a->Text(), b->Text());
    EXPECT_EQ(a->Row(), b->Row());
    EXPECT_EQ(a->Col(), b->Col());
    EXPECT_EQ(a->GetSelStart(), b->GetSelStart());
    EXPECT_EQ(a->GetSelLength(), b->GetSelLength());
  }
};

TEST_F(EditorInputTest, CharacterMessagesTypeAsTheKeyboardDoes) {
  Run("E1をTエディタとして作成\nE2をTエディタとして作成\n"
      "E1に「258,97,0」とメッセージ送信\nE1に「258,98,0」とメッセージ送信\n"
      "E1に「258,130,0」とメッセージ送信\nE1に「258,160,0」とメッセージ送信\n"  // あ as lead and trail
      "E1に「258,13,0」とメッセージ送信\nE1に「258,9,0」とメッセージ送信\n"
      "E1に「258,99,0」とメッセージ送信\nE1に「258,100,0」とメッセージ送信\nE1に「258,8,0」とメッセージ送信\n"
      "E1に「258,1,0」とメッセージ送信\n"                                    // a control character
      "E1に「258,130,0」とメッセージ送信\nE1に「258,10,0」とメッセージ送信\n"  // a lead byte alone
      "待機\n");
  TEditor *e1 = nullptr, *e2 = nullptr;
  ASSERT_NO_FATAL_FAILURE(TwoEditors(e1, e2));
  QTest::keyClicks(e2, "ab");
  QTest::sendKeyEvent(QTest::Click, e2, Qt::Key_unknown, QString::fromUtf8("あ"), Qt::NoModifier);
  QTest::keyClick(e2, Qt::Key_Return);
  QTest::keyClick(e2, Qt::Key_Tab);
  QTest::keyClicks(e2, "cd");
  QTest::keyClick(e2, Qt::Key_Backspace);
  EXPECT_EQ(e1->Text().substr(0, 6), "ab\x82\xa0\r\n");
  EXPECT_EQ(e1->Text().back(), 'c');
  ExpectSameState(e1, e2);
  EXPECT_EQ(e1->Row(), 1);

  // A selection is replaced; a read-only editor types nothing.
  e1->SetText("xyz");
  e1->SetSelStart(0);
  e1->SetSelLength(2);
  int64_t result = 0;
  ObjectNamed("E1")->WindowMessage(msg::kWmChar, 'Q', 0, nullptr, result);
  EXPECT_EQ(e1->Text(), "Qz");
  e1->SetReadOnly(true);
  ObjectNamed("E1")->WindowMessage(msg::kWmChar, 'R', 0, nullptr, result);
  QTest::keyClick(e1, Qt::Key_S);
  ObjectNamed("E1")->WindowMessage(msg::kWmChar, 8, 0, nullptr, result);
  EXPECT_EQ(e1->Text(), "Qz");
}

TEST_F(EditorInputTest, KeyMessagesMoveAndFireTheKeyEventsWithTheirCode) {
  Run("E1をTエディタとして作成\nE2をTエディタとして作成\nE1は「abc\ndef」\nE2は「abc\ndef」\n"
      "N1=0\nN2=0\nU1=0\n"
      "E1のキー押した時は押1\nE2のキー押した時は押2\nE1のキー離した時は「U1=押されたキー」\n"
      "E1に「256,35,0」とメッセージ送信\nE1に「256,40,0」とメッセージ送信\n"
      "E1に「256,37,0」とメッセージ送信\nE1に「256,46,0」とメッセージ送信\n"
      "E1に「257,46,0」とメッセージ送信\nE1に「256,112,0」とメッセージ送信\n"
      "待機\n*押1\nK1=押されたキー\nN1=N1+1\n戻る\n*押2\nK2=押されたキー\nN2=N2+1\n戻る\n");
  TEditor *e1 = nullptr, *e2 = nullptr;
  ASSERT_NO_FATAL_FAILURE(TwoEditors(e1, e2));
  for (const Qt::Key key : {Qt::Key_End, Qt::Key_Down, Qt::Key_Left, Qt::Key_Delete, Qt::Key_F1})
    QTest::keyClick(e2, key);
  ExpectSameState(e1, e2);
  EXPECT_EQ(e1->Text(), "abc\r\nde");
  EXPECT_EQ(Value("N1"), "5");
  EXPECT_EQ(Value("N2"), "5");
  EXPECT_EQ(Value("K1"), "112");
  EXPECT_EQ(Value("K2"), "112");
  EXPECT_EQ(Value("U1"), "46");

  // A key message carries no character: Backspace going down deletes
  // nothing, though the event sees its code.
  int64_t result = 0;
  ObjectNamed("E1")->WindowMessage(msg::kWmKeyDown, msg::kVkBack, 0, nullptr, result);
  EXPECT_EQ(e1->Text(), "abc\r\nde");
  EXPECT_EQ(Value("K1"), "8");
  // Bit 30 of the key data is the auto-repeat flag: a held Page Down goes
  // by its own range.
  std::string many;
  for (int i = 0; i < 200; ++i) many += "x\r\n";
  for (TEditor* e : {e1, e2}) {
    e->SetText(many);
    e->Speed().SetPageVerticalRange(1);
    e->Speed().SetPageVerticalRangeAc(3);
    e->SetRowCol(0, 0);
  }
  ObjectNamed("E1")->WindowMessage(msg::kWmKeyDown, msg::kVkNext, int64_t{1} << 30, nullptr, result);
  QTest::keyEvent(QTest::Press, e2, Qt::Key_PageDown);
  EXPECT_GT(e1->Row(), e2->Row());
  EXPECT_EQ(e1->Row(), 3 * e2->Row());
}

TEST_F(EditorInputTest, MouseMessagesSelectPlaceAndMoveAsTheMouseDoes) {
  Run("E1をTエディタとして作成\nE2をTエディタとして作成\nE1は「abcdef\nghijkl\nmnop」\nE2は「abcdef\nghijkl\nmnop」\n"
      "E1のマウス押した時は「P1=(E1の選択位置)」\nE2のマウス押した時は「P2=(E2の選択位置)」\n"
      "E1のマウス離した時は「X1=マウスX」\n"
      "Bをボタンとして作成\nBのクリックした時は送る\nLD=0\nLM=0\nMD=0\n待機\n"
      "*送る\nE1に「513,{MD},{LD}」とメッセージ送信\nE1に「512,1,{LM}」とメッセージ送信\n"
      "E1に「514,0,{LM}」とメッセージ送信\n戻る\n");
  TEditor *e1 = nullptr, *e2 = nullptr;
  ASSERT_NO_FATAL_FAILURE(TwoEditors(e1, e2));
  const auto drag = [&](QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    FindWord(form->Engine(), SJ("LD"))->SetValue(Lparam(from));
    FindWord(form->Engine(), SJ("MD"))->SetValue(std::to_string((mods & Qt::ShiftModifier) ? int64_t{msg::kMkShift} : int64_t{0}));
    Fire("LM", Lparam(to));
    QWidget* view = e2->viewport();
    QTest::mousePress(view, Qt::LeftButton, mods, from);
    QMouseEvent move(QEvent::MouseMove, to, view->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, to);
  };
  // A drag over text selects it; the mouse-down event sees the caret placed.
  drag(Cell(e1, 0, 1), Cell(e1, 1, 3));
  EXPECT_EQ(e1->GetSelStart(), 1);
  EXPECT_EQ(e1->GetSelLength(), 10);
  ExpectSameState(e1, e2);
  EXPECT_EQ(Value("P1"), "1");
  EXPECT_EQ(Value("P2"), "1");
  EXPECT_EQ(Value("X1"), std::to_string(Cell(e1, 1, 3).x()));
  // Dragging the selection moves it.
  drag(Cell(e1, 0, 2), Cell(e1, 2, 2));
  EXPECT_EQ(e1->Text(), "ajkl\r\nmnbcdef\r\nghiop");
  ExpectSameState(e1, e2);
  // Rows by the left bar.
  e1->Leftbar().SetVisible(true);
  e2->Leftbar().SetVisible(true);
  drag(QPoint(2, Cell(e1, 0, 0).y()), QPoint(2, Cell(e1, 1, 0).y()));
  EXPECT_EQ(e1->GetSelText(), "ajkl\r\nmnbcdef\r\n");
  ExpectSameState(e1, e2);
  // Shift extends from the caret.
  e1->SetRowCol(0, 0);
  e2->SetRowCol(0, 0);
  e1->CleanSelection();
  e2->CleanSelection();
  drag(Cell(e1, 0, 3), Cell(e1, 0, 3), Qt::ShiftModifier);
  EXPECT_EQ(e1->GetSelText(), "ajk");
  ExpectSameState(e1, e2);
}

TEST_F(EditorInputTest, SelectionAndLineMessagesWriteWithinTheVariable) {
  Run("E1をTエディタとして作成\nE1は「abcdef\nxyz」\nE1に「$B1,2,5」とメッセージ送信\n"
      "末=「####」\nE1に「176,0,末」とメッセージ送信\n選=それ\n"
      "短=「##」\nE1に「176,0,短」とメッセージ送信\n"
      "E1に「$87,0,0」とメッセージ送信\n符=それ\n待機\n");
  ASSERT_EQ(Errors(), "");
  EXPECT_EQ(Value("選"), std::to_string(2 + (5 << 16)));
  EXPECT_EQ(Value("末"), std::string("\x05\0\0\0", 4));
  EXPECT_EQ(Value("短"), "##");  // too short for a DWORD: left alone
  EXPECT_EQ(Value("符"), "135");  // arrows, chars, tab, all keys
  TEditor* e1 = Editor("E1");
  e1->SetWantTabs(false);
  e1->SetWantReturns(false);
  int64_t result = 0;
  ObjectNamed("E1")->WindowMessage(msg::kWmGetDlgCode, 0, 0, nullptr, result);
  EXPECT_EQ(result, msg::kDlgcWantArrows | msg::kDlgcWantChars);
  // EM_GETLINE copies what the buffer's first WORD allows, and never more
  // than the buffer holds (the sanitizer watches the storage itself).
  std::string stated4 = std::string("\x04\x00", 2) + "######";
  ObjectNamed("E1")->WindowMessage(msg::kEmGetLine, 0, 0, &stated4, result);
  EXPECT_EQ(result, 4);
  EXPECT_EQ(stated4, "abcd####");
  std::string stated99("\x63\x00\x00", 3);
  ObjectNamed("E1")->WindowMessage(msg::kEmGetLine, 0, 0, &stated99, result);
  EXPECT_EQ(result, 3);
  EXPECT_EQ(stated99, "abc");
  for (size_t size : {0, 1}) {
    std::string small(size, '\x09');
    ObjectNamed("E1")->WindowMessage(msg::kEmGetLine, 0, 0, &small, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(small.size(), size);
    ObjectNamed("E1")->WindowMessage(msg::kEmGetSel, 0, 0, &small, result);
    EXPECT_EQ(small, std::string(size, '\x09'));
  }
}

TEST_F(EditorInputTest, CopyAndCutPutRowsJoinedByCrLf) {
  Run("E1をTエディタとして作成\nE1は「ab\ncd\nef」\nE1に「$B1,1,9」とメッセージ送信\n"
      "E1に「769,0,0」とメッセージ送信\n写=クリップボード取得\n"
      "E1に「$B1,0,2」とメッセージ送信\nE1に「768,0,0」とメッセージ送信\n切=クリップボード取得\n待機\n");
  ASSERT_EQ(Errors(), "");
  EXPECT_EQ(Value("写"), "b\r\ncd\r\ne");
  EXPECT_EQ(Value("切"), "ab");
  EXPECT_EQ(Editor("E1")->Text(), "\r\ncd\r\nef");
  // The same through the keys.
  TEditor* e1 = Editor("E1");
  e1->SetSelStart(0);
  e1->SetSelLength(6);
  QTest::keyClick(e1, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QString::fromLatin1("\r\ncd\r\n"));
  // Without a selection the clipboard's text is emptied.
  e1->CleanSelection();
  int64_t result = 0;
  ObjectNamed("E1")->WindowMessage(msg::kWmCopy, 0, 0, nullptr, result);
  EXPECT_EQ(QApplication::clipboard()->text(), QString());
}

TEST_F(EditorInputTest, ThePopupMenuIsMadeOnceAndItsItemsFollowTheState) {
  Run("E1をTエディタとして作成\nE1は「abc」\n待機\n");
  TEditor* e = Editor("E1");
  ASSERT_NE(e, nullptr);
  TEditorPopupMenu* menu = e->EditorPopupMenu();
  ASSERT_NE(menu, nullptr);
  // Every shortcut once.
  QList<QAction*> all;
  for (QAction* a : menu->actions()) {
    all << a;
    if (a->menu()) all << a->menu()->actions();
  }
  QStringList shortcuts;
  for (QAction* a : all) {
    if (!a->shortcut().isEmpty()) shortcuts << a->shortcut().toString();
  }
  EXPECT_EQ(shortcuts.size(), 27);
  EXPECT_EQ(shortcuts.removeDuplicates(), 0);
  const auto item = [&](const char* utf8) {
    for (QAction* a : all) {
      if (a->text() == QString::fromUtf8(utf8)) return a;
    }
    return static_cast<QAction*>(nullptr);
  };
  QAction* undo = item("元に戻す(&U)");
  QAction* cut = item("切り取り(&T)");
  QAction* copy = item("コピー(&C)");
  QAction* del = item("削除(&D)");
  QAction* all_ = item("すべて選択(&A)");
  QAction* box = item("Box選択モード(&K)");
  ASSERT_TRUE(undo && cut && copy && del && all_ && box);
  menu->UpdateItems();
  EXPECT_FALSE(cut->isEnabled());
  EXPECT_TRUE(all_->isEnabled());
  all_->trigger();
  EXPECT_EQ(e->GetSelLength(), 3);
  menu->UpdateItems();
  EXPECT_TRUE(cut->isEnabled());
  cut->trigger();
  EXPECT_EQ(e->Text(), "");
  EXPECT_EQ(QApplication::clipboard()->text(), QString("abc"));
  menu->UpdateItems();
  EXPECT_TRUE(undo->isEnabled());
  undo->trigger();
  EXPECT_EQ(e->Text(), "abc");
  box->trigger();
  EXPECT_EQ(e->SelectionMode(), 1);
  // The shortcuts run the same items.
  QTest::keyClick(e, Qt::Key_K, Qt::ControlModifier);
  EXPECT_EQ(e->SelectionMode(), 0);
  QTest::keyClick(e, Qt::Key_3, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(e->GetRowMarks(0), 1 << 3);
  // Read-only: only copy, select all, marks and the box mode.
  e->SetReadOnly(true);
  e->SelectAll();
  menu->UpdateItems();
  EXPECT_FALSE(cut->isEnabled());
  EXPECT_FALSE(del->isEnabled());
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_TRUE(copy->isEnabled());
  EXPECT_TRUE(box->isEnabled());
  // The menu the right button shows is this one, each time.
  EXPECT_EQ(e->EditorPopupMenu(), menu);
}

}  // namespace
}  // namespace nura
