// A device-independent bitmap: scanlines top-down, each padded to four
// bytes, pixels of 1, 4, 8, 15, 16, 24 or 32 bits; scanline bytes are blue,
// green, red. Drawing goes through QPainter on a QImage view of the same
// memory for the 15- to 32-bit formats.
#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <vector>

class QPainter;

namespace nura {

class TBitmap {
 public:
  TBitmap() = default;
  TBitmap(int width, int height, int bitsPerPixel = 24);

  // Changes the size and format; the content becomes white.
  void SetSize(int width, int height, int bitsPerPixel = 24);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitsPerPixel() const { return bpp_; }
  int Stride() const { return stride_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }

  uint8_t* ScanLine(int y) { return Bits() + static_cast<size_t>(y) * stride_; }
  const uint8_t* ScanLine(int y) const { return Bits() + static_cast<size_t>(y) * stride_; }

  // Palette of the 1-, 4- and 8-bit formats, colours as 0x00BBGGRR.
  std::vector<uint32_t>& Palette() { return palette_; }
  const std::vector<uint32_t>& Palette() const { return palette_; }

  // A QImage sharing this bitmap's memory (15- to 32-bit formats); a null
  // image for the palette formats. Valid until the size or format changes.
  QImage View();
  // A copy as a 32-bit QImage, for showing on screen (any format).
  QImage ToImage() const;

  // Fills with a colour 0x00BBGGRR.
  void Fill(uint32_t colour);

  // Changes the size keeping the format, the palette and the overlapping
  // pixels; new area is white.
  void Resize(int width, int height);

  // Transparent drawing with a key colour (0x00BBGGRR, or a palette index
  // with bit 24 set).
  bool Transparent() const { return transparent_; }
  uint32_t TransparentColor() const { return transparentColor_; }
  void SetTransparent(bool on) { transparent_ = on; }
  void SetTransparentColor(uint32_t colour) { transparentColor_ = colour; }

  // Colour 0x00BBGGRR of pixel (x, y), which must lie inside.
  uint32_t PixelColour(int x, int y) const;
  // Changes the format to 15, 16, 24 or 32 bits keeping the picture; the
  // palette is released. Nothing happens when the format is already that.
  void SetPixelFormat(int bitsPerPixel);

 private:
  // The pixels, made white when first reached: a picture that is never
  // drawn on or shown (the main window's in console mode) takes no memory.
  uint8_t* Bits() const;

  int width_ = 0;
  int height_ = 0;
  int bpp_ = 24;
  int stride_ = 0;
  mutable std::vector<uint8_t> bits_;
  std::vector<uint32_t> palette_;
  bool transparent_ = false;
  uint32_t transparentColor_ = 0;
};

// `image` converted to a depth of 1, 4, 8, 16, 24 or 32 bits per pixel.
QImage ConvertToDepth(const QImage& image, int bits);
// A bitmap of `depth` (1, 4, 8, 16, 24 or 32) bits per pixel showing `image`.
TBitmap BitmapFromImage(const QImage& image, int depth);

// Paints on the bitmap with QPainter; palette formats are painted on a
// copy and converted back to their depth.
void PaintOnBitmap(TBitmap& bitmap, const std::function<void(QPainter&)>& paint);

// 0x00BBGGRR <-> QColor.
QColor ColorFromBgr(uint32_t colour);
uint32_t BgrFromColor(const QColor& colour);

}  // namespace nura
