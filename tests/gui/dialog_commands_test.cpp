// The conversational commands with the dialog windows, answered by a
// responder: the answer in "それ", its annotation and the cancel value.
#include "commands/dialog_commands.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include "engine/control_commands.h"
#include "engine/engine.h"
#include "engine/vocabulary.h"
#include "gui/dialog_forms.h"
#include "gui/dialog_responder.h"
#include "gui/qt_dialogs.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"
#include "common/qt_app.h"
#include <QDir>

namespace nura {
namespace {

class DialogCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureQtApplication();
    SetDialogs(&dialogs);
    RegisterControlCommands();
    RegisterDialogCommands();
    engine.SetRegistrationHook([](TNuraEngine& e) { RegisterBuiltinWords(e); });
  }
  void TearDown() override { SetDialogs(nullptr); }

  void Run(const std::string& utf8) {
    engine.PrepareRun(SJ(utf8), "t.nrs");
    engine.Run();
  }
  std::string Result() { return SjisToUtf8(engine.ResultNode()->Value()); }
  std::string Kind() { return engine.ResultNode()->Annotation(); }

  TQtDialogs dialogs;
  TNuraEngine engine;
};

// Types `text` into the input box and presses Enter.
void AnswerInput(TQtDialogs& dialogs, const QString& text) {
  test::RespondToModal([&dialogs, text](QWidget*) {
    dialogs.InputBox().edtInput->setText(text);
    test::PressKey(dialogs.InputBox().edtInput, Qt::Key_Return);
  });
}

TEST_F(DialogCommands, AskAnnotatesNumbersAndTextAndUsesTheDefaultPrompt) {
  AnswerInput(dialogs, "12");
  Run("「数は？」と尋ねる\r\n");
  EXPECT_EQ(Result(), "12");
  EXPECT_EQ(Kind(), "e");
  EXPECT_EQ(dialogs.InputBox().lblMsg->text(), SjisToQString(SJ("数は？")));
  AnswerInput(dialogs, "a12");
  Run("尋ねる\r\n");
  EXPECT_EQ(Result(), "a12");
  EXPECT_EQ(Kind(), "s");
  EXPECT_EQ(dialogs.InputBox().lblMsg->text(), SjisToQString(SJ("入力してください。")));
}

TEST_F(DialogCommands, AskStartsWithTheInitialValueAndCancelsToTheCancelValue) {
  test::RespondToModal([this](QWidget*) {
    EXPECT_EQ(dialogs.InputBox().edtInput->text(), SjisToQString(SJ("初期")));
    test::PressKey(dialogs.InputBox().edtInput, Qt::Key_Escape);
  });
  Run("ダイアログ初期値=「初期」\r\nダイアログキャンセルの値=「キャンセル」\r\n「?」と尋ねる\r\n");
  EXPECT_EQ(Result(), "キャンセル");
}

TEST_F(DialogCommands, ChoiceListSplitsTheChoicesAndKeepsTheAnnotation) {
  test::RespondToModal([this](QWidget*) {
    QListWidget* list = dialogs.SelectDialog().ListBox;
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), SjisToQString(SJ("赤")));
    EXPECT_EQ(list->item(2)->text(), SjisToQString(SJ("緑")));
    emit list->itemDoubleClicked(list->item(1));
  });
  Run("それ=5\r\n「色は？」が「赤｜青|緑」のどれか尋ねる\r\n");
  EXPECT_EQ(Result(), "青");
  EXPECT_EQ(Kind(), "e");
}

TEST_F(DialogCommands, ChoiceListCancelGivesTheCancelValue) {
  test::RespondToModal([this](QWidget*) {
    EXPECT_EQ(dialogs.SelectDialog().EditResult->text(), SjisToQString(SJ("黄")));
    test::PressKey(dialogs.SelectDialog().ListBox, Qt::Key_Escape);
  });
  Run("ダイアログ初期値=「黄」\r\nダイアログキャンセルの値=「キャンセル」\r\n"
      "「色は？」が「赤|青」のどれか尋ねる\r\n");
  EXPECT_EQ(Result(), "キャンセル");
}

TEST_F(DialogCommands, SelectFromListHasAReadOnlyAnswer) {
  test::RespondToModal([this](QWidget*) {
    EXPECT_TRUE(dialogs.SelectDialog().EditResult->isReadOnly());
    test::PressKey(dialogs.SelectDialog().ListBox, Qt::Key_B, "b");
    test::PressKey(dialogs.SelectDialog().ListBox, Qt::Key_Return);
  });
  Run("「どれ？」を「a|b|c」のリストから選択\r\n");
  EXPECT_EQ(Result(), "b");
  EXPECT_FALSE(dialogs.SelectDialog().EditResult->isReadOnly());
}

TEST_F(DialogCommands, MemoGivesTheTextOrTheCancelValueAsText) {
  test::RespondToModal([this](QWidget* dialog) {
    dialogs.MemoDialog().Memo->appendPlainText("2");
    dialog->close();
  });
  Run("「1」のメモ記入\r\n");
  EXPECT_EQ(Result(), "1\r\n2");
  EXPECT_EQ(Kind(), "s");
  test::RespondToModal([this](QWidget*) { dialogs.MemoDialog().btnCancel->click(); });
  Run("ダイアログキャンセルの値=3\r\n「1」のメモ記入\r\n");
  EXPECT_EQ(Result(), "3");
  EXPECT_EQ(Kind(), "s");
}

