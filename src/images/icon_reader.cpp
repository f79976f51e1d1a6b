#include "images/icon_reader.h"

#include <cstring>

#include "images/dib_format.h"
#include "images/graphic_errors.h"
#include "images/le_bytes.h"
#include "images/png_reader.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr size_t kHeader = 6, kEntry = 16;

// The largest side of an icon image read from a DIB: the directory's
// limit of 256 with room for files that state more there.
constexpr int kMaxIconSide = 1024;

[[noreturn]] void Damaged() { throw EInvalidGraphic(SJ("アイコンファイルの形式が正しくありません。")); }

// Mixes a colour byte with white: `clear` 0 keeps it, 255 gives white.
uint8_t OverWhite(uint8_t v, unsigned clear) { return static_cast<uint8_t>((v * (255 - clear) + 255 * clear) / 255); }

void BlendOverWhite(TBitmap& picture, const TBitmap& transparency) {
  for (int y = 0; y < picture.Height(); ++y) {
    uint8_t* p = picture.ScanLine(y);
    const uint8_t* t = transparency.ScanLine(y);
    for (int x = 0; x < picture.Width(); ++x, p += 3) {
      for (int i = 0; i < 3; ++i) p[i] = OverWhite(p[i], t[x]);
    }
  }
}

void ReadPngImage(const uint8_t* data, size_t size, TBitmap& out) {
  TGLDPNGReadStream reader;
  TBitmap picture, alpha;
  reader.ReadBitmap(data, size, picture, &alpha);
  picture.SetPixelFormat(24);
  if (reader.hasAlpha) BlendOverWhite(picture, alpha);
  out = std::move(picture);
}

// The transparency of a 32-bit image's fourth bytes, when any is set.
bool AlphaOf(const TBitmap& colour, TBitmap& transparency) {
  bool any = false;
  transparency.SetSize(colour.Width(), colour.Height(), 8);
  for (int y = 0; y < colour.Height(); ++y) {
    const uint8_t* p = colour.ScanLine(y);
    uint8_t* t = transparency.ScanLine(y);
    for (int x = 0; x < colour.Width(); ++x) {
      any = any || p[4 * x + 3] != 0;
      t[x] = static_cast<uint8_t>(255 - p[4 * x + 3]);
    }
  }
  return any;
}

// The AND mask as transparency (a set bit is clear); false without one.
bool MaskOf(const TDibInfo& dib, const uint8_t* mask, size_t size, TBitmap& transparency) {
  const size_t rowBytes = (static_cast<size_t>(dib.width) + 31) / 32 * 4;
  if (size / rowBytes < static_cast<size_t>(dib.height)) return false;
  transparency.SetSize(dib.width, dib.height, 8);
  for (int y = 0; y < dib.height; ++y) {
    const uint8_t* row = mask + rowBytes * static_cast<size_t>(dib.height - 1 - y);
    uint8_t* t = transparency.ScanLine(y);
    for (int x = 0; x < dib.width; ++x) t[x] = (row[x / 8] & (0x80 >> (x & 7))) ? 255 : 0;
  }
  return true;
}

void ReadDibImage(const uint8_t* data, size_t size, TBitmap& out) {
  TDibOptions options;
  options.topDown = false;
  options.doubledHeight = true;
  const TDibInfo dib = ReadDibInfo(data, size, options);
  // An icon's directory gives at most 256 pixels a side; a compressed image
  // of a few bytes must not claim millions of pixels.
  if (dib.width > kMaxIconSide || dib.height > kMaxIconSide) Damaged();
  const size_t colourBytes = dib.rowBytes * static_cast<size_t>(dib.height);
  DecodeDibBits(dib, data + dib.tableEnd, size - dib.tableEnd, out);
  TBitmap transparency;
  const bool alpha = out.BitsPerPixel() == 32 && AlphaOf(out, transparency);
  out.SetPixelFormat(24);
  const size_t maskStart = dib.tableEnd + colourBytes;
  if (alpha || (maskStart <= size && MaskOf(dib, data + maskStart, size - maskStart, transparency))) {
    BlendOverWhite(out, transparency);
  }
}

}  // namespace

size_t BestIconEntry(const std::vector<TIconEntrySize>& entries) {
  size_t best = 0;
  long bestArea = -1, bestBits = -1;
  for (size_t i = 0; i < entries.size(); ++i) {
    const TIconEntrySize& e = entries[i];
    const long area = static_cast<long>(e.width ? e.width : 256) * (e.height ? e.height : 256);
    if (area > bestArea || (area == bestArea && static_cast<long>(e.bits) > bestBits)) {
      best = i, bestArea = area, bestBits = e.bits;
    }
  }
  return best;
}

void ReadIconImage(const uint8_t* data, size_t size, TBitmap& out) {
  static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size < 12) Damaged();
  if (std::memcmp(data, kPngSignature, 8) == 0) {
    ReadPngImage(data, size, out);
  } else {
    ReadDibImage(data, size, out);
  }
}

size_t IcoImageCount(const std::string& data) {
  const auto* p = reinterpret_cast<const uint8_t*>(data.data());
  if (data.size() < kHeader) Damaged();
  const int type = LeU16(p, 2), count = LeU16(p, 4);
  if (LeU16(p, 0) != 0 || (type != 1 && type != 2) || count == 0) Damaged();
  if (data.size() < kHeader + kEntry * count) Damaged();
  return static_cast<size_t>(count);
}

void ReadIcoImage(const std::string& data, size_t index, TBitmap& out) {
  if (index >= IcoImageCount(data)) Damaged();
  const auto* p = reinterpret_cast<const uint8_t*>(data.data());
  const uint8_t* entry = p + kHeader + kEntry * index;
  const size_t size = LeU32(entry, 8), offset = LeU32(entry, 12);
  if (offset > data.size() || size > data.size() - offset) Damaged();
  ReadIconImage(p + offset, size, out);
}

void ReadIco(const std::string& data, TBitmap& out) {
  const size_t count = IcoImageCount(data);
  const auto* p = reinterpret_cast<const uint8_t*>(data.data());
  std::vector<TIconEntrySize> entries;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = p + kHeader + kEntry * i;
    entries.push_back({e[0], e[1], LeU16(e, 6)});
  }
  ReadIcoImage(data, BestIconEntry(entries), out);
}

}  // namespace nura
