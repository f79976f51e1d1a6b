// The icon reader of program files on any bytes: the first three icons.
#include "fuzz_input.h"
#include "images/pe_icons.h"
#include "platform/gui/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (size_t index = 0; index < 3; ++index) {
    nura::fuzz::ReadPicture<nura::TBitmap>(
        [index](const std::string& bytes, nura::TBitmap& out) { nura::ReadFileIcon(bytes, index, out); }, data, size);
  }
  return 0;
}
