#include "gui/qt_dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "engine/command_line.h"
#include "engine/errors.h"
#include "gui/dialog_forms.h"
#include "gui/run_windows.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

QString Q(const std::string& sjis) { return SjisToQString(sjis); }

QString CaptionOr(const std::string& caption) {
  return caption.empty() ? ApplicationTitle() : Q(caption);
}

// Makes the form on first use.
template <typename Form, typename... Args>
Form& Made(std::unique_ptr<Form>& form, Args&&... args) {
  if (!form) form = std::make_unique<Form>(std::forward<Args>(args)...);
  return *form;
}

// A file dialog of Qt's own (not the desktop's), so that it behaves alike
// everywhere and tests can answer it.
void PrepareFileDialog(QFileDialog& dialog, const TFileDialogRequest& request) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setWindowTitle(ApplicationTitle());
  dialog.setDirectory(QString::fromStdString(request.folder));
  dialog.setNameFilter(QtFileFilter(request.filter));
  if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(Q(request.defaultExtension));
  if (!request.initialName.empty()) dialog.selectFile(Q(request.initialName));
}

// A question or warning with Qt's standard buttons, each at least as large
// as its caption needs in the font in use; the button chosen.
QMessageBox::StandardButton AskStandard(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                        const QString& text, QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, caption, text, buttons, parent);
  for (QAbstractButton* button : box.buttons())
    if (auto* push = qobject_cast<QPushButton*>(button)) push->setMinimumSize(FittedSize(*push, QSize(75, 25)));
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

QString QtFileFilter(const std::string& filter) {
  const QStringList fields = Q(filter).split('|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
    const QString patterns = fields[i + 1].trimmed().replace(';', ' ');
    const QString description = fields[i].trimmed();
    const QString tail = "(" + patterns + ")";
    entries << (description.endsWith(tail) ? description : description + " " + tail);
  }
  if (fields.size() % 2 == 1 && !fields.back().trimmed().isEmpty()) {
    entries << fields.back().trimmed();  // a lone last field: a pattern
  }
  return entries.join(QStringLiteral(";;"));
}

TQtDialogs::TQtDialogs(QWidget* parent) : parent_(parent) {}
TQtDialogs::~TQtDialogs() = default;

TfrmMsgBox& TQtDialogs::MsgBox() { return Made(msgBox_); }
TfrmInputBox& TQtDialogs::InputBox() { return Made(inputBox_); }
TfrmSelectDialog& TQtDialogs::SelectDialog() { return Made(selectDialog_); }
TfrmMemoDialog& TQtDialogs::MemoDialog() { return Made(memoDialog_); }
TfrmSelectButton& TQtDialogs::SelectButton() { return Made(selectButton_); }
TfrmError& TQtDialogs::ErrorWindow() {
  return Made(errorWindow_, ProgramCommandLine().debug, parent_);
}

TfrmProg& TQtDialogs::ProgressWindow() { return Made(progressWindow_); }

void TQtDialogs::ShowProgress(const std::string& text, int position,
                              std::function<void()> onStop) {
  TfrmProg& form = ProgressWindow();
  form.lblMsg->setText(Q(text));
  form.progBar->setValue(std::clamp(position, 0, 100));
  form.onStop = std::move(onStop);
  if (form.isVisible()) {
    form.btnStop->setEnabled(static_cast<bool>(form.onStop));
  } else {
    form.show();
  }
}

void TQtDialogs::HideProgress() {
  if (!progressWindow_) return;
  progressWindow_->hide();
  progressWindow_->onStop = nullptr;
}

void TQtDialogs::ShowMessage(const std::string& text, const std::string& caption) {
  TfrmMsgBox& form = MsgBox();
  form.lblMsg->setFont(DialogFont(style_, form.font()));
  form.SetMessage(Q(text));
  form.setWindowTitle(CaptionOr(caption));
  form.exec();
}

void TQtDialogs::ShowWarning(const std::string& text, const std::string& caption) {
  AskStandard(parent_, QMessageBox::Warning, CaptionOr(caption), Q(text), QMessageBox::Ok);
}

