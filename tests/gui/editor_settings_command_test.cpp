// "Tエディタ設定" on a script's editor object with the dialogs in a window:
// OK carries the dialog's changes to the editor, Cancel none.
#include <QAbstractButton>
#include <QCheckBox>
#include <filesystem>

#include "editor/editor_control.h"
#include "gui/dialog_responder.h"
#include "gui/object_fixture.h"
#include "gui/qt_dialogs.h"
#include "common/run_program.h"

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

// A name that is no object is the command's argument error, and no file is
// written or read.
TEST_F(EditorSettingsCommand, ANameThatIsNoObjectIsTheArgumentError) {
  const std::string ini = test::MakeTempFolder() + "/e.ini";
  for (const std::string command : {"Tエディタ設定を保存", "Tエディタ設定を読込"}) {
    SCOPED_TRACE(command);
    const char* particle = command == "Tエディタ設定を保存" ? "へ" : "から";
    Run("エラー時にエラー処理設定\n「ナイ」を「" + ini + "」" + particle + command + "\n終わり\n*エラー時\n");
    EXPECT_NE(Errors().find("\"" + command + "\"命令の引数に誤りがあります。"), std::string::npos) << Errors();
    EXPECT_EQ(Errors().find("作成されていません"), std::string::npos) << Errors();
    EXPECT_FALSE(std::filesystem::exists(ini));
  }
}

}  // namespace
}  // namespace nura
