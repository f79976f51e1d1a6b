// The editor settings dialog on real widgets (offscreen platform): a
// responder changes controls and answers OK or Cancel.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <gtest/gtest.h>

#include "editor/color_manager.h"
#include "editor/editor_object.h"
#include "editor/editor_settings_dialog.h"
#include "gui/dialog_responder.h"
#include "platform/sjis.h"
#include "common/qt_app.h"

namespace nura {
namespace {

template <class T>
T* Find(QWidget* dialog, const char* name) {
  T* widget = dialog->findChild<T*>(QString::fromUtf8(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

void Click(QWidget* dialog, const char* name) {
  if (auto* button = Find<QAbstractButton>(dialog, name)) button->click();
}

// Answers the next message box with OK, remembering its text.
void AnswerMessageBox(QString* text) {
  test::RespondToModal([text](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    if (!box) return AnswerMessageBox(text);
    *text = box->text();
    box->button(QMessageBox::Ok)->click();
  });
}

class EditorSettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureQtApplication();
    owned = std::make_unique<TEditor>();
    ApplyScriptEditorDefaults(editor());
    editor().SetText("abc\r\n");
  }
  // Runs the dialog on the editor; `answer` works on the form.
  bool Run(std::function<void(TFormViewEditor&)> answer) {
    test::RespondToModal([answer](QWidget* w) { answer(*static_cast<TFormViewEditor*>(w)); });
    return EditEditorProp(editor(), nullptr);
  }
  TEditor& editor() { return *owned; }
  std::unique_ptr<TEditor> owned;
};

TEST_F(EditorSettingsDialogTest, OkAppliesTheChangedFieldsToTheEditor) {
  const bool autoIndent = editor().Caret().AutoIndent();
  const bool ok = Run([](TFormViewEditor& f) {
    EXPECT_EQ(f.Pages().tabText(f.Pages().currentIndex()), "View Marks");
    EXPECT_FALSE(f.findChild<QGroupBox*>("FileExtList")->isVisibleTo(&f));
    Find<QCheckBox>(&f, "AutoIndent")->toggle();
    Find<QSpinBox>(&f, "TabSpaceCount")->setValue(6);
    Find<QSpinBox>(&f, "WrapByte")->setValue(40);
    Find<QCheckBox>(&f, "WordWrap")->setChecked(true);
    Click(&f, "ssVertical");
    Click(&f, "hsDraw");
    Find<QLineEdit>(&f, "Commenter")->setText(";");
    // "Int" on the colour grid: left click blue, right click yellow.
    Find<QListWidget>(&f, "ColorList")->setCurrentRow(4);
    auto* manager = Find<TEditorColorManager>(&f, "ColorManager");
    manager->ClickCell(12, false);
    manager->ClickCell(11, true);
    Find<QCheckBox>(manager, "fsBold")->setChecked(true);
    // "Color" writes the editor's background.
    Find<QListWidget>(&f, "ColorList")->setCurrentRow(0);
    manager->ClickCell(7, true);
    Find<QComboBox>(&f, "FontSize")->setCurrentText("nonsense");
    Click(&f, "OK");
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(editor().Caret().AutoIndent(), !autoIndent);
  EXPECT_EQ(editor().Caret().TabSpaceCount(), 6);
  EXPECT_EQ(editor().WrapOption().WrapByte(), 40);
  EXPECT_TRUE(editor().WordWrap());
  EXPECT_EQ(editor().ScrollBars(), TScrollStyle::ssVertical);
  EXPECT_EQ(editor().HitStyle(), TEditorHitStyle::hsDraw);
  EXPECT_EQ(editor().View().Commenter(), ";");
  EXPECT_EQ(editor().View().Colors().Int().Color(), clBlue);
  EXPECT_EQ(editor().View().Colors().Int().BkColor(), clYellow);
  EXPECT_EQ(editor().View().Colors().Int().Style(), fsBold);
  EXPECT_EQ(editor().Color(), clSilver);  // gray and silver change places in the grid
  EXPECT_EQ(editor().Font().Height(), -13);  // a size that is no number counts as 10
  EXPECT_EQ(editor().ReserveWordList(), std::vector<std::string>{SJ("＊")});
}

TEST_F(EditorSettingsDialogTest, CancelAfterManyChangesLeavesTheEditorAlone) {
  TEditorProp before;
  before.AssignFromEditor(editor());
  const bool ok = Run([](TFormViewEditor& f) {
    Find<QCheckBox>(&f, "SoftTab")->toggle();
    Find<QCheckBox>(&f, "Ruler.Visible")->toggle();
    Find<QSpinBox>(&f, "Margin.Left")->setValue(40);
    Click(&f, "nmLine");
    Find<QListWidget>(&f, "ColorList")->setCurrentRow(1);
    Find<TEditorColorManager>(&f, "ColorManager")->ClickNone(false);
    Click(&f, "New");
    Click(&f, "Cancel");
  });
  EXPECT_FALSE(ok);
  TEditorProp after;
  after.AssignFromEditor(editor());
  EXPECT_EQ(after.Caret().SoftTab(), before.Caret().SoftTab());
  EXPECT_EQ(after.Ruler().Visible(), before.Ruler().Visible());
  EXPECT_EQ(after.Margin().Left(), before.Margin().Left());
  EXPECT_EQ(after.Leftbar().ShowNumberMode(), before.Leftbar().ShowNumberMode());
  EXPECT_EQ(after.View().Colors().Ank().Color(), before.View().Colors().Ank().Color());
  EXPECT_EQ(after.View().Brackets().Count(), 4);
}

TEST_F(EditorSettingsDialogTest, BracketsAreCheckedBeforeOkAndEditedInPlace) {
  QString error;
  const bool ok = Run([&error](TFormViewEditor& f) {
    auto* list = Find<QListWidget>(&f, "BracketList");
    auto* left = Find<QLineEdit>(&f, "LeftBracket");
    auto* right = Find<QLineEdit>(&f, "RightBracket");
    auto* update = Find<QPushButton>(&f, "Update");
    list->setCurrentRow(0);
    right->setText("{");
    EXPECT_FALSE(update->isEnabled());  // equal brackets
    right->setText("]");
    left->setText("[");
    EXPECT_TRUE(update->isEnabled());
    update->click();
    EXPECT_EQ(list->item(0)->text(), "[ ]");
    // A new item has empty brackets: OK refuses and shows it.
    Click(&f, "New");
    EXPECT_EQ(list->currentRow(), 4);
    f.Pages().setCurrentIndex(0);
    AnswerMessageBox(&error);
    Click(&f, "OK");
    EXPECT_EQ(f.Pages().tabText(f.Pages().currentIndex()), "Brackets");
    EXPECT_EQ(list->currentRow(), 4);
    EXPECT_TRUE(f.isVisible());
    // Removing every item disables the edits.
    for (int i = 0; i < 5; ++i) Click(&f, "Remove");
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(left->isEnabled());
    EXPECT_FALSE(right->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(&f, "Remove")->isEnabled());
    Click(&f, "OK");
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(error, QString::fromUtf8("空白・同一の LeftBracket, RightBracket は指定出来ません。"));
  EXPECT_EQ(editor().View().Brackets().Count(), 0);
}

TEST_F(EditorSettingsDialogTest, SameColorAsksAndAppliesToEveryTokenColour) {
  QString question;
  Run([&question](TFormViewEditor& f) {
    Find<QListWidget>(&f, "ColorList")->setCurrentRow(2);  // Comment: clMaroon
    AnswerMessageBox(&question);
    Click(&f, "View.SameColor");
    Click(&f, "OK");
  });
  EXPECT_EQ(question, "Change all Color to clMaroon");
  EXPECT_EQ(editor().View().Colors().Str().Color(), clMaroon);
  EXPECT_EQ(editor().View().Colors().Select().Color(), clWhite);  // Select and Hit keep theirs
}

TEST_F(EditorSettingsDialogTest, ReservedWordsAndPreviewsFollowTheControls) {
  Run([](TFormViewEditor& f) {
    auto* words = Find<TEditor>(&f, "ReserveWordList");
    words->SetText("begin\r\nend\r\n\r\n");
    Find<QCheckBox>(&f, "Leftbar.Visible")->setChecked(false);
    EXPECT_FALSE(Find<TEditor>(&f, "RulerSample")->Leftbar().Visible());
    EXPECT_EQ(Find<TEditor>(&f, "RulerSample")->GetRowMarks(15), 1 << 4);
    Find<QLineEdit>(&f, "HexPrefix")->setText("0x");
    EXPECT_NE(Find<TEditor>(&f, "ColorSample")->Text().find("12345 0xFF"), std::string::npos);
    Find<QLineEdit>(&f, "FollowStr")->setText("x");
    Click(&f, "FollowStr.Default");
    Click(&f, "OK");
  });
  EXPECT_EQ(editor().ReserveWordList(), (std::vector<std::string>{"begin", "end"}));
  EXPECT_FALSE(editor().Leftbar().Visible());
  EXPECT_EQ(editor().WrapOption().FollowStr(), TEditorWrapOption().FollowStr());
}

TEST(EditorSettingsDialog, FirstPageFollowsTheObjectAndSettingsObjectsRoundTrip) {
  test::EnsureQtApplication();
  TEditorCaret caret;
  TEditorRuler ruler;
  TEditorWrapOption wrap;
  TEditorFont font;
  EXPECT_EQ(TFormViewEditor::FirstPageOf(&caret), "Caret");
  EXPECT_EQ(TFormViewEditor::FirstPageOf(&ruler), "Leftbar Ruler Margin");
  EXPECT_EQ(TFormViewEditor::FirstPageOf(&wrap), "WordWrap");
  EXPECT_EQ(TFormViewEditor::FirstPageOf(&font), "Font");
  EXPECT_EQ(TFormViewEditor::FirstPageOf(nullptr), "View Marks");
  TEditorProp settings;
  settings.SetFileExtList({".txt"});
  test::RespondToModal([](QWidget* w) {
    auto& f = *static_cast<TFormViewEditor*>(w);
    EXPECT_EQ(f.Pages().tabText(f.Pages().currentIndex()), "Caret");
    Find<QCheckBox>(&f, "FreeRow")->setChecked(true);
    Click(&f, "OK");
  });
  EXPECT_TRUE(EditEditorProp(settings, &caret));
  EXPECT_TRUE(settings.Caret().FreeRow());
  EXPECT_EQ(settings.FileExtList(), std::vector<std::string>{".txt"});
}

}  // namespace
}  // namespace nura
