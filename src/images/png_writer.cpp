#include "images/png_writer.h"

#include <cmath>
#include <cstring>
#include <ctime>
#include <zlib.h>

#include "images/png_zlib.h"
#include "platform/gui/bitmap.h"

namespace nura {
namespace {

const char kWriteError[] = "Write Image (PNG): Write Error";


int Luminance(uint32_t r, uint32_t g, uint32_t b) { return static_cast<int>((r * 77 + g * 150 + b * 29) >> 8); }

// Blue, green, red of pixel x of a 15-, 16-, 24- or 32-bit row.
void PixelBgr(const uint8_t* line, int x, int bits, uint8_t bgr[3]) {
  if (bits >= 24) {
    const uint8_t* p = line + static_cast<size_t>(x) * (bits / 8);
    bgr[0] = p[0], bgr[1] = p[1], bgr[2] = p[2];
    return;
  }
  const unsigned v = line[2 * x] | (line[2 * x + 1] << 8);
  const unsigned b = v & 31;
  const unsigned r = bits == 15 ? (v >> 10) & 31 : (v >> 11) & 31;
  const unsigned g = bits == 15 ? (v >> 5) & 31 : (v >> 5) & 63;
  bgr[0] = static_cast<uint8_t>((b << 3) | (b >> 2));
  bgr[2] = static_cast<uint8_t>((r << 3) | (r >> 2));
  bgr[1] = bits == 15 ? static_cast<uint8_t>((g << 3) | (g >> 2)) : static_cast<uint8_t>((g << 2) | (g >> 4));
}

}  // namespace

struct TGLDPNGWriteStream::Layout {
  int sourceBits = 24, workingBits = 24;
  bool alpha = false, grey = false, palette = false;
  int bitDepth = 8, colourType = 2, rowBits = 24;  // rowBits: bits per pixel of the row data
  std::array<uint8_t, 256> greyTable{};
};

int PngGreyLevel(uint32_t colour, int sourceBits, const std::vector<uint32_t>& palette) {
  if (colour & 0x01000000u) {
    const size_t index = colour & 0xFF;
    colour = index < palette.size() ? palette[index] : 0;
  }
  const int level = Luminance(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  if (sourceBits == 1) return level >= 128 ? 1 : 0;
  if (sourceBits == 4) return level >> 4;
  return level;
}

uint32_t PngChunkCrc(const char type[4], const uint8_t* data, size_t n) {
  uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(type), 4);
  if (n) crc = crc32(crc, data, static_cast<uInt>(n));
  return static_cast<uint32_t>(crc);
}

void TGLDPNGWriteStream::SetIdatSize(int size) {
  if (size < 256 || size > 100000) throw EGLDPNG("Write PNG Param: Err IDAT Size(min:256  max:100000)");
  settings.idatSize = size;
}

void TGLDPNGWriteStream::WriteChunk(const char type[4], const uint8_t* data, size_t n) {
  WriteU32(static_cast<uint32_t>(n));
  WriteBytes(type, 4);
  if (n) WriteBytes(data, n);
  WriteU32(PngChunkCrc(type, data, n));
}

namespace {

std::string U16(unsigned v) { return {static_cast<char>(v >> 8), static_cast<char>(v)}; }
std::string U32(uint32_t v) { return U16(v >> 16) + U16(v & 0xFFFF); }

std::string TextChunk(const std::string& keyword, const std::string& text) {
  if (text.empty() || keyword.size() >= 80) return {};
  return keyword + '\0' + text;
}

// The grey level table of a palette source: L of each entry (per nibble for
// 4 bits); for 1 bit, the bits inverted when entry 1 is darker than entry 0.
std::array<uint8_t, 256> BuildGreyTable(const TBitmap& bitmap, int sourceBits) {
  std::array<uint8_t, 256> table{};
  const auto& palette = bitmap.Palette();
  auto level = [&](size_t i) {
    return i < palette.size() ? PngGreyLevel(palette[i], 8, palette) : static_cast<int>(i);
  };
  for (int i = 0; i < 256; ++i) {
    if (palette.empty()) table[i] = static_cast<uint8_t>(i);
    else if (sourceBits == 8) table[i] = static_cast<uint8_t>(level(i));
    else if (sourceBits == 4) table[i] = static_cast<uint8_t>(((level(i >> 4) >> 4) << 4) | (level(i & 15) >> 4));
    else table[i] = static_cast<uint8_t>(palette.size() >= 2 && level(1) < level(0) ? ~i : i);
  }
  return table;
}

}  // namespace

void TGLDPNGWriteStream::WriteColourChunk(const char type[4], int32_t colour, const TBitmap& bitmap,
                                          const Layout& layout) {
  const uint32_t c = static_cast<uint32_t>(colour);
  const bool isBackground = std::memcmp(type, "bKGD", 4) == 0;
  if (layout.palette) {
    const int index = (c & 0x01000000u) ? static_cast<int>(c & 0xFF) : NearestPaletteIndex(bitmap.Palette(), c);
    if (index < 0) return;
    if (isBackground) return WriteChunk(type, std::string(1, static_cast<char>(index)));
    return WriteChunk(type, std::string(static_cast<size_t>(index), '\xFF') + '\0');
  }
  if (layout.grey) return WriteChunk(type, U16(PngGreyLevel(c, layout.sourceBits, bitmap.Palette())));
  uint32_t rgb = c;
  if (c & 0x01000000u) {
    const size_t index = c & 0xFF;
    rgb = index < bitmap.Palette().size() ? bitmap.Palette()[index] : 0;
  }
  WriteChunk(type, U16(rgb & 0xFF) + U16((rgb >> 8) & 0xFF) + U16((rgb >> 16) & 0xFF));
}

void TGLDPNGWriteStream::WriteAncillary(const TBitmap& bitmap, const Layout& layout) {
  const TPNGSettings& s = settings;
  TPNGTime t = s.time;
  if (s.useCurrentTime) {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    t = {static_cast<uint16_t>(utc.tm_year + 1900), static_cast<uint8_t>(utc.tm_mon + 1),
         static_cast<uint8_t>(utc.tm_mday), static_cast<uint8_t>(utc.tm_hour),
         static_cast<uint8_t>(utc.tm_min), static_cast<uint8_t>(utc.tm_sec)};
  }
  if (t.year != 0 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour < 24 &&
      t.minute < 60 && t.second < 61) {
    WriteChunk("tIME", U16(t.year) + std::string{static_cast<char>(t.month), static_cast<char>(t.day),
                                                 static_cast<char>(t.hour), static_cast<char>(t.minute),
                                                 static_cast<char>(t.second)});
  }
  for (const std::string& text : {TextChunk("Comment", s.comment), TextChunk("Software", "GLDPNG ver 3.4")}) {
    if (!text.empty()) WriteChunk("tEXt", text);
  }
  WriteChunk("tpNG", std::string("GLD3") + std::string(4, '\0'));
  if (s.animation.Any()) {
    WriteChunk("gIFg", std::string{static_cast<char>(s.animation.disposal), static_cast<char>(s.animation.userInput),
                                   static_cast<char>(s.animation.delay & 0xFF), static_cast<char>(s.animation.delay >> 8)});
  }
  const long double gamma = static_cast<long double>(s.gamma) * 100000.0L;
  if (gamma >= 1.0L && gamma < 4294967296.0L) WriteChunk("gAMA", U32(static_cast<uint32_t>(gamma)));
  if (s.chromaticities[0] && s.chromaticities[1]) {
    std::string data;
    for (uint32_t v : s.chromaticities) data += U32(v);
    WriteChunk("cHRM", data);
  }
  if (!layout.grey) {
    uint32_t sbit = layout.sourceBits == 15 ? 0x050505 : layout.sourceBits == 16 ? 0x050605 : s.significantBits;
    if (static_cast<int32_t>(sbit) > 0) {
      std::string data;
      for (int i = 0; i < 3; ++i) data += static_cast<char>((sbit >> (8 * i)) & 0xFF);
      if (layout.alpha) data += '\x08';
      WriteChunk("sBIT", data);
    }
  }
  if (layout.palette && !bitmap.Palette().empty()) {
    std::string data;
    const size_t count = std::min(bitmap.Palette().size(), size_t{1} << layout.bitDepth);
    for (size_t i = 0; i < count; ++i) {
      const uint32_t c = bitmap.Palette()[i];
      data += {static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF), static_cast<char>((c >> 16) & 0xFF)};
    }
    WriteChunk("PLTE", data);
  }
  if (s.background != -1) WriteColourChunk("bKGD", s.background, bitmap, layout);
  if (s.transparentColor != -1 && !layout.alpha) WriteColourChunk("tRNS", s.transparentColor, bitmap, layout);
  if (s.physicalX >= 1 && s.physicalY >= 1) {
    uint32_t x = s.physicalX, y = s.physicalY;
    uint8_t unit = s.physicalUnit == 1 ? 1 : 0;
    if (s.physicalUnit == 2) {
      x = static_cast<uint32_t>(std::trunc(x * 100.0 / 254.0 * 100.0));
      y = static_cast<uint32_t>(std::trunc(y * 100.0 / 254.0 * 100.0));
      unit = 1;
    }
    WriteChunk("pHYs", U32(x) + U32(y) + static_cast<char>(unit));
  }
}

