#include "gui/run_windows.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include "gui/dialog_forms.h"
#include "platform/sjis.h"

namespace nura {

// ---- error window ----

TfrmError::TfrmError(bool debugOption, QWidget* mainWindow) {
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
  setWindowTitle(SjisToQString(SJ("実行中にエラーが発生しました。")));
  setFixedSize(514, 159);
  memMsg = new QPlainTextEdit(this);
  memMsg->setGeometry(8, 8, 498, 110);
  memMsg->setReadOnly(true);
  memMsg->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memMsg->setFont(QFont(SjisToQString(SJ("ＭＳ ゴシック"))));
  QPalette face = memMsg->palette();
  face.setColor(QPalette::Base, face.color(QPalette::Button));
  memMsg->setPalette(face);
  btnOk = new QPushButton(SjisToQString(SJ("実行を続ける(&O)")), this);
  btnOk->setGeometry(8, 126, 130, 25);
  btnDebug = new QPushButton(SjisToQString(SJ("デバッグする(&D)")), this);
  btnDebug->setGeometry(146, 126, 130, 25);
  btnDebug->setVisible(debugOption);
  btnCancel = new QPushButton(SjisToQString(SJ("終了(&C)")), this);
  btnCancel->setGeometry(514 - 8 - 100, 126, 100, 25);
  btnOk->setDefault(true);
  connect(btnOk, &QPushButton::clicked, this, [this] {
    continueRun = true;
    accept();
  });
  connect(btnDebug, &QPushButton::clicked, this, [this] {
    continueRun = true;
    debug = true;
    accept();
  });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  if (mainWindow) {
    const QRect over = mainWindow->frameGeometry();
    move(over.x() + (over.width() - width()) / 2, over.y() + (over.height() - height()) / 2);
  } else {
    CenterOnScreen(this);
  }
}

// Both flags start cleared: closing the window any other way ends the program.
void TfrmError::showEvent(QShowEvent* event) {
  continueRun = false;
  debug = false;
  QDialog::showEvent(event);
}

// ---- progress window ----

TfrmProg::TfrmProg() {
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
  setWindowTitle(SjisToQString(SJ("進行度表示")));
  setFixedSize(318, 47);
  lblMsg = new QLabel(QStringLiteral("---"), this);
  lblMsg->setTextFormat(Qt::PlainText);
  lblMsg->setGeometry(8, 4, 302, 16);
  progBar = new QProgressBar(this);
  progBar->setRange(0, 100);
  progBar->setTextVisible(false);
  progBar->setGeometry(8, 22, 230, 18);
  btnStop = new QPushButton(SjisToQString(SJ("中止")), this);
  btnStop->setGeometry(246, 18, 64, 25);
  btnStop->setEnabled(false);
  connect(btnStop, &QPushButton::clicked, this, [this] {
    if (onStop) onStop();
  });
  CenterOnScreen(this);
}

void TfrmProg::showEvent(QShowEvent* event) {
  btnStop->setEnabled(static_cast<bool>(onStop));
  QDialog::showEvent(event);
}

}  // namespace nura
