// The general number format used wherever a number becomes text: at most
// 15 significant digits, trailing zeros dropped, fixed notation unless the
// value is below 0.00001 or has more than 15 integer digits, in which case
// "E" notation without a plus sign or leading exponent zeros ("1E16",
// "2.3283064365387E-10"). The result is plain ASCII.
#pragma once

#include <string>

namespace nura {

std::string FormatGeneral(long double value);
// The same written into `out` (whose buffer is reused).
void FormatGeneralTo(long double value, std::string& out);

// True when the number reads back unchanged from its general format: a
// whole number of at most 15 digits. (Adding and taking away 1.5 * 2^63
// rounds to a whole number in the 64-bit mantissa, where the sum lies
// between 2^63 and 2^64, without switching the x87 rounding mode as truncl
// does.)
inline bool ReadsBackExactly(long double value) {
  if (!(value > -1e15L && value < 1e15L)) return false;
  const long double whole = (value + 0x1.8p63L) - 0x1.8p63L;
  return whole == value;
}

}  // namespace nura