namespace {

// One bitmap row as PNG pixel data of the whole width.
void ConvertRow(const TBitmap& bitmap, const TBitmap* alpha, int y, const uint8_t* greyTable, int sourceBits,
                bool grey, bool palette, uint8_t* out) {
  const uint8_t* line = bitmap.ScanLine(y);
  const uint8_t* a = alpha ? alpha->ScanLine(y) : nullptr;
  const int width = bitmap.Width();
  if (sourceBits <= 8) {
    const size_t bytes = (static_cast<size_t>(width) * sourceBits + 7) / 8;
    if (palette) {
      std::memcpy(out, line, bytes);
    } else if (a && sourceBits == 8) {
      for (int x = 0; x < width; ++x) out[2 * x] = greyTable[line[x]], out[2 * x + 1] = static_cast<uint8_t>(255 - a[x]);
    } else {
      for (size_t i = 0; i < bytes; ++i) out[i] = greyTable[line[i]];
    }
    return;
  }
  const int outBytes = grey ? (a ? 2 : 1) : (a ? 4 : 3);
  for (int x = 0; x < width; ++x, out += outBytes) {
    uint8_t bgr[3];
    PixelBgr(line, x, sourceBits, bgr);
    if (grey) {
      out[0] = static_cast<uint8_t>(Luminance(bgr[2], bgr[1], bgr[0]));
    } else {
      out[0] = bgr[2], out[1] = bgr[1], out[2] = bgr[0];
    }
    if (a) out[outBytes - 1] = static_cast<uint8_t>(255 - a[x]);
  }
}

// Copies pixels x0, x0+dx, ... of a packed row of `bits` bits per pixel.
void PickPixels(const uint8_t* full, int width, int x0, int dx, int bits, uint8_t* out) {
  if (bits >= 8) {
    const int bytes = bits / 8;
    for (int x = x0; x < width; x += dx, out += bytes) std::memcpy(out, full + static_cast<size_t>(x) * bytes, bytes);
    return;
  }
  const int perByte = 8 / bits, mask = (1 << bits) - 1;
  std::memset(out, 0, (static_cast<size_t>(PassCount(width, x0, dx)) * bits + 7) / 8);
  for (int x = x0, i = 0; x < width; x += dx, ++i) {
    const int v = (full[x / perByte] >> ((perByte - 1 - x % perByte) * bits)) & mask;
    out[i / perByte] |= static_cast<uint8_t>(v << ((perByte - 1 - i % perByte) * bits));
  }
}

}  // namespace

