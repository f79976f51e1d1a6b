// Device-independent bitmaps as Windows stores them: an info header with
// its colour table, then rows bottom-up, each padded to four bytes. BMP
// files, icon images and plug-in results all carry one. Everything read is
// untrusted: a malformed header or short data raises EInvalidGraphic with
// a Japanese message, never reads beyond the given sizes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gui/bitmap.h"

namespace nura {

// Pixels of the largest picture decoded from a file.
constexpr int64_t kMaxPicturePixels = int64_t{1} << 26;

// Raises EInvalidGraphic "画像が大きすぎます。" when width x height exceeds
// kMaxPicturePixels, "画像の大きさが正しくありません。" when either is below 1.
void CheckPictureSize(int64_t width, int64_t height);

struct TDibOptions {
  bool topDown = true;        // a negative height means rows top-down
  bool doubledHeight = false;  // an icon image: colour rows, then the mask
};

// The decoded header of a DIB.
struct TDibInfo {
  int32_t width = 0, height = 0;  // height of the colour image, positive
  bool topDown = false;
  int bitCount = 0;
  uint32_t compression = 0;
  uint32_t masks[3] = {};          // red, green, blue (16 and 32 bits)
  std::vector<uint32_t> palette;   // 0x00BBGGRR
  size_t tableEnd = 0;             // bytes of header, masks and table
  size_t rowBytes = 0;
};

// Reads the header and colour table of `info` (infoSize bytes).
TDibInfo ReadDibInfo(const uint8_t* info, size_t infoSize, const TDibOptions& options);
// Decodes the colour rows of `bits` (bitsSize bytes) as `dib` describes
// them, run-length encoded ones too; the bitmap keeps the depth (16-bit
// rows become 15 or 16 bits, other bit fields 24 bits).
void DecodeDibBits(const TDibInfo& dib, const uint8_t* bits, size_t bitsSize, TBitmap& out);

// A BMP file: "BM", the file header, a DIB.
void ReadBmp(const std::string& data, TBitmap& out);
// The BMP file of `bitmap` in its own depth (15 bits as 16-bit RGB, 16
// bits with 5-6-5 bit fields). EInvalidGraphicOperation for an empty bitmap.
std::string WriteBmp(const TBitmap& bitmap);

}  // namespace nura
