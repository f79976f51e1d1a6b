// The BMP reader on any bytes.
#include "fuzz_input.h"
#include "images/dib_format.h"
#include "platform/gui/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return nura::fuzz::ReadPicture<nura::TBitmap>(nura::ReadBmp, data, size);
}