void TGLDPNGWriteStream::WriteImageData(const TBitmap& bitmap, const Layout& layout) {
  const int width = bitmap.Width(), height = bitmap.Height();
  const TBitmap* alpha = layout.alpha ? alphaBitmap : nullptr;
  TDeflateRows deflater;
  if (!deflater.Init(settings.level, settings.idatSize, settings.filter, layout.bitDepth,
                     [this](const uint8_t* data, size_t n) { WriteChunk("IDAT", data, n); })) {
    throw EGLDPNG(kWriteError);
  }
  const bool interlaced = settings.interlace == 1;
  const int passes = interlaced ? 7 : 1;
  int totalRows = 0;
  for (int p = 0; p < passes; ++p) {
    const Pass& pass = interlaced ? kAdam7[p] : kWhole;
    if (PassCount(width, pass.x0, pass.dx)) totalRows += PassCount(height, pass.y0, pass.dy);
  }
  progress_.BeginStage(totalRows, 0);
  std::vector<uint8_t> full(interlaced ? (static_cast<size_t>(width) * layout.rowBits + 7) / 8 : 0);
  int rowNumber = 0;
  for (int p = 0; p < passes; ++p) {
    const Pass& pass = interlaced ? kAdam7[p] : kWhole;
    const int passWidth = PassCount(width, pass.x0, pass.dx);
    if (passWidth == 0 || PassCount(height, pass.y0, pass.dy) == 0) continue;
    deflater.StartPass((static_cast<size_t>(passWidth) * layout.rowBits + 7) / 8, layout.rowBits);
    for (int y = pass.y0; y < height; y += pass.dy) {
      uint8_t* target = interlaced ? full.data() : deflater.Row();
      ConvertRow(bitmap, alpha, y, layout.greyTable.data(), layout.sourceBits, layout.grey, layout.palette, target);
      if (interlaced) PickPixels(full.data(), width, pass.x0, pass.dx, layout.rowBits, deflater.Row());
      if (!deflater.WriteRow()) throw EGLDPNG(kWriteError);
      ++rowNumber;
      if (rowNumber % 4 == 2 || height < 4) progress_.StepTo(rowNumber);
      if (progress_.StopRequested()) return;
    }
  }
  if (!deflater.Finish()) throw EGLDPNG(kWriteError);
}

