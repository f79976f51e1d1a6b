// The ICO reader on any bytes.
#include "fuzz_input.h"
#include "images/icon_reader.h"
#include "platform/gui/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return nura::fuzz::ReadPicture<nura::TBitmap>(nura::ReadIco, data, size);
}
