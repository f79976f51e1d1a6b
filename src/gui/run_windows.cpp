#include "gui/run_windows.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "gui/dialog_forms.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {

// ---- error window ----

TfrmError::TfrmError(bool debugOption, QWidget* mainWindow) {
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
  setWindowTitle(SjisToQString(SJ("実行中にエラーが発生しました。")));
  memMsg = new QPlainTextEdit(this);
  memMsg->setGeometry(8, 8, 498, 110);
  memMsg->setReadOnly(true);
  memMsg->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memMsg->setFont(QFont(SjisToQString(SJ("ＭＳ ゴシック"))));
  QPalette face = memMsg->palette();
  face.setColor(QPalette::Base, face.color(QPalette::Button));
  memMsg->setPalette(face);
  btnOk = new QPushButton(SjisToQString(SJ("実行を続ける(&O)")), this);
  btnDebug = new QPushButton(SjisToQString(SJ("デバッグする(&D)")), this);
  btnDebug->setVisible(debugOption);
  btnCancel = new QPushButton(SjisToQString(SJ("終了(&C)")), this);
  LayOut();
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

// The designed layout (514 x 159, buttons 130 and 100 wide, 25 high),
// widened and heightened where the captions need more in the font in use.
void TfrmError::LayOut() {
  const QSize go = FittedSize(*btnOk, QSize(130, 25)), debug = FittedSize(*btnDebug, QSize(130, 25));
  const QSize end = FittedSize(*btnCancel, QSize(100, 25));
  const int h = std::max({go.height(), debug.height(), end.height()});
  const int width = std::max(514, 8 + go.width() + 8 + debug.width() + 8 + end.width() + 8);
  setFixedSize(width, 126 + h + 8);
  memMsg->setGeometry(8, 8, width - 16, 110);
  btnOk->setGeometry(8, 126, go.width(), h);
  btnDebug->setGeometry(8 + go.width() + 8, 126, debug.width(), h);
  btnCancel->setGeometry(width - 8 - end.width(), 126, end.width(), h);
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
  lblMsg = new QLabel(QStringLiteral("---"), this);
  lblMsg->setTextFormat(Qt::PlainText);
  progBar = new QProgressBar(this);
  progBar->setRange(0, 100);
  progBar->setTextVisible(false);
  btnStop = new QPushButton(SjisToQString(SJ("中止")), this);
  btnStop->setEnabled(false);
  // The designed layout (318 x 47), the label and the button as tall and
  // wide as their texts need in the font in use.
  const int labelHeight = std::max(16, lblMsg->sizeHint().height());
  const QSize stop = FittedSize(*btnStop, QSize(64, 25));
  const int row = 4 + labelHeight + 2;
  const int width = std::max(318, 8 + 230 + 8 + stop.width() + 8);
  lblMsg->setGeometry(8, 4, width - 16, labelHeight);
  progBar->setGeometry(8, row, width - 8 - stop.width() - 16, 18);
  btnStop->setGeometry(width - 8 - stop.width(), row - 4, stop.width(), stop.height());
  setFixedSize(width, std::max(47, row - 4 + stop.height() + 4));
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
