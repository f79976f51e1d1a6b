// A whole number kept beside a variable's text by the code that wrote or
// read that text as digits, so that the next reading needs no parsing.
// Texts change in many places, so the number counts only while the text is
// byte for byte the one it was kept for: the text's bytes (a whole number
// of at most 15 digits fits in 16) are kept too and compared on reading.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace nura {

class TKeptNumber {
 public:
  // Keeps `number` for `text`, its general format (plain digits).
  void Keep(const std::string& text, int64_t number) {
    if (text.size() > kMaxSize) {
      size_ = kNothing;
      return;
    }
    Pack(text, first_, second_);
    size_ = static_cast<uint8_t>(text.size());
    number_ = number;
  }

  // The number kept for `text`; false when `text` is not the kept one.
  bool Read(const std::string& text, int64_t& number) const {
    if (text.size() != size_) return false;
    uint64_t first = 0, second = 0;
    Pack(text, first, second);
    if (first != first_ || second != second_) return false;
    number = number_;
    return true;
  }

 private:
  static constexpr size_t kMaxSize = 16;
  static constexpr uint8_t kNothing = 0xFF;

  // The bytes of a text of at most 16 bytes as two words, by reads that
  // overlap rather than pass its end: with the size, they give every byte.
  static void Pack(const std::string& text, uint64_t& first, uint64_t& second) {
    const char* p = text.data();
    const size_t n = text.size();
    if (n >= 8) {
      std::memcpy(&first, p, 8);
      std::memcpy(&second, p + n - 8, 8);
    } else if (n >= 4) {
      uint32_t a = 0, b = 0;
      std::memcpy(&a, p, 4);
      std::memcpy(&b, p + n - 4, 4);
      first = a;
      second = b;
    } else {
      first = n == 0 ? 0
                     : static_cast<unsigned char>(p[0]) | static_cast<unsigned>(static_cast<unsigned char>(p[n / 2])) << 8 |
                           static_cast<unsigned>(static_cast<unsigned char>(p[n - 1])) << 16;
      second = 0;
    }
  }

  uint64_t first_ = 0, second_ = 0;
  int64_t number_ = 0;
  uint8_t size_ = kNothing;
};

}  // namespace nura
