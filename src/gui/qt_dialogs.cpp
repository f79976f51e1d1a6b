#include "gui/qt_dialogs.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/sjis.h"

namespace nura {
namespace {

QString Q(const std::string& sjis) { return SjisToQString(sjis); }

}  // namespace

void TQtDialogs::ShowMessage(const std::string& text, const std::string& caption) {
  QMessageBox::information(parent_, Q(caption), Q(text));
}

void TQtDialogs::ShowWarning(const std::string& text, const std::string& caption) {
  QMessageBox::warning(parent_, Q(caption), Q(text));
}

bool TQtDialogs::AskYesNo(const std::string& text, const std::string& caption) {
  return QMessageBox::question(parent_, Q(caption), Q(text)) == QMessageBox::Yes;
}

std::string TQtDialogs::AskButtons(const std::string& text, const std::string& caption,
                                   const std::vector<std::string>& buttons) {
  QMessageBox box(parent_);
  box.setWindowTitle(Q(caption));
  box.setText(Q(text));
  std::vector<QAbstractButton*> made;
  for (const auto& b : buttons) made.push_back(box.addButton(Q(b), QMessageBox::AcceptRole));
  box.addButton(QMessageBox::Cancel)->hide();
  box.exec();
  for (size_t i = 0; i < made.size(); ++i) {
    if (box.clickedButton() == made[i]) return buttons[i];
  }
  return "";
}

std::string TQtDialogs::AskInput(const std::string& prompt, const std::string& initial,
                                 bool& cancelled) {
  bool ok = false;
  const QString answer =
      QInputDialog::getText(parent_, QString(), Q(prompt), QLineEdit::Normal, Q(initial), &ok);
  cancelled = !ok;
  return ok ? QStringToSjis(answer) : std::string();
}

ErrorChoice TQtDialogs::ShowErrorDialog(const std::string& log) {
  QMessageBox box(parent_);
  box.setIcon(QMessageBox::Critical);
  box.setText(Q(log));
  QAbstractButton* cont = box.addButton(Q(SJ("続ける")), QMessageBox::AcceptRole);
  QAbstractButton* debug = box.addButton(Q(SJ("デバッグ")), QMessageBox::ActionRole);
  box.addButton(Q(SJ("終了")), QMessageBox::RejectRole);
  box.exec();
  if (box.clickedButton() == cont) return ErrorChoice::Continue;
  if (box.clickedButton() == debug) return ErrorChoice::Debugger;
  return ErrorChoice::End;
}

}  // namespace nura
