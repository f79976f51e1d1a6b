// The conversational dialog windows, answered by a responder on the
// offscreen platform: sizes, keys, results and the cancel rules.
#include "gui/dialog_forms.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <cmath>
#include <gtest/gtest.h>

#include "gui/qt_dialogs.h"
#include "gui/dialog_responder.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"
#include "common/qt_app.h"

namespace nura {
namespace {

class DialogForms : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureQtApplication(); }
  TQtDialogs dialogs;
};

// ---- message box ----

TEST_F(DialogForms, MessageBoxCutsLinesBeyondSeventyPercentOfTheScreen) {
  TfrmMsgBox& box = dialogs.MsgBox();
  const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
  EXPECT_EQ(box.MaxHeight(), static_cast<int>(std::lround(0.7 * screenHeight)));
  const int lineHeight =
      static_cast<int>(std::lround(1.2 * QFontMetrics(box.lblMsg->font()).height()));
  const int fit = box.MaxHeight() / lineHeight;
  QString many;
  for (int i = 0; i < fit + 5; ++i) many += QString::number(i) + "\r\n";
  box.SetMessage(many);
  const QStringList shown = box.lblMsg->text().split('\n');
  ASSERT_EQ(shown.size(), fit + 1);
  EXPECT_EQ(shown.first(), "0");
  EXPECT_EQ(shown[fit - 1], QString::number(fit - 1));
  EXPECT_EQ(shown.last(), "...");

  box.SetMessage("a\r\nb");
  EXPECT_EQ(box.lblMsg->text(), "a\nb");
}

TEST_F(DialogForms, MessageBoxSizesAndClosesOnEnterAndEscape) {
  TfrmMsgBox& box = dialogs.MsgBox();
  for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
    box.SetMessage("x");
    bool answered = false;
    test::RespondToModal([&](QWidget* dialog) {
      answered = dialog == &box;
      test::PressKey(dialog, key);
    });
    box.exec();
    EXPECT_TRUE(answered);
    const int m = box.lblMsg->y();
    EXPECT_EQ(box.width(), 100);  // a short message keeps the least width
    EXPECT_EQ(box.btnOk->y(), box.lblMsg->y() + box.lblMsg->height() + m);
    EXPECT_EQ(box.height(), box.btnOk->y() + box.btnOk->height() + m);
    EXPECT_EQ(box.btnOk->x(), (box.width() - box.btnOk->width()) / 2);
  }
  box.SetMessage(QString(80, 'W'));
  test::RespondToModal([](QWidget* dialog) { test::PressKey(dialog, Qt::Key_Enter); });
  box.exec();
  EXPECT_EQ(box.width(), box.lblMsg->width() + 2 * box.lblMsg->x());
}

// The message is drawn: the label area of the grab has dark pixels only
// when there is a text.
TEST_F(DialogForms, MessageBoxShowsItsText) {
  TfrmMsgBox& box = dialogs.MsgBox();
  auto darkPixels = [&box](const QString& text) {
    box.SetMessage(text);
    int dark = 0;
    test::RespondToModal([&](QWidget* dialog) {
      const QImage shot = dialog->grab().toImage();
      const QRect area = box.lblMsg->geometry();
      for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
          if (qGray(shot.pixel(x, y)) < 100) ++dark;
        }
      }
      dialog->close();
    });
    box.exec();
    return dark;
  };
  EXPECT_GT(darkPixels(SjisToQString(SJ("こんにちは世界"))), 20);
  EXPECT_EQ(darkPixels(QString()), 0);
}

// ---- input box ----

