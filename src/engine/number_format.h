// The general number format used wherever a number becomes text: at most
// 15 significant digits, trailing zeros dropped, fixed notation unless the
// value is below 0.00001 or has more than 15 integer digits, in which case
// "E" notation without a plus sign or leading exponent zeros ("1E16",
// "2.3283064365387E-10"). The result is plain ASCII.
#pragma once

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

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

// The general format of a whole number of at most 15 digits (its plain
// digits), written into `out` (whose buffer is reused).
void FormatWholeTo(int64_t whole, std::string& out);

inline bool ReadsBackExactly(long double value) {
  int64_t whole = 0;
  return ReadWholeNumber(value, whole);
}

}  // namespace nura
