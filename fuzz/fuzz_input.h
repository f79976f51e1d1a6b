// Shared pieces of the fuzz targets. Each target defines
// LLVMFuzzerTestOneInput; libFuzzer drives it under `make fuzz`, and its
// seed corpus replays as an ordinary test.
// Expected failures of untrusted input are the run-time's error
// exceptions (std::runtime_error and its descendants); anything else that
// escapes (a logic error, an allocation failure) is a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nura::fuzz {

inline std::string Bytes(const uint8_t* data, size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// Splits the input at its first NUL byte: the part before and the rest.
inline void SplitAtNul(std::string_view input, std::string_view& first, std::string_view& rest) {
  const size_t nul = input.find('\0');
  first = input.substr(0, nul);
  rest = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
}

// Decodes the input with a picture reader (data, picture); a damaged file
// may only raise the run-time's errors.
template <class Picture, class Reader>
int ReadPicture(Reader read, const uint8_t* data, size_t size) {
  Picture picture;
  try {
    read(Bytes(data, size), picture);
  } catch (const std::runtime_error&) {
  }
  return 0;
}

}  // namespace nura::fuzz
