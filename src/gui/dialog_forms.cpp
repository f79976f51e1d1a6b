#include "gui/dialog_forms.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "gui/fonts.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {

// ---- shared helpers ----

QString ApplicationTitle() {
  const QString title = QGuiApplication::applicationDisplayName();
  return title.isEmpty() ? SjisToQString(SJ("ぬらせら")) : title;
}

void CenterOnScreen(QWidget* form) {
  const QScreen* screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->geometry();
  form->move(area.x() + (area.width() - form->width()) / 2,
             area.y() + (area.height() - form->height()) / 2);
}

QFont DialogFont(const TDialogStyle& style, const QFont& base) {
  QFont font = base;
  if (!style.fontName.empty()) font.setFamily(SjisToQString(style.fontName));
  if (style.fontSize > 0) font.setPointSize(ClampFontSize(style.fontSize));
  SetFontStyle(font, style.fontStyle);
  return font;
}

Qt::InputMethodHints ImeHints(TImeMode mode) {
  return mode == TImeMode::Closed ? Qt::ImhPreferLatin : Qt::ImhNone;
}

// The caption (and its icon) with 8 pixels on each side, the frame
// included, and the font's height with 4 above and below.
QSize FittedSize(const QPushButton& button, QSize minimum) {
  const QFontMetrics metrics(button.font());
  QString caption = button.text();
  caption.remove(QRegularExpression(QStringLiteral("&(?!&)")));
  const int icon = button.icon().isNull() ? 0 : button.iconSize().width() + 4;
  return minimum.expandedTo(QSize(metrics.horizontalAdvance(caption) + icon + 16, metrics.height() + 8));
}

void LayOutButtonPair(QWidget& panel, QPushButton& ok, QPushButton& cancel) {
  const QSize designed(75, 25);
  const QSize size = FittedSize(ok, designed).expandedTo(FittedSize(cancel, designed));
  ok.setGeometry(4, 4, size.width(), size.height());
  cancel.setGeometry(size.width() + 20, 4, size.width(), size.height());
  panel.resize(2 * size.width() + 24, size.height() + 8);
}

namespace {

QPushButton* MakeButton(const char* utf8Caption, QWidget* parent) {
  auto* button = new QPushButton(SjisToQString(SJ(utf8Caption)), parent);
  button->resize(FittedSize(*button, QSize(75, 25)));
  return button;
}

QLabel* MakeLabel(QWidget* parent, int left, int top) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->move(left, top);
  return label;
}

// A fixed client size: the dialog's frame does not resize.
void SetClientSize(QDialog* form, int width, int height) { form->setFixedSize(width, height); }

int Round(double value) { return static_cast<int>(std::lround(value)); }

}  // namespace

// ---- message box ----

TfrmMsgBox::TfrmMsgBox() {
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
  lblMsg = MakeLabel(this, 16, 16);
  btnOk = MakeButton("&OK", this);
  btnOk->setDefault(true);
  connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
  const QScreen* screen = QGuiApplication::primaryScreen();
  maxHeight_ = Round(0.7 * (screen ? screen->geometry().height() : 768));
}

void TfrmMsgBox::SetMessage(const QString& text) {
  QString normal = text;
  normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\r', '\n');
  const QStringList lines = normal.split('\n');
  const int lineHeight = Round(1.2 * QFontMetrics(lblMsg->font()).height());
  if (lineHeight > 0 && static_cast<long long>(lines.size()) * lineHeight > maxHeight_) {
    QString cut;
    const int keep = maxHeight_ / lineHeight;
    for (int i = 0; i < keep; ++i) cut += lines[i] + '\n';
    normal = cut + QStringLiteral("...");
  }
  lblMsg->setText(normal);
  lblMsg->adjustSize();
}

void TfrmMsgBox::LayOut() {
  lblMsg->adjustSize();
  const int m = lblMsg->y();
  int buttonTop = lblMsg->y() + lblMsg->height() + m;
  if (buttonTop > maxHeight_ || buttonTop < 0) buttonTop = maxHeight_;
  const int width = std::max(lblMsg->width() + 2 * lblMsg->x(), 100);
  SetClientSize(this, width, buttonTop + btnOk->height() + m);
  btnOk->move((width - btnOk->width()) / 2, buttonTop);
  CenterOnScreen(this);
}

void TfrmMsgBox::showEvent(QShowEvent* event) {
  LayOut();
  btnOk->setFocus();
  QDialog::showEvent(event);
}

void TfrmMsgBox::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

// ---- input box ----

TfrmInputBox::TfrmInputBox() {
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  lblMsg = MakeLabel(this, 12, 12);
  edtInput = new QLineEdit(this);
  edtInput->setFont(QFont(SjisToQString(SJ("ＭＳ ゴシック"))));
  panel = new QWidget(this);
  btnOk = MakeButton("&OK", panel);
  btnCancel = MakeButton("キャンセル(&C)", panel);
  btnOk->setDefault(true);
  connect(btnOk, &QPushButton::clicked, this, [this] {
    answer = edtInput->text();
    cancelled = false;
    accept();
  });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmInputBox::LayOut() {
  setWindowTitle(ApplicationTitle());
  LayOutButtonPair(*panel, *btnOk, *btnCancel);
  lblMsg->adjustSize();
  const int m = lblMsg->y();
  const int left = lblMsg->x();
  const int width = std::max({lblMsg->width() + 2 * left, 300, panel->width() + 2 * left});
  edtInput->setGeometry(left, lblMsg->y() + lblMsg->height() + m, width - 2 * left,
                        edtInput->sizeHint().height());
  panel->move((width - panel->width()) / 2, edtInput->y() + edtInput->height() + m);
  SetClientSize(this, width, panel->y() + panel->height() + m);
  CenterOnScreen(this);
}

// Every show starts cancelled with no answer: only OK (or Enter) answers.
void TfrmInputBox::showEvent(QShowEvent* event) {
  answer.clear();
  cancelled = true;
  LayOut();
  edtInput->setFocus();
  QDialog::showEvent(event);
}

}  // namespace nura
