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
    WriteOver(out.data());
  }
  // Writes the `size` bytes at `p`, in the widths Of reads them.
  void WriteOver(char* p) const {
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
  void AddToLast(uint64_t delta) { AddToLast(first, second, size, delta); }
  static void AddToLast(uint64_t& first, uint64_t& second, size_t size, uint64_t delta) {
    const size_t width = size >= 8 ? 8 : size >= 4 ? 4 : size;
    const uint64_t step = delta << 8 * (width - 1);
    if (size >= 4) second += step;
    if (size == width) first += step;
  }

  bool operator==(const TShortText&) const = default;
};

// Every word of the word table holds one, so it is packed into three
// words: the text's two, and the number (at most 55 bits and a sign, which
// every text of up to 16 digits fits) above the text's size.
//
// A number may also be kept before its text is written: the word's text is
// then the number's general format, still to be made (Pending). Whoever
// reads the text writes it first (THashNode::Value).
class TKeptNumber {
 public:
  // Keeps `number`, of at most 16 digits with its sign, for a text not yet
  // written.
  static bool FitsPending(int64_t number) { return number > -kPendingBound / 10 && number < kPendingBound; }
  void KeepPending(int64_t number) { packed_ = static_cast<uint64_t>(number) << 8 | kPendingSize; }
  bool Pending() const { return (packed_ & 0xff) == kPendingSize; }
  int64_t PendingNumber() const { return Number(); }

  // Keeps `number` for the text `digits`, its general format.
  void Keep(const TShortText& digits, int64_t number) {
    if (number < -kLimit || number >= kLimit) {
      packed_ = kNothing;
      return;
    }
    // Field by field: a copy of the whole would read the fields just
    // written back in another width, which stalls.
    first_ = digits.first;
    second_ = digits.second;
    packed_ = static_cast<uint64_t>(number) << 8 | digits.size;
  }
  void Keep(const std::string& digits, int64_t number) {
    if (digits.size() > TShortText::kMaxSize) {
      packed_ = kNothing;
      return;
    }
    Keep(TShortText::Of(digits), number);
  }

  // Counting up by one: when `text` is the kept one, the kept number is
  // `number` - 1 (not negative) and its last digit is below 9, only that
  // digit changes, in place. False (nothing done) otherwise.
  bool CountUp(std::string& text, int64_t number) {
    const int64_t kept = Number();
    if (Pending()) {
      if (kept + 1 != number || !FitsPending(number)) return false;
      packed_ += uint64_t{1} << 8;
      return true;
    }
    if (kept < 0 || kept + 1 != number || number >= kLimit || text.empty() || text.back() >= '9') return false;
    if (!Holds(text)) return false;
    TShortText::AddToLast(first_, second_, text.size(), 1);
    // The words go back whole, as Holds reads them: a reading right after
    // takes them from this writing instead of waiting for it to land.
    TShortText{first_, second_, text.size()}.WriteOver(text.data());
    packed_ += uint64_t{1} << 8;
    return true;
  }

  // The number kept for `text`; false when `text` is not the kept one.
  bool Read(const std::string& text, int64_t& number) const {
    if (!Holds(text)) return false;
    number = Number();
    return true;
  }

 private:
  static constexpr int64_t kLimit = int64_t{1} << 55;
  // Sizes no text of TShortText has: nothing kept, and a text to write.
  static constexpr uint64_t kNothing = 0xff;
  static constexpr uint64_t kPendingSize = 0xfe;
  // A pending number's text fits TShortText: 16 digits, or a sign and 15.
  static constexpr int64_t kPendingBound = 10000000000000000;

  int64_t Number() const { return static_cast<int64_t>(packed_) >> 8; }
  bool Holds(const std::string& text) const {
    const size_t size = packed_ & 0xff;
    if (text.size() != size || size > TShortText::kMaxSize) return false;
    const TShortText packed = TShortText::Of(text);
    return packed.first == first_ && packed.second == second_;
  }

  uint64_t first_ = 0, second_ = 0;
  uint64_t packed_ = kNothing;
};

}  // namespace nura