TEST_F(DialogCommands, SayCutsLongMessagesAndLeavesTheResult) {
  test::RespondToModal([this](QWidget* dialog) {
    const QString shown = dialogs.MsgBox().lblMsg->text();
    EXPECT_EQ(shown.size(), 4095 + 3);
    EXPECT_TRUE(shown.endsWith("x..."));
    test::PressKey(dialog, Qt::Key_Return);
  });
  Run("それ=7\r\n「" + std::string(5000, 'x') + "」と言う\r\n");
  EXPECT_EQ(Result(), "7");
}

TEST_F(DialogCommands, ThreeWayMapsTheButtonsAndColourCancelGivesTheCancelValue) {
  test::RespondToModal([](QWidget* dialog) {
    auto* box = qobject_cast<QMessageBox*>(dialog);
    ASSERT_NE(box, nullptr);
    box->button(QMessageBox::Cancel)->click();
  });
  Run("「保存？」と三択\r\n");
  EXPECT_EQ(Result(), "2");
  EXPECT_EQ(Kind(), "e");
  test::RespondToModal([](QWidget* dialog) {
    ASSERT_NE(qobject_cast<QColorDialog*>(dialog), nullptr);
    dialog->close();
  });
  Run("ダイアログキャンセルの値=-1\r\n色選択\r\n");
  EXPECT_EQ(Result(), "-1");
}

TEST_F(DialogCommands, SaveDialogAddsTheDefaultExtensionOfTheFilter) {
  const QString folder = QDir::tempPath();
  test::RespondToModal([folder](QWidget* dialog) {
    auto* files = qobject_cast<QFileDialog*>(dialog);
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->nameFilters(), QStringList{"CSV (*.csv)"});
    files->selectFile(folder + "/nura_save_test_none");
    QMetaObject::invokeMethod(files, "accept");
  });
  Run("「CSV|*.csv」の書込ファイル選択\r\n");
  EXPECT_EQ(Result(), (folder + "/nura_save_test_none.csv").toStdString());
}

TEST(FileDialogFilter, ExtensionsBecomeFiltersAndWildcardsGiveNoDefaultExtension) {
  const std::string txt = SjisToUtf8(FileDialogFilter(".txt"));
  EXPECT_EQ(txt, "txt 形式(*.txt)|*.txt|全て(*.*)|*.*");
  EXPECT_EQ(SjisToUtf8(FileDialogFilter("txt")), txt);
  EXPECT_EQ(DefaultExtensionOf(FileDialogFilter("txt")), "txt");
  EXPECT_EQ(DefaultExtensionOf("CSV|*.csv"), "csv");
  EXPECT_EQ(DefaultExtensionOf(SJ("すべて|*.*")), "");
  EXPECT_EQ(DefaultExtensionOf("Text|*.txt;*.log"), "");
  EXPECT_EQ(DefaultExtensionOf("Any|?.x"), "");
  EXPECT_EQ(QtFileFilter(FileDialogFilter("txt")),
            SjisToQString(SJ("txt 形式(*.txt);;全て(*.*)")));
  EXPECT_EQ(QtFileFilter("Text|*.txt;*.log|All|*"), "Text (*.txt *.log);;All (*)");
}

TEST(FontChoiceText, StylesAndSizeFollowTheName) {
  TFontChoice font;
  font.name = "Sans";
  font.size = 12;
  EXPECT_EQ(FontChoiceText(font), "Sans||12");
  font.strikeOut = true;  // no word for strike-out
  EXPECT_EQ(FontChoiceText(font), "Sans||12");
  font.bold = font.italic = true;
  EXPECT_EQ(SjisToUtf8(FontChoiceText(font)), "Sans|太字傾斜|12");
  font.underline = true;
  font.size = 0;
  EXPECT_EQ(SjisToUtf8(FontChoiceText(font)), "Sans|太字傾斜下線");
}

TEST(SplitButtonChoices, LinesOrBackslashN) {
  EXPECT_EQ(SplitButtonChoices(" a \r\nb\r\n\r\n"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitButtonChoices("a\\nb"), (std::vector<std::string>{"a", "b"}));
  // "ソ" ends in the byte of "\\": followed by "n" it is still one character.
  EXPECT_EQ(SplitButtonChoices(SJ("ソn")), (std::vector<std::string>{SJ("ソn")}));
}

TEST(SplitChoices, BarsAndLineEndsSeparateItems) {
  auto items = [](const std::string& utf8) {
    std::vector<std::string> out;
    for (const auto& item : SplitChoices(SJ(utf8))) out.push_back(SjisToUtf8(item));
    return out;
  };
  EXPECT_EQ(items("赤｜青|緑"), (std::vector<std::string>{"赤", "青", "緑"}));
  EXPECT_EQ(items("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(items("a||b"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(items("").empty());
  // "ポ" has 0x7C ("|") as its second byte: it is no separator.
  EXPECT_EQ(items("ポ|ソ"), (std::vector<std::string>{"ポ", "ソ"}));
}

}  // namespace
}  // namespace nura
