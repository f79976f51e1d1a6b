// Small helpers for image tests: bitmaps from pixel lists and back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gui/bitmap.h"

namespace nura::test {

// A 24-bit bitmap of width x height from colours 0x00BBGGRR, row by row.
inline TBitmap MakeBitmap(int width, int height, const std::vector<uint32_t>& colours, int bpp = 24) {
  TBitmap bmp(width, height, 24);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t c = colours[static_cast<size_t>(y) * width + x];
      uint8_t* p = bmp.ScanLine(y) + 3 * x;
      p[0] = c >> 16, p[1] = c >> 8, p[2] = c;
    }
  }
  bmp.SetPixelFormat(bpp);
  return bmp;
}

// A bitmap of one grey level per pixel.
inline TBitmap GreyBitmap(int width, int height, const std::vector<int>& levels) {
  std::vector<uint32_t> colours;
  for (int v : levels) colours.push_back(static_cast<uint32_t>(v) * 0x010101);
  return MakeBitmap(width, height, colours);
}

inline std::vector<uint32_t> Pixels(const TBitmap& bmp) {
  std::vector<uint32_t> out;
  for (int y = 0; y < bmp.Height(); ++y) {
    for (int x = 0; x < bmp.Width(); ++x) out.push_back(bmp.PixelColour(x, y));
  }
  return out;
}

// The little-endian 32-bit value at byte `at` of a file image.
inline uint32_t U32At(const std::string& data, size_t at) {
  return static_cast<uint8_t>(data[at]) | static_cast<uint8_t>(data[at + 1]) << 8 |
         static_cast<uint8_t>(data[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(data[at + 3])) << 24;
}

// The red byte of each pixel.
inline std::vector<int> Reds(const TBitmap& bmp) {
  std::vector<int> out;
  for (uint32_t c : Pixels(bmp)) out.push_back(static_cast<int>(c & 0xFF));
  return out;
}

}  // namespace nura::test
