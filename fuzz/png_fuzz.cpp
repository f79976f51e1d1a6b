// The PNG reader on any bytes, with the alpha channel and the optional
// records asked for.
#include <array>
#include <stdexcept>

#include "fuzz_input.h"
#include "images/png_reader.h"
#include "platform/gui/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nura::TGLDPNGReadStream reader;
  nura::TPNGTime time{};
  std::array<uint32_t, 8> chromaticities{};
  nura::TPNGAnimation animation{};
  reader.timeRecord = &time;
  reader.chromaticities = &chromaticities;
  reader.animation = &animation;
  reader.option1516 = size % 2 == 1;
  nura::TBitmap bitmap, alpha;
  try {
    reader.ReadBitmap(data, size, bitmap, &alpha);
  } catch (const std::runtime_error&) {
  }
  return 0;
}