TEST_F(DialogForms, InputBoxAnswersOnEnterAndCancelsOnEscapeOrClose) {
  TfrmInputBox& box = dialogs.InputBox();
  bool cancelled = true;
  test::RespondToModal([&](QWidget*) {
    EXPECT_EQ(box.edtInput->text(), "init");
    box.edtInput->setText("12");
    test::PressKey(box.edtInput, Qt::Key_Return);
  });
  EXPECT_EQ(dialogs.AskInput("prompt", "init", cancelled), "12");
  EXPECT_FALSE(cancelled);
  const int left = box.lblMsg->x();
  EXPECT_EQ(box.width(), 300);
  EXPECT_EQ(box.edtInput->width(), 300 - 2 * left);
  EXPECT_EQ(box.edtInput->y(), box.lblMsg->y() + box.lblMsg->height() + box.lblMsg->y());
  EXPECT_EQ(box.height(), box.panel->y() + box.panel->height() + box.lblMsg->y());
  EXPECT_EQ(box.panel->x(), (300 - box.panel->width()) / 2);

  test::RespondToModal([&](QWidget*) {
    box.edtInput->setText("typed");
    test::PressKey(box.edtInput, Qt::Key_Escape);
  });
  EXPECT_EQ(dialogs.AskInput("p", "", cancelled), "");
  EXPECT_TRUE(cancelled);

  test::RespondToModal([](QWidget* dialog) { dialog->close(); });
  dialogs.AskInput("p", "", cancelled);
  EXPECT_TRUE(cancelled);

  test::RespondToModal([&](QWidget*) { box.btnOk->click(); });
  EXPECT_EQ(dialogs.AskInput("p", "", cancelled), "");
  EXPECT_FALSE(cancelled);
}

// ---- list choice ----

TEST_F(DialogForms, ChoiceListTakesClicksKeysAndCancels) {
  TfrmSelectDialog& form = dialogs.SelectDialog();
  bool cancelled = true;
  const std::vector<std::string> choices = {"apple", "banana", "cherry"};
  test::RespondToModal([&](QWidget*) {
    EXPECT_EQ(form.ListBox->count(), 3);
    EXPECT_FALSE(form.EditResult->isReadOnly());
    test::PressKey(form.ListBox, Qt::Key_B, "b");
    EXPECT_EQ(form.ListBox->currentRow(), 1);
    test::PressKey(form.ListBox, Qt::Key_Z, "z");
    EXPECT_EQ(form.ListBox->currentRow(), -1);
    EXPECT_TRUE(form.ListBox->selectedItems().isEmpty());
    test::PressKey(form.ListBox, Qt::Key_C, "c");
    test::PressKey(form.ListBox, Qt::Key_Return);
  });
  EXPECT_EQ(dialogs.AskChoice("pick", choices, "", true, cancelled), "cherry");
  EXPECT_FALSE(cancelled);
  const int t = form.Label1->y(), l = form.Label1->x();
  EXPECT_EQ(form.width(), 280);
  EXPECT_EQ(form.ListBox->y(), form.Label1->height() + 2 * t);
  EXPECT_EQ(form.ListBox->width(), 280 - 2 * l);
  EXPECT_EQ(form.EditResult->y(), form.ListBox->y() + form.ListBox->height() + t);
  EXPECT_EQ(form.height(), form.panel->y() + form.panel->height() + t);

  // A typed answer in the field, confirmed with Enter.
  test::RespondToModal([&](QWidget*) {
    EXPECT_EQ(form.EditResult->text(), "first");
    form.EditResult->setText("own");
    test::PressKey(form.EditResult, Qt::Key_Return);
  });
  EXPECT_EQ(dialogs.AskChoice("pick", choices, "first", true, cancelled), "own");

  // Double-click confirms the item; Escape in the field cancels and empties it.
  test::RespondToModal([&](QWidget*) {
    EXPECT_TRUE(form.EditResult->isReadOnly());
    emit form.ListBox->itemDoubleClicked(form.ListBox->item(0));
  });
  EXPECT_EQ(dialogs.AskChoice("pick", choices, "", false, cancelled), "apple");
  EXPECT_FALSE(form.EditResult->isReadOnly());
  test::RespondToModal([&](QWidget*) { test::PressKey(form.EditResult, Qt::Key_Escape); });
  EXPECT_EQ(dialogs.AskChoice("pick", choices, "x", true, cancelled), "");
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(form.EditResult->text(), "");
  test::RespondToModal([](QWidget* dialog) { dialog->close(); });
  dialogs.AskChoice("pick", choices, "x", true, cancelled);
  EXPECT_TRUE(cancelled);
}

// ---- memo ----

