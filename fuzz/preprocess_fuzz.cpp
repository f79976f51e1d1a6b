// The source preprocessor on any bytes, and the line markers it writes
// read back.
#include <stdexcept>

#include "engine/preprocess.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text = nura::fuzz::Bytes(data, size);
  try {
    nura::PreprocessSource(text, "fuzz.nrs");
  } catch (const std::runtime_error&) {
    return 0;
  }
  const char* cursor = text.c_str();
  int lines = 0;
  while (*cursor) {
    if (*cursor == '\r' || *cursor == '\n') {
      nura::ReadLineMarker(cursor);
      ++lines;
    } else {
      nura::ReadSourceChar(cursor);
    }
  }
  nura::CurrentLine(text, cursor, lines);
  return 0;
}