void TGLDPNGWriteStream::WriteBitmap(const TBitmap& bitmap, std::string& out) {
  // A PNG has at least one pixel; an empty bitmap would give a broken file.
  if (bitmap.Empty()) throw EGLDPNG(kWriteError);
  Begin(&out);
  progress_.Start();
  Layout layout;
  layout.sourceBits = bitmap.BitsPerPixel();
  layout.workingBits = (layout.sourceBits == 15 || layout.sourceBits == 16) ? 24 : layout.sourceBits;
  layout.alpha = alphaBitmap && alphaBitmap != &bitmap && !alphaBitmap->Empty() &&
                 alphaBitmap->Width() == bitmap.Width() && alphaBitmap->Height() == bitmap.Height() &&
                 alphaBitmap->BitsPerPixel() == 8;
  if (settings.grey) {
    layout.grey = true;
    layout.bitDepth = layout.workingBits < 9 ? layout.workingBits : 8;
    if (layout.alpha && layout.bitDepth == 8) {
      layout.colourType = 4;
      layout.rowBits = 16;
    } else {
      layout.alpha = false;
      layout.colourType = 0;
      layout.rowBits = layout.bitDepth;
    }
    layout.greyTable = BuildGreyTable(bitmap, layout.sourceBits);
  } else if (layout.workingBits <= 8) {
    layout.palette = true;
    layout.alpha = false;
    layout.bitDepth = layout.rowBits = layout.workingBits;
    layout.colourType = 3;
  } else {
    layout.colourType = layout.alpha ? 6 : 2;
    layout.rowBits = layout.alpha ? 32 : 24;
  }
  if (writeSignature) WriteBytes("\x89PNG\r\n\x1a\n", 8);
  WriteChunk("IHDR", U32(bitmap.Width()) + U32(bitmap.Height()) +
                         std::string{static_cast<char>(layout.bitDepth), static_cast<char>(layout.colourType), 0, 0,
                                     static_cast<char>(settings.interlace)});
  WriteAncillary(bitmap, layout);
  if (progress_.StopRequested()) return;
  WriteImageData(bitmap, layout);
  if (progress_.StopRequested()) return;
  WriteChunk("IEND", nullptr, 0);
  progress_.End();
}

}  // namespace nura
