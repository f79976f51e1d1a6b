// The general number format used wherever a number becomes text: at most
// 15 significant digits, trailing zeros dropped, fixed notation unless the
// value is below 0.00001 or has more than 15 integer digits, in which case
// "E" notation without a plus sign or leading exponent zeros ("1E16",
// "2.3283064365387E-10"). The result is plain ASCII.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "engine/kept_number.h"

namespace nura {

std::string FormatGeneral(long double value);
// The same written into `out` (whose buffer is reused).
void FormatGeneralTo(long double value, std::string& out);

// True when the number reads back unchanged from its general format: a
// whole number of at most 15 digits, given in `whole`. (Adding 1.5 * 2^63
// puts the sum between 2^63 and 2^64, where the 64-bit mantissa holds
// whole numbers exactly: the mantissa is then 1.5 * 2^63 plus the number,
// and taking 1.5 * 2^63 away again shows whether it was whole. No switch
// of the x87 rounding mode, as truncl or a cast to an integer would do.)
inline bool ReadWholeNumber(long double value, int64_t& whole) {
  static_assert(std::numeric_limits<long double>::digits == 64, "x87 extended precision expected");
  if (!(value > -1e15L && value < 1e15L)) return false;
  const long double shifted = value + 0x1.8p63L;
  if (shifted - 0x1.8p63L != value) return false;
  uint64_t mantissa = 0;
  std::memcpy(&mantissa, &shifted, sizeof mantissa);
  whole = static_cast<int64_t>(mantissa - 0xC000000000000000u);
  return true;
}

// Reads `text` when it is what the general format writes for a whole
// number: no leading zero, no "-0", at most 15 digits.
inline bool ReadGeneralInteger(const std::string& text, int64_t& value) {
  const size_t sign = !text.empty() && text[0] == '-' ? 1 : 0;
  const size_t digits = text.size() - sign;
  if (digits == 0 || digits > 15 || (text[sign] == '0' && (digits > 1 || sign))) return false;
  int64_t n = 0;
  for (size_t i = sign; i < text.size(); ++i) {
    const unsigned digit = static_cast<unsigned char>(text[i]) - '0';
    if (digit > 9) return false;
    n = n * 10 + digit;
  }
  value = sign ? -n : n;
  return true;
}

// The general format of a whole number of at most 15 digits (its plain
// digits), written into `out` (whose buffer is reused).
void FormatWholeTo(int64_t whole, std::string& out);

// Whole numbers below this magnitude are written as their plain digits.
constexpr int64_t kPlainWholeLimit = 1000000000000000;  // 1e15

namespace digits_detail {

// The number of decimal digits of `value` (1 for 0): estimated from its
// bit width (log10(2) ~ 1233 / 4096), then corrected by one power of ten.
inline size_t DecimalLength(uint64_t value) {
  static constexpr uint64_t kPowers[] = {
      1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000, 10000000000,
      100000000000, 1000000000000, 10000000000000, 100000000000000, 1000000000000000,
      10000000000000000, 100000000000000000, 1000000000000000000, 10000000000000000000u};
  const uint64_t odd = value | 1;  // 0 has one digit; no power of ten is odd but 1
  const size_t estimate = static_cast<size_t>(std::bit_width(odd)) * 1233 >> 12;
  return estimate + (odd >= kPowers[estimate] ? 1 : 0);
}

// The eight decimal digits of `value` (below 1e8, with leading zeros) as
// ASCII, the first digit at the lowest byte: the value split into halves
// of four digits, each into pairs, each into digits, all lanes at once
// (dividing by 100 as * 10486 >> 20 and by 10 as * 103 >> 10, exact in
// these ranges).
inline uint64_t EightDigits(uint64_t value) {
  const uint64_t halves = value / 10000 | (value % 10000) << 32;
  const uint64_t hundreds = (halves * 10486 >> 20) & 0x0000007F0000007Fu;
  const uint64_t pairs = hundreds | (halves - hundreds * 100) << 16;
  const uint64_t tens = (pairs * 103 >> 10) & 0x000F000F000F000Fu;
  const uint64_t digits = tens | (pairs - tens * 10) << 8;
  return digits + 0x3030303030303030u;
}

}  // namespace digits_detail

// The general format of a whole number above -1e15 and below 1e15 as a
// short text, computed in registers (inline, so that it stays there).
inline TShortText WholeDigits(int64_t whole) {
  using namespace digits_detail;
  const uint64_t magnitude = whole < 0 ? 0 - static_cast<uint64_t>(whole) : static_cast<uint64_t>(whole);
  const size_t digits = DecimalLength(magnitude);
  const size_t size = digits + (whole < 0 ? 1 : 0);
  if (size <= 8) {  // the common case in one word
    uint64_t bytes = EightDigits(magnitude) >> 8 * (8 - digits);
    if (whole < 0) bytes = bytes << 8 | '-';
    return TShortText::FromBytes(bytes, size);
  }
  // Sixteen digits with leading zeros, the first at the lowest byte; the
  // leading zeros shifted out, the sign shifted in.
  unsigned __int128 bytes = static_cast<unsigned __int128>(EightDigits(magnitude % 100000000)) << 64 |
                            EightDigits(magnitude / 100000000);
  bytes >>= 8 * (16 - digits);
  if (whole < 0) bytes = bytes << 8 | '-';
  return TShortText::FromBytes(bytes, size);
}

inline bool ReadsBackExactly(long double value) {
  int64_t whole = 0;
  return ReadWholeNumber(value, whole);
}

}  // namespace nura
