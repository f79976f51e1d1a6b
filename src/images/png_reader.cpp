#include "images/png_reader.h"

#include <algorithm>
#include <cstring>

#include "images/png_zlib.h"
#include "platform/gui/bitmap.h"

namespace nura {
namespace {

const char kReadError[] = "Read Image (PNG): Read Error";
const char kBitDepthError[] = "Read Header(PNG): Error BitDepth";


bool IsType(const uint8_t type[4], const char* name) { return std::memcmp(type, name, 4) == 0; }

// Sample i of a packed row of `depth` bits (1, 2, 4, 8; 16 gives the high byte).
inline unsigned Sample(const uint8_t* row, int i, int depth) {
  if (depth == 8) return row[i];
  if (depth == 16) return row[2 * i];
  const int perByte = 8 / depth;
  return (row[i / perByte] >> ((perByte - 1 - i % perByte) * depth)) & ((1 << depth) - 1);
}

// Stores index v at pixel x of a 1-, 4- or 8-bit bitmap row.
inline void PutIndex(uint8_t* line, int x, int bits, unsigned v) {
  if (bits == 8) {
    line[x] = static_cast<uint8_t>(v);
  } else if (bits == 4) {
    uint8_t& b = line[x / 2];
    b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (v & 0x0F)) : static_cast<uint8_t>((b & 0x0F) | (v << 4));
  } else {
    const uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
    line[x / 8] = static_cast<uint8_t>(v ? (line[x / 8] | mask) : (line[x / 8] & ~mask));
  }
}

inline unsigned GetIndex(const uint8_t* line, int x, int bits) {
  if (bits == 8) return line[x];
  if (bits == 4) return (x & 1) ? (line[x / 2] & 0x0F) : (line[x / 2] >> 4);
  return (line[x / 8] >> (7 - (x & 7))) & 1;
}

}  // namespace

uint8_t TGLDPNGReadStream::CByte() {
  if (chunkLeft_ < 1) return 0;
  chunkLeft_ -= 1;
  return ReadByte();
}

uint16_t TGLDPNGReadStream::CU16() {
  if (chunkLeft_ < 2) return 0;
  chunkLeft_ -= 2;
  return ReadU16();
}

uint32_t TGLDPNGReadStream::CU32() {
  if (chunkLeft_ < 4) return 0;
  chunkLeft_ -= 4;
  return ReadU32();
}

// A grey sample as a grey colour; depths below 8 are scaled to the 8-bit
// level of the grey ramp the bitmap gets.
uint32_t TGLDPNGReadStream::GreyColour(uint16_t value) const {
  unsigned level = value;
  if (bitDepth == 16) level = value >> 8;
  // A depth of 0 is refused with the image data; a colour chunk before it
  // must not divide by zero.
  else if (bitDepth >= 1 && bitDepth < 8) level = (value & ((1u << bitDepth) - 1)) * 255 / ((1u << bitDepth) - 1);
  return (level & 0xFF) * 0x010101u;
}

uint32_t TGLDPNGReadStream::RgbColour() {
  uint32_t colour = 0;
  for (int i = 0; i < 3; ++i) {
    const uint16_t v = CU16();
    colour |= static_cast<uint32_t>(bitDepth == 16 ? v >> 8 : v & 0xFF) << (8 * i);
  }
  return colour;
}

void TGLDPNGReadStream::Reset() {
  ihdr_ = idat_ = iend_ = plte_ = tpng_ = paletteTrns_ = false;
  width_ = height_ = 0;
  baseType_ = 0;
  alphaChannel_ = paletteAlpha_ = false;
  outFormat_ = 0;
  palette_.clear();
  std::fill(std::begin(paletteAlphaTable_), std::end(paletteAlphaTable_), 0);  // transparency: opaque
  hasAlpha = false;
  comment.clear();
  background = transparentColor = -1;
  interlace = 0;
  gamma = 0;
  significantBits = 0;
  physicalX = physicalY = 0;
  physicalUnit = 0;
  grey = false;
  bitDepth = 0;
  if (timeRecord) *timeRecord = TPNGTime{};
  if (chromaticities) chromaticities->fill(0);
  if (animation) *animation = TPNGAnimation{};
}

void TGLDPNGReadStream::ReadBitmap(const uint8_t* data, size_t size, TBitmap& bitmap, TBitmap* alpha) {
  bitmap_ = &bitmap;
  alpha_ = alpha == &bitmap ? nullptr : alpha;
  Begin(data, size);
  Reset();
  Decode();
}