bool TQtDialogs::AskYesNo(const std::string& text, const std::string& caption) {
  return AskStandard(parent_, QMessageBox::Question, CaptionOr(caption), Q(text),
                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

// More choices than the dialog holds are refused with an error.
std::string TQtDialogs::AskButtons(const std::string& text, const std::string&,
                                   const std::vector<std::string>& buttons) {
  TfrmSelectButton& form = SelectButton();
  form.Label1->setFont(DialogFont(style_, form.font()));
  std::string lines;
  for (const auto& button : buttons) lines += button + "\r\n";
  const int mainWidth = parent_ ? parent_->width() : 640;
  if (!form.SetupChoices(Q(text), Q(lines), mainWidth)) {
    throw ENura(SJ("選択肢のボタンは20個までです。"));
  }
  form.exec();
  return form.cancelled ? std::string() : QStringToSjis(form.result);
}

std::string TQtDialogs::AskInput(const std::string& prompt, const std::string& initial,
                                 bool& cancelled) {
  TfrmInputBox& form = InputBox();
  const QFont font = DialogFont(style_, form.font());
  form.lblMsg->setFont(font);
  form.edtInput->setFont(font);
  form.edtInput->setInputMethodHints(ImeHints(style_.ime));
  form.lblMsg->setText(Q(prompt));
  form.edtInput->setText(Q(initial));
  form.exec();
  cancelled = form.cancelled;
  return cancelled ? std::string() : QStringToSjis(form.answer);
}

std::string TQtDialogs::AskChoice(const std::string& message,
                                  const std::vector<std::string>& choices,
                                  const std::string& initial, bool editable, bool& cancelled) {
  TfrmSelectDialog& form = SelectDialog();
  const QFont font = DialogFont(style_, form.font());
  form.Label1->setFont(font);
  form.EditResult->setFont(font);
  form.ListBox->setFont(font);
  form.EditResult->setInputMethodHints(ImeHints(style_.ime));
  form.Label1->setText(Q(message));
  form.EditResult->setReadOnly(!editable);
  form.EditResult->setText(Q(initial));
  form.ListBox->clear();
  for (const auto& choice : choices) form.ListBox->addItem(Q(choice));
  form.exec();
  form.EditResult->setReadOnly(false);
  cancelled = form.cancelled;
  return cancelled ? std::string() : QStringToSjis(form.Answer());
}

std::string TQtDialogs::EditMemo(const std::string& text, bool& cancelled) {
  TfrmMemoDialog& form = MemoDialog();
  form.setWindowTitle(ApplicationTitle());
  form.Memo->setFont(DialogFont(style_, form.Memo->font()));
  form.Memo->setInputMethodHints(ImeHints(style_.ime));
  form.SetText(text);
  form.exec();
  cancelled = form.cancelled;
  return form.Text();
}

// The memo for reading and editing under its own caption; a cancel empties it.
std::string TQtDialogs::ShowMemo(const std::string& text, const std::string& caption) {
  TfrmMemoDialog& form = MemoDialog();
  form.setWindowTitle(CaptionOr(caption));
  form.SetText(text);
  form.exec();
  return form.Text();
}

YesNoCancel TQtDialogs::AskYesNoCancel(const std::string& text, const std::string& caption) {
  const auto answer = AskStandard(parent_, QMessageBox::Question, CaptionOr(caption), Q(text),
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  if (answer == QMessageBox::Yes) return YesNoCancel::Yes;
  return answer == QMessageBox::No ? YesNoCancel::No : YesNoCancel::Cancel;
}

bool TQtDialogs::SelectOpenFiles(const TFileDialogRequest& request,
                                 std::vector<std::string>& files) {
  QFileDialog dialog(parent_);
  PrepareFileDialog(dialog, request);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  if (dialog.exec() != QDialog::Accepted) return false;
  files.clear();
  for (const QString& file : dialog.selectedFiles()) files.push_back(file.toStdString());
  return !files.empty();
}

bool TQtDialogs::SelectSaveFile(const TFileDialogRequest& request, std::string& file) {
  QFileDialog dialog(parent_);
  PrepareFileDialog(dialog, request);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  file = dialog.selectedFiles().front().toStdString();
  return true;
}

bool TQtDialogs::SelectFolder(const std::string& folder, std::string& chosen) {
  QFileDialog dialog(parent_);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setWindowTitle(ApplicationTitle());
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setDirectory(QString::fromStdString(folder));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  chosen = dialog.selectedFiles().front().toStdString();
  return true;
}

bool TQtDialogs::SelectColour(int32_t& colour) {
  QColorDialog dialog(parent_);
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  dialog.setWindowTitle(ApplicationTitle());
  if (dialog.exec() != QDialog::Accepted) return false;
  const QColor chosen = dialog.selectedColor();
  colour = chosen.red() + chosen.green() * 256 + chosen.blue() * 65536;
  return true;
}

bool TQtDialogs::SelectFont(TFontChoice& font) {
  QFontDialog dialog(parent_);
  dialog.setOption(QFontDialog::DontUseNativeDialog);
  dialog.setWindowTitle(ApplicationTitle());
  if (dialog.exec() != QDialog::Accepted) return false;
  const QFont chosen = dialog.selectedFont();
  font.name = QStringToSjis(chosen.family());
  font.bold = chosen.bold();
  font.italic = chosen.italic();
  font.underline = chosen.underline();
  font.strikeOut = chosen.strikeOut();
  font.size = chosen.pointSize() > 0 ? chosen.pointSize() : 0;
  return true;
}

// The main window stands back (not topmost) while the error window shows.
ErrorChoice TQtDialogs::ShowErrorDialog(const std::string& log) {
  TfrmError& form = ErrorWindow();
  QString text = Q(log);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  form.memMsg->setPlainText(text);
  const bool topmost = parent_ && (parent_->windowFlags() & Qt::WindowStaysOnTopHint);
  if (topmost) parent_->setWindowFlag(Qt::WindowStaysOnTopHint, false);
  form.exec();
  if (topmost) {
    parent_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    parent_->show();
  }
  if (form.debug) return ErrorChoice::Debugger;
  return form.continueRun ? ErrorChoice::Continue : ErrorChoice::End;
}

}  // namespace nura
