#include "images/dib_format.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "images/graphic_errors.h"
#include "images/le_bytes.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

[[noreturn]] void Malformed() { throw EInvalidGraphic(SJ("ビットマップのヘッダーが壊れています。")); }
[[noreturn]] void Unsupported() { throw EInvalidGraphic(SJ("未対応のビットマップ形式です。")); }

bool SameMasks(const uint32_t (&m)[3], uint32_t r, uint32_t g, uint32_t b) {
  return m[0] == r && m[1] == g && m[2] == b;
}

// The 8-bit value of the field `mask` of a pixel value.
uint8_t FieldValue(uint32_t value, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const uint32_t max = mask >> shift;
  return static_cast<uint8_t>(static_cast<uint64_t>((value & mask) >> shift) * 255 / max);
}

// The bitmap depth that keeps the rows of `dib` as they are; 0 when the
// bit fields need converting.
int KeptDepth(const TDibInfo& dib) {
  switch (dib.bitCount) {
    case 16:
      if (SameMasks(dib.masks, 0x7C00, 0x03E0, 0x001F)) return 15;
      if (SameMasks(dib.masks, 0xF800, 0x07E0, 0x001F)) return 16;
      return 0;
    case 32: return SameMasks(dib.masks, 0xFF0000, 0xFF00, 0xFF) ? 32 : 0;
    default: return dib.bitCount;
  }
}

void ConvertFieldRow(const TDibInfo& dib, const uint8_t* src, uint8_t* dst) {
  const int bytes = dib.bitCount / 8;
  for (int x = 0; x < dib.width; ++x, src += bytes, dst += 3) {
    const uint32_t v = bytes == 2 ? LeU16(src, 0) : LeU32(src, 0);
    dst[0] = FieldValue(v, dib.masks[2]);
    dst[1] = FieldValue(v, dib.masks[1]);
    dst[2] = FieldValue(v, dib.masks[0]);
  }
}

// Run-length encoded rows (8 or 4 bits per pixel), bottom-up: runs of one
// index, and escapes for a line end, the end, a jump and literal pixels.
// Pixels the data leaves out keep index 0; data that runs out ends the
// picture where it stands.
void DecodeRle(const TDibInfo& dib, const uint8_t* bits, size_t size, TBitmap& out) {
  const bool four = dib.compression == kRle4;
  TBitmap result(dib.width, dib.height, dib.bitCount);
  result.Palette() = dib.palette;
  std::memset(result.ScanLine(0), 0, static_cast<size_t>(result.Stride()) * dib.height);
  int x = 0, y = 0;  // y counts from the bottom row
  const auto put = [&](unsigned index) {
    if (x < dib.width) {
      uint8_t* line = result.ScanLine(dib.height - 1 - y);
      if (!four) line[x] = static_cast<uint8_t>(index);
      else line[x / 2] |= static_cast<uint8_t>((x & 1) ? index & 15 : (index & 15) << 4);
      ++x;
    }
  };
  const auto nibble = [](uint8_t v, int k) { return (k & 1) ? v & 15u : v >> 4u; };
  size_t i = 0;
  while (y < dib.height && i + 1 < size) {
    const int count = bits[i], code = bits[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) put(four ? nibble(static_cast<uint8_t>(code), k) : code);
    } else if (code == 0) {
      x = 0, ++y;
    } else if (code == 1) {
      break;
    } else if (code == 2) {
      if (i + 1 >= size) break;
      x = std::min(x + bits[i], dib.width), y += bits[i + 1];
      i += 2;
    } else {
      const size_t bytes = four ? (code + 1) / 2 : code;
      if (bytes > size - i) break;
      for (int k = 0; k < code; ++k) put(four ? nibble(bits[i + k / 2], k) : bits[i + k]);
      i += (bytes + 1) & ~size_t{1};
    }
  }
  out = std::move(result);
}

}  // namespace

void CheckPictureSize(int64_t width, int64_t height) {
  if (width < 1 || height < 1) throw EInvalidGraphic(SJ("画像の大きさが正しくありません。"));
  if (width > kMaxPicturePixels || height > kMaxPicturePixels / width) {
    throw EInvalidGraphic(SJ("画像が大きすぎます。"));
  }
}

