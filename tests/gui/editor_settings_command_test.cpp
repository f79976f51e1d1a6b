// "Tエディタ設定" on a script's editor object with the dialogs in a window:
// OK carries the dialog's changes to the editor, Cancel none.
#include <QAbstractButton>
#include <QCheckBox>

#include "editor/editor_control.h"
#include "gui/dialog_responder.h"
#include "gui/object_fixture.h"
#include "gui/qt_dialogs.h"

namespace nura {
namespace {

class EditorSettingsCommand : public test::ObjectFixture {
 protected:
  void SetUp() override {
    ObjectFixture::SetUp();
    SetDialogs(&dialogs);
  }
  void TearDown() override { SetDialogs(nullptr); }
  // Toggles SoftTab in the dialog and answers with the button `answer`.
  static void Answer(const char* answer) {
    test::RespondToModal([answer](QWidget* dialog) {
      dialog->findChild<QCheckBox*>("SoftTab")->toggle();
      dialog->findChild<QAbstractButton*>(answer)->click();
    });
  }
  TQtDialogs dialogs;
};

TEST_F(EditorSettingsCommand, OkChangesTheEditorAndCancelLeavesIt) {
  Run("E1をTエディタとして作成\n");
  ASSERT_NE(ObjectNamed("E1"), nullptr);
  auto* editor = static_cast<TEditor*>(ObjectNamed("E1")->Widget());
  const bool softTab = editor->Caret().SoftTab();
  Answer("Cancel");
  Run("E1のTエディタ設定\n");
  EXPECT_EQ(Errors(), "");
  EXPECT_EQ(editor->Caret().SoftTab(), softTab);
  Answer("OK");
  Run("E1のTエディタ設定\n");
  EXPECT_EQ(editor->Caret().SoftTab(), !softTab);
}

TEST_F(EditorSettingsCommand, OtherKindsAreRefused) {
  Run("エラー時にエラー処理設定\nB1をボタンとして作成\nB1のTエディタ設定\n終わり\n*エラー時\n");
  EXPECT_NE(Errors().find("Tエディタ部品を指定してください。"), std::string::npos) << Errors();
}

}  // namespace
}  // namespace nura
