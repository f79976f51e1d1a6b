#include "gui/picture_box.h"

#include <QPainter>

#include "gui/fonts.h"

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

// ---- canvas ----

TBitmap& TPictureBox::CanvasBitmap() {
  if (bitmap_.Empty() && width() > 0 && height() > 0) {
    bitmap_.SetSize(width(), height(), 24);
    bitmap_.Fill(0xFFFFFF);
  }
  return bitmap_;
}

void TPictureBox::Draw(const std::function<void(QPainter&)>& paint) {
  PaintOnBitmap(CanvasBitmap(), [&](QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(ColorFromBgr(static_cast<uint32_t>(tools_.penColour)));
    pen.setWidth(std::max(1, tools_.penWidth));
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    if (tools_.brushClear) painter.setBrush(Qt::NoBrush);
    else painter.setBrush(ColorFromBgr(static_cast<uint32_t>(tools_.brushColour)));
    painter.setFont(tools_.font);
    paint(painter);
  });
  update();
}

bool TPictureBox::PixelAt(int x, int y, int32_t& colour) {
  const TBitmap& picture = CanvasBitmap();
  if (x < 0 || y < 0 || x >= picture.Width() || y >= picture.Height()) return false;
  colour = static_cast<int32_t>(picture.PixelColour(x, y));
  return true;
}

void TPictureBox::SetPixel(int x, int y, int32_t colour) {
  TBitmap& picture = CanvasBitmap();
  if (x < 0 || y < 0 || x >= picture.Width() || y >= picture.Height()) return;
  PaintOnBitmap(picture, [&](QPainter& p) {
    p.setPen(ColorFromBgr(static_cast<uint32_t>(colour)));
    p.drawPoint(x, y);
  });
  update();
}

void TPictureBox::ApplyPenAndBrush(int32_t penColour, int penWidth, int32_t brushColour) {
  tools_.penColour = penColour;
  tools_.penWidth = penWidth;
  tools_.brushColour = brushColour;
  tools_.brushClear = false;
  CanvasBitmap().SetPixelFormat(24);
}

void TPictureBox::ApplyFontSettings(int32_t colour, int size, const std::string& name, int style) {
  tools_.font = ScriptFont(name, size, style);
  tools_.fontColour = colour;
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

QRect ShapeRect(int x1, int y1, int x2, int y2) {
  return QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1));
}

}  // namespace nura
