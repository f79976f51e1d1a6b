// PNG encoder: a TBitmap (and an optional 8-bit alpha bitmap holding
// transparency, 0 opaque .. 255 clear) as a PNG file, with the private
// chunk "tpNG" and, when asked, "gIFg".
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "images/png_stream.h"

namespace nura {

struct TPNGTime {
  uint16_t year = 0;
  uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The animation-control record of "gIFg", kept as it lies in memory:
// disposal method, user input, delay (16 bits, low byte first).
struct TPNGAnimation {
  uint8_t disposal = 0, userInput = 0;
  uint16_t delay = 0;
  bool Any() const { return disposal || userInput || delay; }
};

// Settings and ancillary values shared by the writer, the reader and TGLDPNG.
struct TPNGSettings {
  int idatSize = 32768;
  int level = -1;
  int filter = 1;  // 0 adaptive, 1 None, 2 Sub, 3 Up, 4 Average, 5 Paeth
  uint8_t interlace = 0;
  bool grey = false;
  std::string comment;
  int32_t background = -1;
  int32_t transparentColor = -1;
  double gamma = 0.0;
  uint32_t significantBits = 0;
  int physicalUnit = 0;  // 0 unknown, 1 per metre, 2 per inch
  uint32_t physicalX = 0, physicalY = 0;
  bool useCurrentTime = true;
  TPNGTime time;
  std::array<uint32_t, 8> chromaticities{};
  TPNGAnimation animation;
};

// Grey level of a colour for a source of `sourceBits` bits (palette index
// colours are looked up in `palette`): 0/1 for 1 bit, L shr 4 for 4 bits, else L.
int PngGreyLevel(uint32_t colour, int sourceBits, const std::vector<uint32_t>& palette);
// CRC-32 of a chunk's type and data.
uint32_t PngChunkCrc(const char type[4], const uint8_t* data, size_t n);

class TGLDPNGWriteStream : public TGLDCustomWriteStream {
 public:
  TPNGSettings settings;
  bool writeSignature = true;
  const TBitmap* alphaBitmap = nullptr;

  // Raises EGLDPNG outside 256..100000 (the setting is then unchanged).
  void SetIdatSize(int size);
  // Appends the PNG of `bitmap` to `out`.
  void WriteBitmap(const TBitmap& bitmap, std::string& out);

 private:
  struct Layout;
  void WriteChunk(const char type[4], const uint8_t* data, size_t n);
  void WriteChunk(const char type[4], const std::string& data) {
    WriteChunk(type, reinterpret_cast<const uint8_t*>(data.data()), data.size());
  }
  void WriteAncillary(const TBitmap& bitmap, const Layout& layout);
  void WriteColourChunk(const char type[4], int32_t colour, const TBitmap& bitmap,
                        const Layout& layout);
  void WriteImageData(const TBitmap& bitmap, const Layout& layout);
};

}  // namespace nura
