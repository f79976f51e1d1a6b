#include "editor/color_manager.h"

#include <QCheckBox>
#include <QColor>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "editor/editor_options.h"
#include "editor/fountain.h"

namespace nura {

TCustomColorManager::TCustomColorManager() {
  palette_ = {clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clSilver, clGray,
              clRed,   clLime,   clYellow, clBlue, clFuchsia, clAqua, clWhite, clNone};
}

int TCustomColorManager::IndexOf(TColor color) const {
  const auto it = std::find(palette_.begin(), palette_.begin() + kNoneIndex, color);
  return it == palette_.begin() + kNoneIndex ? kNoneIndex : static_cast<int>(it - palette_.begin());
}

// ---- grid ----

TColorGrid::TColorGrid(const TCustomColorManager& manager, QWidget* parent) : QWidget(parent), manager_(manager) {
  setObjectName("ColorGrid");
  setMinimumSize(sizeHint());
}

void TColorGrid::SetIndexes(int foreground, int background) {
  foreground_ = foreground;
  background_ = background;
  update();
}

void TColorGrid::paintEvent(QPaintEvent*) {
  QPainter p(this);
  for (int i = 0; i < 16; ++i) {
    const QRect cell((i % 4) * kCell, (i / 4) * kCell, kCell, kCell);
    const QColor colour = ColorToQColor(manager_.Palette()[static_cast<size_t>(i)]);
    p.fillRect(cell, isEnabled() ? colour : colour.lighter(150));
    p.setPen(Qt::gray);
    p.drawRect(cell.adjusted(0, 0, -1, -1));
    const QString tag = i == foreground_ && i == background_ ? "FB" : i == foreground_ ? "FG" : i == background_ ? "BG" : "";
    if (tag.isEmpty()) continue;
    p.setPen(colour.lightness() < 128 ? Qt::white : Qt::black);
    p.drawText(cell, Qt::AlignCenter, tag);
  }
}

void TColorGrid::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const int col = at.x() / kCell, row = at.y() / kCell;
  if (col < 0 || col > 3 || row < 0 || row > 3 || !OnCellClicked) return;
  OnCellClicked(row * 4 + col, event->button() == Qt::RightButton);
}

// ---- manager ----

namespace {

// The "none" panel: left click clNone as foreground, right as background.
class TNonePanel : public QLabel {
 public:
  explicit TNonePanel(std::function<void(bool)> onClick) : QLabel("None"), onClick_(std::move(onClick)) {
    setObjectName("NonePanel");
    setFrameShape(QFrame::Panel);
    setAlignment(Qt::AlignCenter);
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override { onClick_(event->button() == Qt::RightButton); }

 private:
  std::function<void(bool)> onClick_;
};

}  // namespace

TEditorColorManager::TEditorColorManager(QWidget* parent) : QWidget(parent) {
  auto* layout = new QGridLayout(this);
  grid_ = new TColorGrid(*this, this);
  grid_->OnCellClicked = [this](int index, bool right) { ClickCell(index, right); };
  none_ = new TNonePanel([this](bool right) { ClickNone(right); });
  foreLabel_ = new QLabel(this);
  backLabel_ = new QLabel(this);
  bold_ = new QCheckBox("Bold", this);
  underline_ = new QCheckBox("Underline", this);
  italic_ = new QCheckBox("Italic", this);
  bold_->setObjectName("fsBold");
  underline_->setObjectName("fsUnderline");
  italic_->setObjectName("fsItalic");
  layout->addWidget(grid_, 0, 0, 4, 1);
  layout->addWidget(none_, 0, 1);
  layout->addWidget(foreLabel_, 1, 1);
  layout->addWidget(backLabel_, 2, 1);
  auto* styles = new QHBoxLayout;
  for (QCheckBox* box : {bold_, underline_, italic_}) styles->addWidget(box);
  layout->addLayout(styles, 4, 0, 1, 2);
  connect(bold_, &QCheckBox::toggled, this, [this](bool on) { SetStyleBit(fsBold, on); });
  connect(underline_, &QCheckBox::toggled, this, [this](bool on) { SetStyleBit(fsUnderline, on); });
  connect(italic_, &QCheckBox::toggled, this, [this](bool on) { SetStyleBit(fsItalic, on); });
  Show();
}

void TEditorColorManager::EditColor(TFountainColor* color) {
  color_ = color;
  mark_ = nullptr;
  Show();
}

void TEditorColorManager::EditMark(TEditorMark* mark) {
  color_ = nullptr;
  mark_ = mark;
  Show();
}

void TEditorColorManager::Show() {
  showing_ = true;
  const bool any = color_ || mark_;
  grid_->setEnabled(any);
  none_->setEnabled(any);
  for (QCheckBox* box : {bold_, underline_, italic_}) box->setEnabled(color_ != nullptr);
  const auto name = [](TColor c) {
    const auto ident = ColorToIdent(c);
    return ident ? QString::fromLatin1(ident->data(), static_cast<qsizetype>(ident->size())) : QString::number(c);
  };
  if (color_) {
    grid_->SetIndexes(IndexOf(color_->Color()), IndexOf(color_->BkColor()));
    bold_->setChecked(color_->Style() & fsBold);
    underline_->setChecked(color_->Style() & fsUnderline);
    italic_->setChecked(color_->Style() & fsItalic);
    foreLabel_->setText("FG: " + name(color_->Color()));
    backLabel_->setText("BG: " + name(color_->BkColor()));
  } else {
    grid_->SetIndexes(mark_ ? IndexOf(mark_->Color()) : kNoneIndex, kNoneIndex);
    for (QCheckBox* box : {bold_, underline_, italic_}) box->setChecked(false);
    foreLabel_->setText(mark_ ? "FG: " + name(mark_->Color()) : QString());
    backLabel_->setText(QString());
  }
  showing_ = false;
}

void TEditorColorManager::ClickCell(int index, bool right) {
  if (index >= 0 && index < kNoneIndex) Apply(Palette()[static_cast<size_t>(index)], right);
}

void TEditorColorManager::ClickNone(bool right) { Apply(clNone, right); }

void TEditorColorManager::Apply(TColor value, bool right) {
  if (color_) {
    right ? color_->SetBkColor(value) : color_->SetColor(value);
  } else if (mark_ && !right) {
    mark_->SetColor(value);
  } else {
    return;
  }
  Show();
  if (OnColorChanged) OnColorChanged();
}

void TEditorColorManager::SetStyleBit(int bit, bool on) {
  if (showing_ || !color_) return;
  color_->SetStyle(on ? color_->Style() | bit : color_->Style() & ~bit);
  if (OnColorChanged) OnColorChanged();
}

}  // namespace nura
