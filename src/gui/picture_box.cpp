#include "gui/picture_box.h"

#include <QPainter>

#include "platform/native_path.h"

namespace nura {
namespace {

bool ReadWithQt(const std::string& nativePath, TBitmap& bitmap) {
  QImage image;
  if (!image.load(QString::fromStdString(nativePath))) return false;
  bitmap.SetSize(image.width(), image.height(), 32);
  QImage view = bitmap.View();
  QPainter painter(&view);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(0, 0, image.convertToFormat(QImage::Format_ARGB32));
  return true;
}

TPictureReader& Reader() {
  static TPictureReader reader = ReadWithQt;
  return reader;
}

}  // namespace

void SetPictureReader(TPictureReader reader) { Reader() = reader ? reader : ReadWithQt; }

bool ReadPictureFile(const std::string& nativePath, TBitmap& bitmap) {
  return Reader()(nativePath, bitmap);
}

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

bool TPictureBox::LoadPicture(const std::string& path) {
  TBitmap loaded;
  if (!ReadPictureFile(ScriptPathToNative(path), loaded)) return false;
  bitmap_ = std::move(loaded);
  update();
  return true;
}

void TPictureBox::ClearPicture() {
  bitmap_ = TBitmap();
  update();
}

void TPictureBox::FitBitmapToWidget() {
  if (bitmap_.Empty()) bitmap_.SetSize(width(), height(), 24);
  else bitmap_.Resize(width(), height());
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