void TGLDPNGReadStream::Decode() {
  progress_.Start();
  static const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  uint8_t signature[8];
  if (ReadBytes(signature, 8) != 8 || std::memcmp(signature, kSignature, 8) != 0) {
    throw EGLDPNG("PNG LoadStream: Not PNG Format");
  }
  while (!iend_ && !ReadError() && !progress_.StopRequested()) {
    const uint32_t length = ReadU32();
    const uint8_t* type = Take(4);
    if (!type || length > Remaining()) break;
    chunkLeft_ = length;
    HandleChunk(type, length);
    Skip(chunkLeft_);
    Skip(4);  // the CRC is not checked
  }
  // A file that ends before its image data holds no image: that is an error,
  // not an empty success.
  if (!idat_) throw EGLDPNG(kReadError);
  if (alpha_ && paletteAlpha_) BuildPaletteAlpha();
  if (!alphaChannel_ && !paletteAlpha_ && transparentColor != -1) {
    bitmap_->SetTransparent(true);
    bitmap_->SetTransparentColor(static_cast<uint32_t>(transparentColor));
  }
  hasAlpha = alpha_ && (alphaChannel_ || paletteAlpha_);
  progress_.End();
}

void TGLDPNGReadStream::HandleChunk(const uint8_t type[4], uint32_t length) {
  const bool header = ihdr_ && !idat_;  // after IHDR, before IDAT
  if (IsType(type, "IHDR")) {
    ReadHeader();
  } else if (IsType(type, "PLTE")) {
    if (header && !plte_ && baseType_ != 0) ReadPalette(length);
  } else if (IsType(type, "tRNS")) {
    if (header && !alphaChannel_) ReadTransparency(length);
  } else if (IsType(type, "bKGD")) {
    if (!ihdr_) return;
    if (baseType_ == 0) background = static_cast<int32_t>(GreyColour(CU16()));
    else if (baseType_ == 2) background = static_cast<int32_t>(RgbColour());
    else if (length >= 1) background = static_cast<int32_t>(CByte() | 0x01000000u);
  } else if (IsType(type, "gAMA")) {
    if (header && !plte_ && length >= 4) gamma = CU32() / 100000.0;
  } else if (IsType(type, "sBIT")) {
    if (!header || plte_ || baseType_ == 0) return;
    const int count = alphaChannel_ ? 4 : 3;
    if (length < static_cast<uint32_t>(count)) return;
    significantBits = 0;
    for (int i = 0; i < count; ++i) significantBits |= static_cast<uint32_t>(CByte()) << (8 * i);
  } else if (IsType(type, "cHRM")) {
    if (header && !plte_ && length == 32 && chromaticities) {
      for (uint32_t& v : *chromaticities) v = CU32();
    }
  } else if (IsType(type, "gIFg")) {
    if (header && !plte_ && length == 4 && animation) {
      animation->disposal = CByte();
      animation->userInput = CByte();
      const uint8_t low = CByte();
      animation->delay = static_cast<uint16_t>(low | (CByte() << 8));
    }
  } else if (IsType(type, "pHYs")) {
    if (header && length >= 9) {
      physicalX = CU32();
      physicalY = CU32();
      physicalUnit = CByte();
    }
  } else if (IsType(type, "tIME")) {
    if (length == 7 && timeRecord) {
      timeRecord->year = CU16();
      for (uint8_t* p : {&timeRecord->month, &timeRecord->day, &timeRecord->hour, &timeRecord->minute,
                         &timeRecord->second}) {
        *p = CByte();
      }
    }
  } else if (IsType(type, "tEXt")) {
    ReadText(length);
  } else if (IsType(type, "tpNG")) {
    if (header && !tpng_) {
      tpng_ = true;
      CU32();  // "GLD3"; the flags after it change nothing here
    }
  } else if (IsType(type, "IEND")) {
    iend_ = true;
  } else if (IsType(type, "IDAT")) {
    if (!ihdr_) throw EGLDPNG(kReadError);
    if (!idat_) ReadImage();
  }
}

void TGLDPNGReadStream::ReadHeader() {
  if (ihdr_) throw EGLDPNG("Read Header(PNG): appear two IHDR");
  ihdr_ = true;
  width_ = CU32();
  height_ = CU32();
  bitDepth = CByte();
  const int colourType = CByte();
  const int compression = CByte(), filter = CByte();
  interlace = CByte();
  const int base = colourType & 7;
  if (base == 1 || base == 5 || base == 7 || colourType > 7) throw EGLDPNG("Read Header(PNG): Error ColorType");
  if (compression >= 2) throw EGLDPNG("Read Header(PNG): not support Compression");
  if (filter >= 2) throw EGLDPNG("Read Header(PNG): not supprt Filter");
  if (interlace >= 2) throw EGLDPNG("Read Header(PNG): not interlace type");
  alphaChannel_ = (colourType & 4) != 0;
  baseType_ = colourType & 3;
  grey = baseType_ == 0;
  if (width_ == 0 || height_ == 0 || width_ > 0x7FFFFFFF || height_ > 0x7FFFFFFF ||
      static_cast<int64_t>(width_) * height_ > kMaxPixels) {
    throw EGLDPNG("Read Header(PNG): Error Size");
  }
}

