#include "platform/gui/bitmap.h"

#include <QPainter>
#include <algorithm>
#include <limits>
#include <stdexcept>

#include "platform/sjis.h"

namespace nura {
namespace {

QImage::Format ViewFormat(int bpp) {
  switch (bpp) {
    case 15: return QImage::Format_RGB555;
    case 16: return QImage::Format_RGB16;
    case 24: return QImage::Format_BGR888;
    case 32: return QImage::Format_RGB32;
    default: return QImage::Format_Invalid;
  }
}

bool ValidBpp(int bpp) {
  return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 15 || bpp == 16 || bpp == 24 || bpp == 32;
}

// Colour of pixel x of a palette scanline.
uint32_t PaletteIndexAt(const uint8_t* line, int x, int bpp) {
  if (bpp == 8) return line[x];
  if (bpp == 4) return (x & 1) ? (line[x / 2] & 0x0F) : (line[x / 2] >> 4);
  return (line[x / 8] >> (7 - (x & 7))) & 1;
}

// Colour 0x00BBGGRR of a 15- to 32-bit pixel at `p`.
uint32_t DirectColourAt(const uint8_t* p, int bpp) {
  if (bpp >= 24) return p[2] | (p[1] << 8) | (static_cast<uint32_t>(p[0]) << 16);
  const unsigned v = p[0] | (p[1] << 8);
  unsigned r, g, b;
  if (bpp == 16) {
    r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
    g = (g << 2) | (g >> 4);
  } else {
    r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
    g = (g << 3) | (g >> 2);
  }
  r = (r << 3) | (r >> 2);
  b = (b << 3) | (b >> 2);
  return r | (g << 8) | (b << 16);
}

void StoreDirectColour(uint8_t* p, int bpp, uint32_t c) {
  const unsigned r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  if (bpp >= 24) {
    p[0] = b, p[1] = g, p[2] = r;
    if (bpp == 32) p[3] = 0;
    return;
  }
  const unsigned v = bpp == 16 ? ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)
                               : ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
  p[0] = v & 0xFF, p[1] = v >> 8;
}

}  // namespace

QColor ColorFromBgr(uint32_t colour) {
  return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

uint32_t BgrFromColor(const QColor& colour) {
  return static_cast<uint32_t>(colour.red()) | (static_cast<uint32_t>(colour.green()) << 8) |
         (static_cast<uint32_t>(colour.blue()) << 16);
}

TBitmap::TBitmap(int width, int height, int bitsPerPixel) { SetSize(width, height, bitsPerPixel); }

void TBitmap::SetSize(int width, int height, int bitsPerPixel) {
  if (width < 0 || height < 0 || !ValidBpp(bitsPerPixel)) {
    throw std::invalid_argument(SJ("ビットマップの大きさか形式が範囲外です。"));
  }
  const int64_t rowBits = static_cast<int64_t>(width) * (bitsPerPixel == 15 ? 16 : bitsPerPixel);
  const int64_t stride = ((rowBits + 31) / 32) * 4;
  if (stride > std::numeric_limits<int>::max() || stride * height > (int64_t{1} << 32)) {
    throw std::invalid_argument(SJ("ビットマップが大きすぎます。"));
  }
  width_ = width;
  height_ = height;
  bpp_ = bitsPerPixel;
  stride_ = static_cast<int>(stride);
  bits_.clear();
  palette_.clear();
  if (bpp_ <= 8) {
    palette_.assign(size_t{1} << bpp_, 0);
    palette_.back() = 0x00FFFFFF;  // index of 0xFF... bytes shows white
  }
}

uint8_t* TBitmap::Bits() const {
  if (bits_.empty()) bits_.assign(static_cast<size_t>(stride_) * height_, 0xFF);
  return bits_.data();
}

QImage TBitmap::View() {
  const QImage::Format format = ViewFormat(bpp_);
  if (format == QImage::Format_Invalid || Empty()) return QImage();
  return QImage(Bits(), width_, height_, stride_, format);
}

QImage TBitmap::ToImage() const {
  if (Empty()) return QImage();
  const QImage::Format format = ViewFormat(bpp_);
  if (format != QImage::Format_Invalid) {
    return QImage(Bits(), width_, height_, stride_, format).convertToFormat(QImage::Format_RGB32);
  }
  QImage out(width_, height_, QImage::Format_RGB32);
  for (int y = 0; y < height_; ++y) {
    auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < width_; ++x) {
      const uint32_t c = PixelColour(x, y);
      dst[x] = qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    }
  }
  return out;
}

void TBitmap::Fill(uint32_t colour) {
  QImage view = View();
  if (!view.isNull()) {
    view.fill(ColorFromBgr(colour));
    return;
  }
  // Palette formats: the nearest entry is not searched; index 0 gets the colour.
  if (!palette_.empty()) palette_[0] = colour;
  std::fill_n(Bits(), static_cast<size_t>(stride_) * height_, 0);
}