TEST_F(DialogForms, MemoKeepsTheTextOnCloseAndEmptiesItOnCancel) {
  TfrmMemoDialog& form = dialogs.MemoDialog();
  EXPECT_EQ(form.width(), 412);
  EXPECT_EQ(form.height(), 323);
  bool cancelled = true;
  test::RespondToModal([&](QWidget* dialog) {
    EXPECT_EQ(form.Memo->toPlainText(), "a\nb");
    form.Memo->appendPlainText("c");
    dialog->close();
  });
  EXPECT_EQ(dialogs.EditMemo("a\r\nb", cancelled), "a\r\nb\r\nc");
  EXPECT_FALSE(cancelled);
  test::RespondToModal([&](QWidget*) { form.btnCancel->click(); });
  EXPECT_EQ(dialogs.EditMemo("text", cancelled), "");
  EXPECT_TRUE(cancelled);
  test::RespondToModal([&](QWidget*) { form.btnOK->click(); });
  EXPECT_EQ(dialogs.EditMemo(SJ("日本語"), cancelled), SJ("日本語"));
  EXPECT_FALSE(cancelled);
  test::RespondToModal([&](QWidget* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "log");
    form.btnOK->click();
  });
  EXPECT_EQ(dialogs.ShowMemo("kept", "log"), "kept");
}

TEST_F(DialogForms, MemoLoadsAndSavesShiftJisFiles) {
  TfrmMemoDialog& form = dialogs.MemoDialog();
  const QString path = QDir::tempPath() + "/nura-memo-test.txt";
  form.SetText(SJ("一行目\r\n二行目"));
  ASSERT_TRUE(form.SaveFile(path));
  form.SetText("");
  ASSERT_TRUE(form.LoadFile(path));
  EXPECT_EQ(form.Text(), SJ("一行目\r\n二行目"));
  QFile::remove(path);
  EXPECT_FALSE(form.LoadFile(path));
}

// ---- button choice ----

TEST_F(DialogForms, ButtonChoiceSizesSideBySideAndStacked) {
  TfrmSelectButton& form = dialogs.SelectButton();
  ASSERT_TRUE(form.SetupChoices("", " ok \r\n", 640));
  const QFontMetrics metrics(form.Label1->font());
  const int b = static_cast<int>(std::lround(1.3 * std::max(30, metrics.horizontalAdvance("ok"))));
  const int step = static_cast<int>(std::lround(2.0 * metrics.height()));
  ASSERT_EQ(form.Buttons().size(), 1u);
  EXPECT_EQ(form.width(), b + 16);
  EXPECT_EQ(form.Buttons()[0]->width(), b);
  EXPECT_EQ(form.Buttons()[0]->height(), static_cast<int>(std::lround(0.8 * step)));
  EXPECT_EQ(form.height(), step + 2 * form.Label1->y() + form.Label1->height());

  // A long message widens the one-choice dialog to the label.
  ASSERT_TRUE(form.SetupChoices(QString(60, 'M'), "ok", 640));
  EXPECT_EQ(form.width(), form.Label1->x() + form.Label1->width() + 8);

  // A narrow main window stacks the buttons.
  ASSERT_TRUE(form.SetupChoices("", "a\r\nb\r\nc", 100));
  ASSERT_EQ(form.Buttons().size(), 3u);
  EXPECT_EQ(form.Buttons()[1]->y() - form.Buttons()[0]->y(), step);
  EXPECT_EQ(form.height(), 3 * step + form.Label1->height() + 2 * form.Label1->y());

  QString many;
  for (int i = 0; i < 21; ++i) many += QString::number(i) + "\n";
  EXPECT_FALSE(form.SetupChoices("", many, 640));
}

TEST_F(DialogForms, ButtonChoiceGivesTheCaptionOrNothingWhenClosed) {
  TfrmSelectButton& form = dialogs.SelectButton();
  test::RespondToModal([&](QWidget*) { form.Buttons()[1]->click(); });
  EXPECT_EQ(dialogs.AskButtons("?", "", {"yes", "no"}), "no");
  test::RespondToModal([](QWidget* dialog) { dialog->close(); });
  EXPECT_EQ(dialogs.AskButtons("?", "", {"yes", "no"}), "");
  EXPECT_TRUE(form.cancelled);
}

}  // namespace
}  // namespace nura
