#include "gui/picture_box.h"

#include <QPainter>


namespace nura {
TPictureBox::TPictureBox(QWidget* parent, int width, int height)
    : QWidget(parent), bitmap_(width, height, 24) {
  setGeometry(0, 0, width, height);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPictureBox::SetStretch(bool on) {
  stretch_ = on;
  update();
}

void TPictureBox::SetTransparent(bool on) {
  transparent_ = on;
  setAttribute(Qt::WA_OpaquePaintEvent, !on);
  update();
}

void TPictureBox::ShowPicture(TBitmap picture) {
  bitmap_ = std::move(picture);
  resize(bitmap_.Width(), bitmap_.Height());
  update();
}

void TPictureBox::ClearPicture() {
  bitmap_ = TBitmap();
  update();
}

void TPictureBox::FillBitmap(int32_t colour) {
  bitmap_.Fill(static_cast<uint32_t>(colour));
  update();
}

void TPictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!transparent_) painter.fillRect(rect(), palette().color(QPalette::Window));
  if (bitmap_.Empty()) return;
  QImage view = bitmap_.View();
  QImage shown = view.isNull() ? bitmap_.ToImage() : view;
  if (transparent_) {
    shown = shown.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = shown.pixel(0, shown.height() - 1);
    shown.setAlphaChannel(shown.createMaskFromColor(key, Qt::MaskOutColor));
  }
  if (stretch_) painter.drawImage(rect(), shown);
  else painter.drawImage(0, 0, shown);
}

}  // namespace nura