void TBitmap::Resize(int width, int height) {
  if (width == width_ && height == height_) return;
  TBitmap old = std::move(*this);
  SetSize(width, height, old.bpp_);
  palette_ = old.palette_;
  transparent_ = old.transparent_;
  transparentColor_ = old.transparentColor_;
  const int rowBits = std::min(width_, old.width_) * (bpp_ == 15 ? 16 : bpp_);
  const int fullBytes = rowBits / 8, restBits = rowBits % 8;
  for (int y = 0; y < std::min(height_, old.height_); ++y) {
    uint8_t* dst = ScanLine(y);
    const uint8_t* src = old.ScanLine(y);
    std::copy(src, src + fullBytes, dst);
    if (restBits) {
      const uint8_t mask = static_cast<uint8_t>(0xFF00 >> restBits);
      dst[fullBytes] = static_cast<uint8_t>((src[fullBytes] & mask) | (dst[fullBytes] & ~mask));
    }
  }
}

uint32_t TBitmap::PixelColour(int x, int y) const {
  const uint8_t* line = ScanLine(y);
  if (bpp_ > 8) return DirectColourAt(line + static_cast<size_t>(x) * ((bpp_ == 15 ? 16 : bpp_) / 8), bpp_);
  const uint32_t index = PaletteIndexAt(line, x, bpp_);
  return index < palette_.size() ? palette_[index] & 0x00FFFFFF : 0;
}

void TBitmap::SetPixelFormat(int bitsPerPixel) {
  if (bitsPerPixel == bpp_) return;
  if (bitsPerPixel != 15 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) {
    throw std::invalid_argument(SJ("ビットマップの形式が範囲外です。"));
  }
  TBitmap out(width_, height_, bitsPerPixel);
  const int outBytes = (bitsPerPixel == 15 ? 16 : bitsPerPixel) / 8;
  const bool wide = bpp_ >= 24 && bitsPerPixel >= 24;  // blue, green, red bytes copied as they are
  const int inBytes = bpp_ / 8;
  for (int y = 0; y < height_; ++y) {
    uint8_t* dst = out.ScanLine(y);
    if (wide) {
      const uint8_t* src = ScanLine(y);
      for (int x = 0; x < width_; ++x, src += inBytes, dst += outBytes) {
        dst[0] = src[0], dst[1] = src[1], dst[2] = src[2];
        if (outBytes == 4) dst[3] = 0;
      }
      continue;
    }
    for (int x = 0; x < width_; ++x) StoreDirectColour(dst + static_cast<size_t>(x) * outBytes, bitsPerPixel, PixelColour(x, y));
  }
  out.transparent_ = transparent_;
  out.transparentColor_ = transparentColor_;
  *this = std::move(out);
}

QImage ConvertToDepth(const QImage& image, int bits) {
  switch (bits) {
    case 1: return image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    case 4: {
      // Sixteen colours: the corners of the colour cube and their halves.
      QList<QRgb> table;
      for (int i = 0; i < 16; ++i) {
        const int level = (i & 8) ? 255 : 128;
        table.push_back(qRgb((i & 4) ? level : 0, (i & 2) ? level : 0, (i & 1) ? level : 0));
      }
      table[8] = qRgb(192, 192, 192);
      return image.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither);
    }
    case 8: return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    case 16: return image.convertToFormat(QImage::Format_RGB16);
    case 24: return image.convertToFormat(QImage::Format_RGB888);
    default: return image.convertToFormat(QImage::Format_RGB32);
  }
}

TBitmap BitmapFromImage(const QImage& image, int depth) {
  const QImage converted = ConvertToDepth(image, depth);
  TBitmap result(converted.width(), converted.height(), depth);
  if (depth > 8) {
    QImage view = result.View();
    if (!view.isNull()) QPainter(&view).drawImage(0, 0, converted);
    return result;
  }
  std::vector<uint32_t>& palette = result.Palette();
  palette.clear();
  for (QRgb rgb : converted.colorTable())
    palette.push_back(static_cast<uint32_t>(qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16)));
  palette.resize(size_t{1} << depth, 0);
  const int mask = (1 << depth) - 1;
  for (int y = 0; y < converted.height(); ++y) {
    uint8_t* line = result.ScanLine(y);
    for (int x = 0; x < converted.width(); ++x) {
      const int shift = 8 - depth - (x * depth) % 8;
      uint8_t& byte = line[x * depth / 8];
      byte = static_cast<uint8_t>((byte & ~(mask << shift)) | ((converted.pixelIndex(x, y) & mask) << shift));
    }
  }
  return result;
}

void PaintOnBitmap(TBitmap& bitmap, const std::function<void(QPainter&)>& paint) {
  if (bitmap.Empty()) return;
  QImage view = bitmap.View();
  if (!view.isNull()) {
    QPainter painter(&view);
    paint(painter);
    return;
  }
  QImage full = bitmap.ToImage();
  {
    QPainter painter(&full);
    paint(painter);
  }
  bitmap = BitmapFromImage(full, bitmap.BitsPerPixel());
}

}  // namespace nura