TDibInfo ReadDibInfo(const uint8_t* info, size_t infoSize, const TDibOptions& options) {
  if (infoSize < 12) Malformed();
  const uint32_t headerSize = LeU32(info, 0);
  TDibInfo dib;
  int64_t height = 0;
  uint32_t colourCount = 0;
  size_t entrySize = 4;
  if (headerSize == 12) {
    dib.width = LeU16(info, 4);
    height = LeU16(info, 6);
    dib.bitCount = LeU16(info, 10);
    entrySize = 3;
  } else if (headerSize >= 40 && headerSize <= 124) {
    if (infoSize < headerSize) Malformed();
    dib.width = LeI32(info, 4);
    height = LeI32(info, 8);
    dib.bitCount = LeU16(info, 14);
    dib.compression = LeU32(info, 16);
    colourCount = LeU32(info, 32);
  } else {
    Unsupported();
  }
  if (height < 0) {
    if (!options.topDown) throw EInvalidGraphic(SJ("画像の大きさが正しくありません。"));
    height = -height;
    dib.topDown = true;
  }
  if (options.doubledHeight) height /= 2;
  CheckPictureSize(dib.width, height);
  dib.height = static_cast<int32_t>(height);
  const int bc = dib.bitCount;
  if (bc != 1 && bc != 4 && bc != 8 && bc != 16 && bc != 24 && bc != 32) Unsupported();
  size_t tableStart = headerSize;
  if (dib.compression == kBitFields) {
    if (bc != 16 && bc != 32) Unsupported();
    if (headerSize == 40) tableStart += 12;
    if (infoSize < 52) Malformed();
    for (int i = 0; i < 3; ++i) dib.masks[i] = LeU32(info, 40 + 4 * i);
  } else if (dib.compression == kRle8 || dib.compression == kRle4) {
    if (bc != (dib.compression == kRle8 ? 8 : 4) || dib.topDown) Unsupported();
  } else if (dib.compression != kRgb) {
    Unsupported();
  } else if (bc == 16) {
    dib.masks[0] = 0x7C00, dib.masks[1] = 0x03E0, dib.masks[2] = 0x001F;
  } else if (bc == 32) {
    dib.masks[0] = 0xFF0000, dib.masks[1] = 0xFF00, dib.masks[2] = 0xFF;
  }
  if (bc <= 8 && colourCount == 0) colourCount = 1u << bc;
  if (colourCount > 256) throw EInvalidGraphic(SJ("ビットマップのパレットが正しくありません。"));
  dib.tableEnd = tableStart + colourCount * entrySize;
  if (dib.tableEnd > infoSize) Malformed();
  if (bc <= 8) {
    dib.palette.assign(size_t{1} << bc, 0);
    for (uint32_t i = 0; i < colourCount && i < dib.palette.size(); ++i) {
      const uint8_t* e = info + tableStart + i * entrySize;
      dib.palette[i] = e[2] | (e[1] << 8) | (static_cast<uint32_t>(e[0]) << 16);
    }
  }
  dib.rowBytes = static_cast<size_t>((static_cast<int64_t>(dib.width) * bc + 31) / 32 * 4);
  return dib;
}

void DecodeDibBits(const TDibInfo& dib, const uint8_t* bits, size_t bitsSize, TBitmap& out) {
  if (dib.compression == kRle8 || dib.compression == kRle4) return DecodeRle(dib, bits, bitsSize, out);
  if (bitsSize / dib.rowBytes < static_cast<size_t>(dib.height)) {
    throw EInvalidGraphic(SJ("ビットマップのデータが足りません。"));
  }
  const int kept = KeptDepth(dib);
  TBitmap result(dib.width, dib.height, kept ? kept : 24);
  if (kept <= 8 && kept) result.Palette() = dib.palette;
  for (int y = 0; y < dib.height; ++y) {
    const uint8_t* src = bits + dib.rowBytes * static_cast<size_t>(dib.topDown ? y : dib.height - 1 - y);
    if (kept) {
      std::memcpy(result.ScanLine(y), src, std::min<size_t>(dib.rowBytes, result.Stride()));
    } else {
      ConvertFieldRow(dib, src, result.ScanLine(y));
    }
  }
  out = std::move(result);
}

void ReadBmp(const std::string& data, TBitmap& out) {
  const auto* p = reinterpret_cast<const uint8_t*>(data.data());
  if (data.size() < 14 + 12 || p[0] != 'B' || p[1] != 'M') {
    throw EInvalidGraphic(SJ("ビットマップファイルではありません。"));
  }
  const TDibInfo dib = ReadDibInfo(p + 14, data.size() - 14, TDibOptions{});
  size_t offset = LeU32(p, 10);
  // Writers that leave the offset out put the rows right after the table.
  if (offset < 14 + dib.tableEnd) offset = 14 + dib.tableEnd;
  if (offset > data.size()) offset = data.size();
  DecodeDibBits(dib, p + offset, data.size() - offset, out);
}

std::string WriteBmp(const TBitmap& bitmap) {
  if (bitmap.Empty()) throw EInvalidGraphicOperation(SJ("ビットマップが不正です。"));
  const int bpp = bitmap.BitsPerPixel();
  const uint32_t colours = bpp <= 8 ? 1u << bpp : 0;
  const uint32_t masks = bpp == 16 ? 12 : 0;
  const uint32_t offset = 14 + 40 + masks + 4 * colours;
  const uint64_t imageSize = static_cast<uint64_t>(bitmap.Stride()) * bitmap.Height();
  if (offset + imageSize > std::numeric_limits<uint32_t>::max()) {
    throw EInvalidGraphic(SJ("画像が大きすぎます。"));
  }
  TByteWriter out;
  out.U8('B'), out.U8('M'), out.U32(static_cast<uint32_t>(offset + imageSize));
  out.U32(0), out.U32(offset);
  out.U32(40), out.U32(bitmap.Width()), out.U32(bitmap.Height());
  out.U16(1), out.U16(bpp == 15 ? 16 : bpp), out.U32(bpp == 16 ? kBitFields : kRgb);
  out.U32(static_cast<uint32_t>(imageSize)), out.U32(0), out.U32(0), out.U32(0), out.U32(0);
  if (bpp == 16) out.U32(0xF800), out.U32(0x07E0), out.U32(0x001F);
  for (uint32_t i = 0; i < colours; ++i) {
    const uint32_t c = i < bitmap.Palette().size() ? bitmap.Palette()[i] : 0;
    out.U8(c >> 16), out.U8(c >> 8), out.U8(c), out.U8(0);
  }
  out.Data().reserve(offset + imageSize);
  for (int y = bitmap.Height() - 1; y >= 0; --y) out.Bytes(bitmap.ScanLine(y), bitmap.Stride());
  return std::move(out.Data());
}

}  // namespace nura
