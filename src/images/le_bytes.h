// Little-endian bytes of the Windows picture formats: a writer appending
// to a byte string, and bounds-checked reads from a block of memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nura {

class TByteWriter {
 public:
  void U8(unsigned v) { bytes_.push_back(static_cast<char>(v & 0xFF)); }
  void U16(unsigned v) { U8(v), U8(v >> 8); }
  void U32(uint32_t v) { U16(v & 0xFFFF), U16(v >> 16); }
  void Bytes(const std::vector<uint8_t>& v) { bytes_.append(v.begin(), v.end()); }
  void Bytes(const uint8_t* p, size_t n) { bytes_.append(reinterpret_cast<const char*>(p), n); }
  const std::string& Data() const { return bytes_; }
  std::string& Data() { return bytes_; }

 private:
  std::string bytes_;
};

// Values at `offset` of `p`; the caller has checked that they lie inside.
inline uint16_t LeU16(const uint8_t* p, size_t offset) {
  return static_cast<uint16_t>(p[offset] | (p[offset + 1] << 8));
}
inline uint32_t LeU32(const uint8_t* p, size_t offset) {
  return static_cast<uint32_t>(p[offset]) | (static_cast<uint32_t>(p[offset + 1]) << 8) |
         (static_cast<uint32_t>(p[offset + 2]) << 16) | (static_cast<uint32_t>(p[offset + 3]) << 24);
}
inline int32_t LeI32(const uint8_t* p, size_t offset) { return static_cast<int32_t>(LeU32(p, offset)); }

}  // namespace nura
