// PNG decoder: a PNG file in memory into a TBitmap, and an alpha channel,
// where the file has one, into an 8-bit bitmap holding transparency (0
// opaque .. 255 clear). Everything read is untrusted: a damaged file
// raises EGLDPNG, never reads or allocates beyond what its data supports.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "images/png_stream.h"
#include "images/png_writer.h"

namespace nura {

class TGLDPNGReadStream : public TGLDCustomReadStream {
 public:
  // Pixels of the largest image decoded.
  static constexpr int64_t kMaxPixels = int64_t{1} << 26;

  // Colour images with sBIT 5,5,5 or 5,6,5 become 15- or 16-bit bitmaps.
  bool option1516 = false;
  // Records filled when their chunk is present (zeroed first), when given.
  TPNGTime* timeRecord = nullptr;
  std::array<uint32_t, 8>* chromaticities = nullptr;
  TPNGAnimation* animation = nullptr;

  // Decodes size bytes at data into bitmap (and alpha, when given and the
  // file carries transparency per pixel).
  void ReadBitmap(const uint8_t* data, size_t size, TBitmap& bitmap, TBitmap* alpha = nullptr);

  // Values read back after the decode.
  bool hasAlpha = false;
  std::string comment;
  int32_t background = -1, transparentColor = -1;
  uint8_t interlace = 0;
  double gamma = 0;
  uint32_t significantBits = 0;
  uint32_t physicalX = 0, physicalY = 0;
  int physicalUnit = 0;
  bool grey = false;
  int bitDepth = 0;

 private:
  void Reset();
  void Decode();
  void HandleChunk(const uint8_t type[4], uint32_t length);
  void ReadHeader();
  void ReadPalette(uint32_t length);
  void ReadTransparency(uint32_t length);
  void ReadText(uint32_t length);
  void ReadImage();
  void SetUpBitmap(int bits);
  void ConvertRow(const uint8_t* src, int passWidth, int y, int x0, int dx);
  void BuildPaletteAlpha();
  size_t FetchImageData(const uint8_t** data);
  // Chunk-bounded reads: never past the current chunk's data.
  uint8_t CByte();
  uint16_t CU16();
  uint32_t CU32();
  uint32_t GreyColour(uint16_t value) const;
  uint32_t RgbColour();

  TBitmap* bitmap_ = nullptr;
  TBitmap* alpha_ = nullptr;
  size_t chunkLeft_ = 0;
  bool ihdr_ = false, idat_ = false, iend_ = false, plte_ = false, tpng_ = false, paletteTrns_ = false;
  uint32_t width_ = 0, height_ = 0;
  int baseType_ = 0;
  bool alphaChannel_ = false, paletteAlpha_ = false;
  int outFormat_ = 0;  // 15 or 16 when option1516 applies
  std::vector<uint32_t> palette_;
  uint8_t paletteAlphaTable_[256] = {};
};

}  // namespace nura
