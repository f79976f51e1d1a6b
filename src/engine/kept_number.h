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

// A text of at most 16 bytes as two words and its size. The words are read
// (and written) at its start and at its end, overlapping rather than
// passing the end; with the size they give every byte. Writing the words
// as they are read lets a later reading take them straight from the
// writing.
struct TShortText {
  static constexpr size_t kMaxSize = 16;
  uint64_t first = 0, second = 0;
  size_t size = 0;

  // `text` must be at most kMaxSize bytes long.
  static TShortText Of(const std::string& text) {
    TShortText packed;
    const char* p = text.data();
    const size_t n = packed.size = text.size();
    if (n >= 8) {
      std::memcpy(&packed.first, p, 8);
      std::memcpy(&packed.second, p + n - 8, 8);
    } else if (n >= 4) {
      uint32_t head = 0, tail = 0;
      std::memcpy(&head, p, 4);
      std::memcpy(&tail, p + n - 4, 4);
      packed.first = head;
      packed.second = tail;
    } else {
      for (size_t i = 0; i < n; ++i) packed.first |= static_cast<uint64_t>(static_cast<unsigned char>(p[i])) << 8 * i;
    }
    return packed;
  }

  // The text of `size` bytes whose first bytes (up to 8 or 16 by the
  // width of TBytes, little-endian) are `bytes`.
  template <class TBytes>
  static TShortText FromBytes(TBytes bytes, size_t size) {
    TShortText packed;
    packed.size = size;
    if (size >= 8) {
      packed.first = static_cast<uint64_t>(bytes);
      packed.second = static_cast<uint64_t>(bytes >> (8 * (size - 8)));
    } else if (size >= 4) {
      packed.first = static_cast<uint32_t>(bytes);
      packed.second = static_cast<uint32_t>(bytes >> (8 * (size - 4)));
    } else {
      packed.first = static_cast<uint64_t>(bytes) & ((uint64_t{1} << 8 * size) - 1);
    }
    return packed;
  }

  void WriteTo(std::string& out) const {
    out.resize(size);
    char* p = out.data();
    if (size >= 8) {
      std::memcpy(p, &first, 8);
      std::memcpy(p + size - 8, &second, 8);
    } else if (size >= 4) {
      const uint32_t head = static_cast<uint32_t>(first), tail = static_cast<uint32_t>(second);
      std::memcpy(p, &head, 4);
      std::memcpy(p + size - 4, &tail, 4);
    } else {
      for (size_t i = 0; i < size; ++i) p[i] = static_cast<char>(first >> 8 * i);
    }
  }

  // Adds `delta` to the last byte (where it stands in either word).
  void AddToLast(uint64_t delta) {
    const size_t width = size >= 8 ? 8 : size >= 4 ? 4 : size;
    const uint64_t step = delta << 8 * (width - 1);
    if (size >= 4) second += step;
    if (size == width) first += step;
  }

  bool operator==(const TShortText&) const = default;
};

class TKeptNumber {
 public:
  // Keeps `number` for the text `digits`, its general format.
  void Keep(const TShortText& digits, int64_t number) {
    // Field by field: a copy of the whole would read the fields just
    // written back in another width, which stalls.
    text_.first = digits.first;
    text_.second = digits.second;
    text_.size = digits.size;
    number_ = number;
  }
  void Keep(const std::string& digits, int64_t number) {
    if (digits.size() > TShortText::kMaxSize) {
      text_.size = kNothing;
      return;
    }
    Keep(TShortText::Of(digits), number);
  }

  // Counting up by one: when `text` is the kept one, the kept number is
  // `number` - 1 (not negative) and its last digit is below 9, only that
  // digit changes, in place. False (nothing done) otherwise.
  bool CountUp(std::string& text, int64_t number) {
    if (number_ < 0 || number_ + 1 != number || text.empty() || text.back() >= '9') return false;
    int64_t kept = 0;
    if (!Read(text, kept)) return false;
    ++text.back();
    text_.AddToLast(1);
    number_ = number;
    return true;
  }

  // The number kept for `text`; false when `text` is not the kept one.
  bool Read(const std::string& text, int64_t& number) const {
    if (text.size() != text_.size || !(TShortText::Of(text) == text_)) return false;
    number = number_;
    return true;
  }

 private:
  static constexpr size_t kNothing = ~size_t{0};
  TShortText text_{0, 0, kNothing};
  int64_t number_ = 0;
};

}  // namespace nura
