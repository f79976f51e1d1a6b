// The conversational dialog windows: the message box, the input box, the
// list choice, the memo and the button choice. Each is made once and
// reconfigured before every use; all take the application title as their
// caption and centre themselves on the screen.
#pragma once

#include <QDialog>
#include <QFont>
#include <QString>
#include <QStringList>
#include <vector>

#include "engine/dialogs.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QFileDialog;

namespace nura {

// The caption of every dialog: the application's title.
QString ApplicationTitle();
// Moves `form` to the centre of its screen.
void CenterOnScreen(QWidget* form);
// The script's font of `style` over `base` (name and size kept when unset).
QFont DialogFont(const TDialogStyle& style, const QFont& base);
// Input-method hints for an edit field.
Qt::InputMethodHints ImeHints(TImeMode mode);
// The size `button` needs for its caption in its font and style, and at
// least `minimum` (the size the dialog was designed with).
QSize FittedSize(const QPushButton& button, QSize minimum);
// OK and cancel side by side on their panel, both as wide as the wider
// needs (at least 75 x 25), 4 pixels in and 16 apart; the panel fits them.
void LayOutButtonPair(QWidget& panel, QPushButton& ok, QPushButton& cancel);

// "言う": a message and an OK button; Enter and Escape close it too.
class TfrmMsgBox : public QDialog {
 public:
  TfrmMsgBox();
  QLabel* lblMsg;
  QPushButton* btnOk;
  // Fills the label; lines beyond the maximum height are cut and "..."
  // follows the lines that fit.
  void SetMessage(const QString& text);
  // round(0.7 x screen height), fixed when the form is made.
  int MaxHeight() const { return maxHeight_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void LayOut();
  int maxHeight_;
};

// "尋ねる": a prompt and one line of input.
class TfrmInputBox : public QDialog {
 public:
  TfrmInputBox();
  QLabel* lblMsg;
  QLineEdit* edtInput;
  QWidget* panel;
  QPushButton* btnOk;
  QPushButton* btnCancel;
  QString answer;
  bool cancelled = true;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void LayOut();
};

// "どれか尋ねる" and "リストから選択": a message, a list and an answer field.
class TfrmSelectDialog : public QDialog {
 public:
  TfrmSelectDialog();
  QLabel* Label1;
  QListWidget* ListBox;
  QLineEdit* EditResult;
  QWidget* panel;
  QPushButton* btnOk;
  QPushButton* btnCancel;
  bool cancelled = true;

  // The answer field's text.
  QString Answer() const;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LayOut();
  void Confirm();
  void Cancel();
  bool ListKey(QKeyEvent* key);
};

// "メモ記入": a longer text to edit, with loading and saving.
class TfrmMemoDialog : public QDialog {
 public:
  TfrmMemoDialog();
  QPlainTextEdit* Memo;
  QToolButton* btnLoad;
  QToolButton* btnSave;
  QPushButton* btnOK;
  QPushButton* btnCancel;
  bool cancelled = false;

  // The memo's text in and out as Shift-JIS with CR LF line ends.
  void SetText(const std::string& sjis);
  std::string Text() const;
  // Reads a Shift-JIS text file into the memo / writes the memo to one.
  bool LoadFile(const QString& path);
  bool SaveFile(const QString& path) const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildPopupMenu();
  void AskLoad();
  void AskSave();
  QString FileFilter() const;
};

// The button-choice dialog: one button per choice, at most 20.
class TfrmSelectButton : public QDialog {
 public:
  static constexpr int kMaxButtons = 20;
  TfrmSelectButton();
  QLabel* Label1;
  QString result;
  bool cancelled = true;

  // Lays the dialog out for `message` and the lines of `choices` (trimmed);
  // `mainWidth` is the main window's width. False for more than 20 choices.
  bool SetupChoices(const QString& message, const QString& choices, int mainWidth);
  const std::vector<QPushButton*>& Buttons() const { return buttons_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::vector<QPushButton*> buttons_;
};

}  // namespace nura
