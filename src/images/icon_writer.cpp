#include "images/icon_writer.h"

#include <algorithm>
#include <map>
#include <vector>

#include "engine/errors.h"
#include "images/graphic_errors.h"
#include "images/le_bytes.h"
#include "platform/file_io.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr uint32_t kBlack = 0;

// The colour image reduced to 8 bits: its own colours when there are at
// most 256 of them, else the nearest of a 6 x 6 x 6 colour cube.
struct TIndexedImage {
  std::vector<uint32_t> palette;  // 0x00BBGGRR, 256 entries
  std::vector<uint8_t> rows;      // bottom-up, padded to four bytes
};

uint8_t CubeIndex(uint32_t c) {
  const auto level = [](uint32_t v) { return (v + 25) / 51; };
  return static_cast<uint8_t>(level(c & 0xFF) * 36 + level((c >> 8) & 0xFF) * 6 + level((c >> 16) & 0xFF));
}

TIndexedImage ReduceTo8Bits(const TBitmap& bitmap) {
  const int w = bitmap.Width(), h = bitmap.Height();
  std::map<uint32_t, uint8_t> colours;
  for (int y = 0; y < h && colours.size() <= 256; ++y) {
    for (int x = 0; x < w && colours.size() <= 256; ++x) colours.emplace(bitmap.PixelColour(x, y), 0);
  }
  TIndexedImage out;
  out.palette.assign(256, 0);
  const bool exact = colours.size() <= 256;
  if (exact) {
    int i = 0;
    for (auto& [colour, index] : colours) out.palette[i] = colour, index = static_cast<uint8_t>(i++);
  } else {
    for (int i = 0; i < 216; ++i) out.palette[i] = (i / 36) * 51 | ((i / 6 % 6) * 51) << 8 | ((i % 6) * 51) << 16;
  }
  const size_t stride = (static_cast<size_t>(w) + 3) / 4 * 4;
  out.rows.assign(stride * h, 0);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = out.rows.data() + stride * (h - 1 - y);
    for (int x = 0; x < w; ++x) {
      const uint32_t c = bitmap.PixelColour(x, y);
      row[x] = exact ? colours[c] : CubeIndex(c);
    }
  }
  return out;
}

// The mask's 1-bit rows, bottom-up (a set bit is white: transparent).
std::vector<uint8_t> MaskRows(const TBitmap& mask) {
  const int w = mask.Width(), h = mask.Height();
  const size_t stride = (static_cast<size_t>(w) + 31) / 32 * 4;
  std::vector<uint8_t> rows(stride * h, 0);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = rows.data() + stride * (h - 1 - y);
    for (int x = 0; x < w; ++x) {
      if (mask.PixelColour(x, y) != kBlack) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
  }
  return rows;
}

std::string IconFileBytes(const TIcon& icon, bool standardEntry) {
  const TBitmap& colour = icon.colour;
  if (colour.Empty() || icon.mask.Width() != colour.Width() || icon.mask.Height() != colour.Height()) {
    throw EInvalidGraphic("Bitmap image is not valid");
  }
  const int w = colour.Width(), h = colour.Height();
  const TIndexedImage image = ReduceTo8Bits(colour);
  const std::vector<uint8_t> mask = MaskRows(icon.mask);
  const uint32_t headerSize = 40 + 4 * 256;
  const uint32_t colourBits = static_cast<uint32_t>(image.rows.size());
  TByteWriter out;
  out.U16(0), out.U16(1), out.U16(1);  // reserved, icon, one image
  out.U8(w), out.U8(h);
  if (standardEntry) {
    out.U16(0), out.U16(1), out.U16(8);  // colour count 0 and reserved, planes, bit count
  } else {
    out.U16(1 * 8), out.U16(0), out.U16(0);  // planes x bit count in the colour count field
  }
  out.U32(headerSize + colourBits + static_cast<uint32_t>(mask.size()));
  out.U32(22);
  out.U32(40), out.U32(w), out.U32(2 * h);  // header size, width, doubled height
  out.U16(1), out.U16(8), out.U32(0);       // planes, bit count, no compression
  out.U32(colourBits), out.U32(0), out.U32(0), out.U32(0), out.U32(0);
  for (uint32_t c : image.palette) out.U8(c >> 16), out.U8(c >> 8), out.U8(c), out.U8(0);
  out.Bytes(image.rows);
  out.Bytes(mask);
  return out.Data();
}

void WriteIconFile(const TIcon& icon, const std::string& fileName, bool standardEntry) {
  if (!WriteFileAtomically(fileName, IconFileBytes(icon, standardEntry))) {
    throw ERuntimeError(Utf8ToSjis("Cannot create file " + fileName));
  }
}

}  // namespace

TIcon TjvIcon::BitmapToIcon(const TBitmap& bitmap) {
  TIcon icon{TBitmap(kIconSize, kIconSize, 24), TBitmap(kIconSize, kIconSize, 1)};
  TBitmap& b = icon.colour;
  const int w = std::min(bitmap.Width(), kIconSize), h = std::min(bitmap.Height(), kIconSize);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = b.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      const uint32_t c = bitmap.PixelColour(x, y);
      row[3 * x] = c >> 16, row[3 * x + 1] = c >> 8, row[3 * x + 2] = c;
    }
  }
  // Pixels of the bottom-left colour become black and transparent; other
  // black pixels stay black and opaque.
  const uint32_t transparent = b.PixelColour(0, kIconSize - 1);
  icon.mask.Palette() = {0x00000000, 0x00FFFFFF};
  for (int y = 0; y < kIconSize; ++y) {
    uint8_t* row = b.ScanLine(y);
    uint8_t* maskRow = icon.mask.ScanLine(y);
    std::fill_n(maskRow, icon.mask.Stride(), 0);
    for (int x = 0; x < kIconSize; ++x) {
      if (b.PixelColour(x, y) != transparent) continue;
      row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = 0;
      maskRow[x / 8] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
  }
  return icon;
}

void TjvIcon::WriteIcon(const TIcon& icon, const std::string& fileName) { WriteIconFile(icon, fileName, false); }

void TjvIcon::SaveBitmapAsIcon(const TBitmap& bitmap, const std::string& fileName) {
  WriteIcon(BitmapToIcon(bitmap), fileName);
}

std::string TjvIcon::IconBytes(const TBitmap& bitmap, bool standardEntry) {
  return IconFileBytes(BitmapToIcon(bitmap), standardEntry);
}

void TjvIcon::SaveBitmapAsIconStandard(const TBitmap& bitmap, const std::string& fileName) {
  WriteIconFile(BitmapToIcon(bitmap), fileName, true);
}

}  // namespace nura
