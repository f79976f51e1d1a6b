// Base64 and MIME-header decoding of any text; what Base64 encodes
// decodes back to the same bytes.
#include "support/base64.h"
#include "support/mime_header.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = nura::fuzz::Bytes(data, size);
  nura::Base64Decode(input);
  if (nura::Base64Decode(nura::Base64Encode(input)) != input) __builtin_trap();
  nura::DecodeMimeHeader(input);
  nura::CutAtBinary(input);
  return 0;
}
