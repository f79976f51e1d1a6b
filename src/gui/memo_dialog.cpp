// The memo dialog of "メモ記入": a text to edit, loaded from or saved to
// a file on request.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/dialog_forms.h"
#include "platform/file_io.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {

TfrmMemoDialog::TfrmMemoDialog() {
  setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
  Memo = new QPlainTextEdit(this);
  Memo->setFont(QFont(SjisToQString(SJ("ＭＳ ゴシック"))));
  Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  BuildPopupMenu();

  auto* bottom = new QWidget(this);
  auto* row = new QHBoxLayout(bottom);
  row->setContentsMargins(4, 4, 4, 4);
  btnLoad = new QToolButton(bottom);
  btnLoad->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  btnSave = new QToolButton(bottom);
  btnSave->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  btnOK = new QPushButton(QStringLiteral("&OK"), bottom);
  btnCancel = new QPushButton(SjisToQString(SJ("キャンセル(&C)")), bottom);
  btnOK->setAutoDefault(false);
  btnCancel->setAutoDefault(false);
  row->addWidget(btnLoad);
  row->addWidget(btnSave);
  row->addStretch();
  row->addWidget(btnOK);
  row->addWidget(btnCancel);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(Memo, 1);
  column->addWidget(bottom);
  resize(412, 323);
  CenterOnScreen(this);

  connect(btnOK, &QPushButton::clicked, this, [this] {
    cancelled = false;
    accept();
  });
  connect(btnCancel, &QPushButton::clicked, this, [this] {
    Memo->clear();
    cancelled = true;
    reject();
  });
  connect(btnLoad, &QToolButton::clicked, this, [this] { AskLoad(); });
  connect(btnSave, &QToolButton::clicked, this, [this] { AskSave(); });
}

void TfrmMemoDialog::BuildPopupMenu() {
  auto* menu = new QMenu(this);
  auto add = [this, menu](const char* caption, QKeySequence keys, auto slot) {
    QAction* action = menu->addAction(SjisToQString(SJ(caption)));
    action->setShortcut(keys);
    connect(action, &QAction::triggered, Memo, slot);
  };
  add("元に戻す", QKeySequence(Qt::CTRL | Qt::Key_Z), &QPlainTextEdit::undo);
  add("コピー", QKeySequence(Qt::CTRL | Qt::Key_C), &QPlainTextEdit::copy);
  add("切り取り", QKeySequence(Qt::CTRL | Qt::Key_X), &QPlainTextEdit::cut);
  add("貼付け", QKeySequence(Qt::CTRL | Qt::Key_V), &QPlainTextEdit::paste);
  add("全て選択", QKeySequence(Qt::CTRL | Qt::Key_A), &QPlainTextEdit::selectAll);
  Memo->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Memo, &QWidget::customContextMenuRequested, this,
          [this, menu](const QPoint& at) { menu->exec(Memo->mapToGlobal(at)); });
}

void TfrmMemoDialog::SetText(const std::string& sjis) {
  QString text = SjisToQString(sjis);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  Memo->setPlainText(text);
}

std::string TfrmMemoDialog::Text() const {
  QString text = Memo->toPlainText();
  text.replace('\n', QStringLiteral("\r\n"));
  return QStringToSjis(text);
}

bool TfrmMemoDialog::LoadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.readAll();
  SetText(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
  return true;
}

bool TfrmMemoDialog::SaveFile(const QString& path) const {
  return WriteFileAtomically(path.toStdString(), Text());
}

QString TfrmMemoDialog::FileFilter() const {
  return SjisToQString(SJ("*.txt (*.txt);;すべてのファイル (*)"));
}

// The file dialogs start in the current folder; a file that cannot be read
// or written is reported and the memo stays as it was.
void TfrmMemoDialog::AskLoad() {
  QFileDialog dlgOpen(this, QString(), QDir::currentPath(), FileFilter());
  dlgOpen.setDefaultSuffix(QStringLiteral("txt"));
  dlgOpen.setFileMode(QFileDialog::ExistingFile);
  if (dlgOpen.exec() != QDialog::Accepted || dlgOpen.selectedFiles().isEmpty()) return;
  const QString path = dlgOpen.selectedFiles().first();
  if (!LoadFile(path)) {
    QMessageBox::warning(this, ApplicationTitle(),
                         SjisToQString(SJ("ファイルを開けません。")) + "\n" + path);
  }
}

void TfrmMemoDialog::AskSave() {
  QFileDialog dlgSave(this, QString(), QDir::currentPath(), FileFilter());
  dlgSave.setDefaultSuffix(QStringLiteral("txt"));
  dlgSave.setAcceptMode(QFileDialog::AcceptSave);
  if (dlgSave.exec() != QDialog::Accepted || dlgSave.selectedFiles().isEmpty()) return;
  const QString path = dlgSave.selectedFiles().first();
  if (!SaveFile(path)) {
    QMessageBox::warning(this, ApplicationTitle(),
                         SjisToQString(SJ("ファイルに保存できません。")) + "\n" + path);
  }
}

// Closing the window without a button keeps the edited text.
void TfrmMemoDialog::showEvent(QShowEvent* event) {
  cancelled = false;
  Memo->setFocus();
  QDialog::showEvent(event);
}

}  // namespace nura