void TGLDPNGReadStream::ReadPalette(uint32_t length) {
  plte_ = true;
  const uint32_t count = std::min<uint32_t>(length / 3, 256);
  palette_.resize(count);
  for (uint32_t& entry : palette_) {
    const uint32_t r = CByte(), g = CByte(), b = CByte();
    entry = r | (g << 8) | (b << 16);
  }
}

void TGLDPNGReadStream::ReadTransparency(uint32_t length) {
  if (baseType_ == 0) {
    transparentColor = static_cast<int32_t>(GreyColour(CU16()));
  } else if (baseType_ == 2) {
    transparentColor = static_cast<int32_t>(RgbColour());
  } else if (plte_) {
    const size_t count = std::min<size_t>(length, palette_.size());
    for (size_t i = 0; i < count; ++i) paletteAlphaTable_[i] = static_cast<uint8_t>(255 - CByte());
    paletteTrns_ = true;
  }
}

void TGLDPNGReadStream::ReadText(uint32_t length) {
  const uint8_t* data = Take(length);
  if (!data) return;
  chunkLeft_ = 0;
  const uint8_t* zero = static_cast<const uint8_t*>(std::memchr(data, 0, length));
  if (!zero || std::string(reinterpret_cast<const char*>(data), zero - data) != "Comment") return;
  const std::string text(reinterpret_cast<const char*>(zero + 1), data + length - zero - 1);
  if (text.empty()) return;
  if (!comment.empty()) comment += "\r\n";
  comment += text + "\r\n";
}

void TGLDPNGReadStream::SetUpBitmap(int bits) {
  bitmap_->SetSize(static_cast<int>(width_), static_cast<int>(height_), bits);
  bitmap_->SetTransparent(false);
  if (bits <= 8) bitmap_->Palette() = grey ? GreyRamp(bitDepth) : palette_;
  if (!alpha_) return;
  if (alphaChannel_ || paletteAlpha_) {
    alpha_->SetSize(static_cast<int>(width_), static_cast<int>(height_), 8);
    alpha_->Palette() = GreyRamp(8);
    std::memset(alpha_->ScanLine(0), 0, static_cast<size_t>(alpha_->Stride()) * height_);
  } else {
    alpha_->SetSize(0, 0, 8);
  }
}

size_t TGLDPNGReadStream::FetchImageData(const uint8_t** data) {
  while (chunkLeft_ == 0) {
    Skip(4);  // CRC of the IDAT used up
    const uint32_t length = ReadU32();
    const uint8_t* type = Take(4);
    if (!type || !IsType(type, "IDAT") || length > Remaining()) return 0;
    chunkLeft_ = length;
  }
  const size_t n = std::min<size_t>(chunkLeft_, 32768);
  *data = Take(n);
  chunkLeft_ -= n;
  return *data ? n : 0;
}

