#include "images/bitmap_filters.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "images/graphic_errors.h"
#include "platform/sjis.h"

namespace nura {
namespace {

uint8_t Clamp(int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

// n / 100 rounded to the nearest integer, halves to the even neighbour (n >= 0).
int RoundHundredths(int n) {
  int q = n / 100;
  const int r = n % 100;
  if (r > 50 || (r == 50 && (q & 1))) ++q;
  return q;
}

}  // namespace

std::vector<uint8_t*> RowTable(TBitmap& bitmap) {
  if (bitmap.Empty()) throw EInvalidGraphicOperation(SJ("ビットマップが不正です。"));
  std::vector<uint8_t*> rows(bitmap.Height());
  for (int y = 0; y < bitmap.Height(); ++y) rows[y] = bitmap.ScanLine(y);
  return rows;
}

void ApplyLookupTable(TBitmap& bitmap, const TLookupTable& table) {
  bitmap.SetPixelFormat(24);
  const size_t bytes = static_cast<size_t>(bitmap.Width()) * 3;
  for (int y = 0; y < bitmap.Height(); ++y) {
    uint8_t* p = bitmap.ScanLine(y);
    for (size_t i = 0; i < bytes; ++i) p[i] = table[p[i]];
  }
}

void Negative(TBitmap& bitmap) {
  TLookupTable table;
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(255 - i);
  ApplyLookupTable(bitmap, table);
}

void GreyScale(TBitmap& bitmap) {
  bitmap.SetPixelFormat(24);
  for (int y = 0; y < bitmap.Height(); ++y) {
    uint8_t* p = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x, p += 3) {
      const uint8_t g = Clamp(RoundHundredths(p[2] * 30 + p[1] * 59 + p[0] * 11));
      p[0] = p[1] = p[2] = g;
    }
  }
}

void Brightness(TBitmap& bitmap, int offset) {
  if (offset == 0 || offset < -255 || offset > 255) {
    bitmap.SetPixelFormat(24);
    return;
  }
  TLookupTable table;
  for (int i = 0; i < 256; ++i) table[i] = Clamp(i + offset);
  ApplyLookupTable(bitmap, table);
}

void FlipHorizontal(TBitmap& bitmap) {
  bitmap.SetPixelFormat(24);
  const int w = bitmap.Width();
  for (int y = 0; y < bitmap.Height(); ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int j = 0; j < w / 2; ++j) std::swap_ranges(row + 3 * j, row + 3 * j + 3, row + 3 * (w - 1 - j));
  }
}

void FlipVertical(TBitmap& bitmap) {
  bitmap.SetPixelFormat(24);
  const int h = bitmap.Height();
  const size_t bytes = static_cast<size_t>(bitmap.Width()) * 3;
  std::vector<uint8_t> buffer(bytes);
  if (bytes == 0) return;
  for (int i = 0; i < h / 2; ++i) {
    uint8_t* top = bitmap.ScanLine(i);
    uint8_t* bottom = bitmap.ScanLine(h - 1 - i);
    std::memcpy(buffer.data(), top, bytes);
    std::memcpy(top, bottom, bytes);
    std::memcpy(bottom, buffer.data(), bytes);
  }
}

void Rotate90(TBitmap& bitmap, bool clockwise) {
  if (bitmap.Empty()) throw EInvalidGraphicOperation(SJ("ビットマップが不正です。"));
  bitmap.SetPixelFormat(24);
  const int w = bitmap.Width(), h = bitmap.Height();
  TBitmap out(h, w, 24);
  const std::vector<uint8_t*> dst = RowTable(out);
  for (int r = 0; r < h; ++r) {
    const uint8_t* src = bitmap.ScanLine(r);
    for (int c = 0; c < w; ++c) {
      const uint8_t* s = src + 3 * (clockwise ? c : w - 1 - c);
      uint8_t* d = dst[c] + 3 * (clockwise ? h - 1 - r : r);
      d[0] = s[0], d[1] = s[1], d[2] = s[2];
    }
  }
  bitmap = std::move(out);
}

void Solarize(TBitmap& bitmap) {
  TLookupTable table;
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(i <= 127 ? i : 255 - i);
  ApplyLookupTable(bitmap, table);
}

void Gamma(TBitmap& bitmap, double g) {
  if (!(g >= 0.75 && g <= 3) || g == 2.2) {
    bitmap.SetPixelFormat(24);
    return;
  }
  TLookupTable table;
  for (int i = 0; i < 256; ++i) {
    const double v = std::nearbyint(255 * std::pow(i / 255.0, g / 2.2));
    table[i] = Clamp(static_cast<int>(v));
  }
  ApplyLookupTable(bitmap, table);
}

}  // namespace nura
