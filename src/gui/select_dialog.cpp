// The list-choice dialog and the button-choice dialog.
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "gui/dialog_forms.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr int kListHeight = 150;

int Round(double value) { return static_cast<int>(std::lround(value)); }

// The first Shift-JIS byte of a text; 0 for an empty one.
char FirstByte(const QString& text) {
  const std::string sjis = QStringToSjis(text);
  return sjis.empty() ? '\0' : sjis[0];
}

}  // namespace

// ---- list choice ----

TfrmSelectDialog::TfrmSelectDialog() {
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
  const QFont gothic(SjisToQString(SJ("ＭＳ ゴシック")));
  Label1 = new QLabel(this);
  Label1->setTextFormat(Qt::PlainText);
  Label1->move(12, 12);
  ListBox = new QListWidget(this);
  ListBox->setFont(gothic);
  ListBox->installEventFilter(this);
  EditResult = new QLineEdit(this);
  EditResult->setFont(gothic);
  EditResult->installEventFilter(this);
  panel = new QWidget(this);
  btnOk = new QPushButton(QStringLiteral("&OK"), panel);
  btnCancel = new QPushButton(SjisToQString(SJ("キャンセル(&C)")), panel);
  btnOk->setAutoDefault(false);
  btnCancel->setAutoDefault(false);
  connect(btnOk, &QPushButton::clicked, this, [this] { Confirm(); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { Cancel(); });
  connect(ListBox, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { EditResult->setText(item->text()); });
  connect(ListBox, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    EditResult->setText(item->text());
    Confirm();
  });
}

QString TfrmSelectDialog::Answer() const { return EditResult->text(); }

void TfrmSelectDialog::Confirm() {
  cancelled = false;
  accept();
}

void TfrmSelectDialog::Cancel() {
  EditResult->clear();
  cancelled = true;
  reject();
}

// Keys in the list: Enter confirms (taking the selected item first),
// Escape cancels, a character selects the first item that begins with
// its byte, or none; arrows and other keys move as usual.
bool TfrmSelectDialog::ListKey(QKeyEvent* key) {
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (QListWidgetItem* item = ListBox->currentItem(); item && item->isSelected()) {
        EditResult->setText(item->text());
      }
      Confirm();
      return true;
    case Qt::Key_Escape:
      Cancel();
      return true;
    default:
      break;
  }
  const QString typed = key->text();
  if (typed.isEmpty() || !typed[0].isPrint() || (key->modifiers() & Qt::ControlModifier)) {
    return false;
  }
  const char byte = FirstByte(typed);
  ListBox->clearSelection();
  ListBox->setCurrentRow(-1);
  for (int i = 0; i < ListBox->count(); ++i) {
    if (FirstByte(ListBox->item(i)->text()) == byte) {
      ListBox->setCurrentRow(i);
      break;
    }
  }
  return true;
}

bool TfrmSelectDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (watched == ListBox) return ListKey(key);
  if (watched == EditResult) {
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      Confirm();
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      Cancel();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmSelectDialog::LayOut() {
  setWindowTitle(ApplicationTitle());
  LayOutButtonPair(*panel, *btnOk, *btnCancel);
  Label1->adjustSize();
  const int t = Label1->y();
  const int l = Label1->x();
  const int width = std::max({Label1->width() + 2 * l, 280, panel->width() + 2 * l});
  ListBox->setGeometry(l, Label1->height() + 2 * t, width - 2 * l, kListHeight);
  EditResult->setGeometry(l, ListBox->y() + ListBox->height() + t, width - 2 * l,
                          EditResult->sizeHint().height());
  panel->move((width - panel->width()) / 2, EditResult->y() + EditResult->height() + t);
  setFixedSize(width, panel->y() + panel->height() + t);
  CenterOnScreen(this);
}

// Closing the window without OK counts as cancelled.
void TfrmSelectDialog::showEvent(QShowEvent* event) {
  cancelled = true;
  LayOut();
  ListBox->setFocus();
  QDialog::showEvent(event);
}

// ---- button choice ----

TfrmSelectButton::TfrmSelectButton() {
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
  Label1 = new QLabel(this);
  Label1->setTextFormat(Qt::PlainText);
  Label1->move(8, 8);
}

bool TfrmSelectButton::SetupChoices(const QString& message, const QString& choices,
                                    int mainWidth) {
  for (QPushButton* button : buttons_) delete button;
  buttons_.clear();
  result.clear();
  setWindowTitle(ApplicationTitle());
  Label1->setText(message);
  Label1->adjustSize();
  QStringList lines = choices.trimmed().split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
  if (choices.trimmed().isEmpty()) lines.clear();
  if (lines.size() > kMaxButtons) return false;

  for (const QString& caption : lines) {
    auto* button = new QPushButton(caption, this);
    button->setFont(Label1->font());
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, caption] {
      result = caption;
      cancelled = false;
      accept();
    });
    buttons_.push_back(button);
  }
  // The designed sizes, widened to what a caption needs in the font in use.
  const QFontMetrics metrics(Label1->font());
  const int step = Round(2.0 * metrics.height());
  QSize needed(0, Round(0.8 * step));
  int widest = 30;
  for (size_t i = 0; i < buttons_.size(); ++i) {
    widest = std::max(widest, metrics.horizontalAdvance(lines[static_cast<qsizetype>(i)]));
    needed = needed.expandedTo(FittedSize(*buttons_[i], QSize()));
  }
  const int b = std::max(Round(1.3 * widest), needed.width());
  const int buttonHeight = needed.height();
  const int n = static_cast<int>(lines.size());
  const int labelLeft = Label1->x(), labelTop = Label1->y();
  const int labelWidth = Label1->width(), labelHeight = Label1->height();
  const int rowStep = std::max(step, buttonHeight + 4);

  int width = labelWidth < b ? b + 16 : labelWidth + 16;
  const int margin = labelWidth < b ? 8 : (width - b) / 2;
  int height;
  const bool sideBySide = 0.8 * mainWidth > 1.1 * (n * b);
  if (sideBySide) {
    width = n == 1 ? b + 16 : Round(1.1 * n * b + 16);
    width = std::max(width, labelLeft + labelWidth + 8);
    height = rowStep + 2 * labelTop + labelHeight;
  } else {
    height = n * rowStep + labelHeight + 2 * labelTop;
  }
  for (int i = 0; i < n; ++i) {
    QPushButton* button = buttons_[static_cast<size_t>(i)];
    if (sideBySide) {
      button->setGeometry(Round(1.1 * i * b + 8), 2 * labelTop + labelHeight, b, buttonHeight);
    } else {
      button->setGeometry(margin, labelHeight + 2 * labelTop + i * rowStep, b, buttonHeight);
    }
    button->show();
  }
  setFixedSize(width, height);
  CenterOnScreen(this);
  return true;
}

void TfrmSelectButton::showEvent(QShowEvent* event) {
  cancelled = true;
  CenterOnScreen(this);
  QDialog::showEvent(event);
}

}  // namespace nura