void TGLDPNGReadStream::ReadImage() {
  idat_ = true;
  int samples = 1, bits = 8;  // samples per pixel, bitmap bits per pixel
  const int d = bitDepth;
  if (baseType_ == 0) {
    if (alphaChannel_ && d != 8 && d != 16) {
      throw EGLDPNG(d == 1 || d == 2 || d == 4 ? "Read Header(PNG): not Use AlphaChannel"
                                               : "Read Header(PNG): Error Bitdepth");
    }
    if (d != 1 && d != 2 && d != 4 && d != 8 && d != 16) throw EGLDPNG("Read Header(PNG): Error Bitdepth");
    samples = alphaChannel_ ? 2 : 1;
    bits = d == 1 ? 1 : d <= 4 ? 4 : 8;
  } else if (baseType_ == 2) {
    if (d != 8 && d != 16) throw EGLDPNG(kBitDepthError);
    samples = alphaChannel_ ? 4 : 3;
    bits = 24;
    if (option1516 && (significantBits & 0xFFFFFF) == 0x050505) bits = outFormat_ = 15;
    if (option1516 && (significantBits & 0xFFFFFF) == 0x050605) bits = outFormat_ = 16;
  } else {
    if (d != 1 && d != 2 && d != 4 && d != 8) throw EGLDPNG(kBitDepthError);
    bits = d == 1 ? 1 : d <= 4 ? 4 : 8;
  }
  const int pngBits = samples * d;
  // Deflate expands at most about 1032 to 1: refuse sizes the data cannot hold.
  const int64_t rawBytes = static_cast<int64_t>(width_) * height_ * pngBits / 8;
  if (rawBytes > static_cast<int64_t>(chunkLeft_ + Remaining()) * 1032 + 4096) throw EGLDPNG(kReadError);
  if (baseType_ == 3 && paletteTrns_) {
    int clear = 0, partial = 0, index = -1;
    for (int i = 0; i < 256; ++i) {
      if (paletteAlphaTable_[i] == 255) ++clear, index = i;
      else if (paletteAlphaTable_[i] != 0) ++partial;
    }
    if (clear == 1 && partial == 0) transparentColor = static_cast<int32_t>(index | 0x01000000);
    else paletteAlpha_ = true;
  }
  TInflateRows inflater;
  if (!inflater.Init([this](const uint8_t** data) { return FetchImageData(data); })) {
    throw EGLDPNG("PNG LoadStream: Error ZLIB");
  }
  SetUpBitmap(bits);
  const int width = static_cast<int>(width_), height = static_cast<int>(height_);
  const bool interlaced = interlace == 1;
  int totalRows = 0;
  for (int p = 0; p < (interlaced ? 7 : 1); ++p) {
    const Pass& pass = interlaced ? kAdam7[p] : kWhole;
    if (PassCount(width, pass.x0, pass.dx)) totalRows += PassCount(height, pass.y0, pass.dy);
  }
  progress_.BeginStage(totalRows, 0);
  int rowNumber = 0;
  for (int p = 0; p < (interlaced ? 7 : 1); ++p) {
    const Pass& pass = interlaced ? kAdam7[p] : kWhole;
    const int passWidth = PassCount(width, pass.x0, pass.dx);
    if (passWidth == 0 || PassCount(height, pass.y0, pass.dy) == 0) continue;
    inflater.StartPass((static_cast<size_t>(passWidth) * pngBits + 7) / 8, pngBits);
    for (int y = pass.y0; y < height; y += pass.dy) {
      if (!inflater.ReadRow()) throw EGLDPNG(kReadError);
      ConvertRow(inflater.Row(), passWidth, y, pass.x0, pass.dx);
      ++rowNumber;
      if (rowNumber % 4 == 2 || height < 4) progress_.StepTo(rowNumber);
      if (progress_.StopRequested()) return;
    }
  }
}

void TGLDPNGReadStream::ConvertRow(const uint8_t* src, int passWidth, int y, int x0, int dx) {
  uint8_t* line = bitmap_->ScanLine(y);
  uint8_t* alpha = alpha_ && alphaChannel_ ? alpha_->ScanLine(y) : nullptr;
  const int d = bitDepth, bs = d == 16 ? 2 : 1;
  const int bits = bitmap_->BitsPerPixel();
  if (baseType_ == 2) {
    const int samples = alphaChannel_ ? 4 : 3;
    for (int i = 0, x = x0; i < passWidth; ++i, x += dx) {
      const uint8_t* p = src + static_cast<size_t>(i) * samples * bs;
      const unsigned r = p[0], g = p[bs], b = p[2 * bs];
      if (bits == 24) {
        uint8_t* q = line + static_cast<size_t>(x) * 3;
        q[0] = static_cast<uint8_t>(b), q[1] = static_cast<uint8_t>(g), q[2] = static_cast<uint8_t>(r);
      } else {
        const unsigned v = bits == 15 ? ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3)
                                      : ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
        line[2 * x] = static_cast<uint8_t>(v), line[2 * x + 1] = static_cast<uint8_t>(v >> 8);
      }
      if (alpha) alpha[x] = static_cast<uint8_t>(255 - p[3 * bs]);
    }
    return;
  }
  if (alphaChannel_) {  // grey with alpha, 8 or 16 bits
    for (int i = 0, x = x0; i < passWidth; ++i, x += dx) {
      line[x] = src[2 * i * bs];
      if (alpha) alpha[x] = static_cast<uint8_t>(255 - src[(2 * i + 1) * bs]);
    }
    return;
  }
  if (dx == 1 && d == bits) {
    std::memcpy(line, src, (static_cast<size_t>(passWidth) * d + 7) / 8);
    return;
  }
  for (int i = 0, x = x0; i < passWidth; ++i, x += dx) PutIndex(line, x, bits, Sample(src, i, d));
}

void TGLDPNGReadStream::BuildPaletteAlpha() {
  const int bits = bitmap_->BitsPerPixel();
  for (int y = 0; y < bitmap_->Height(); ++y) {
    const uint8_t* line = bitmap_->ScanLine(y);
    uint8_t* alpha = alpha_->ScanLine(y);
    for (int x = 0; x < bitmap_->Width(); ++x) alpha[x] = paletteAlphaTable_[GetIndex(line, x, bits)];
  }
}

}  // namespace nura
