// The arithmetic behind the number commands: checked conversions to
// integers, rounding at a decimal place, statistics over a list, 32-bit
// bit operations, hexadecimal text and padding. Failures throw the
// run-time's errors (ERangeError, EDivByZero, the floating-point errors);
// nothing here wraps silently or traps the process.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nura {

// Truncated toward zero; outside the integer's range (or NaN) is a range
// error.
int32_t TruncToInt32(long double value);
int64_t TruncToInt64(long double value);
// Rounded to the nearest integer, an exact half to the even neighbour.
int64_t RoundToInt64(long double value);

// A floating-point result checked like the processor's exceptions: NaN is
// an invalid operation, an infinity an overflow.
long double CheckFloat(long double value);
// first / second with the processor's errors: 0 / 0 invalid, x / 0 a
// division by zero.
long double CheckedDivide(long double first, long double second);

// The fraction part of a number text already folded to half width: the
// text from its first "." on, with "0" before it; "0" when it has none.
std::string FractionText(std::string_view text);

// Statistics over a list of numbers (never empty for the commands).
long double Sum(const std::vector<long double>& values);
long double Mean(const std::vector<long double>& values);
// Sum of squared deviations / n.
long double PopulationVariance(const std::vector<long double>& values);
// Square root of (sum of squared deviations / (n - 1)); none for fewer
// than two values.
std::optional<long double> SampleStandardDeviation(const std::vector<long double>& values);
long double Maximum(const std::vector<long double>& values);
long double Minimum(const std::vector<long double>& values);

// Remainder with the sign of the first (truncating division); by 0 is
// EDivByZero, and the one quotient that does not fit (-2^31 by -1) is a
// range error.
int32_t Remainder(int32_t first, int32_t second);
// Logical shift right of the bits of `value` by (bits AND 31).
int32_t ShiftRight(int32_t value, int32_t bits);
// Shift left by (bits AND 31); the 32-bit result.
int32_t ShiftLeft(int32_t value, int32_t bits);
// Upper-case hexadecimal, at least two digits; a negative value gives its
// eight-digit two's complement.
std::string HexText(int32_t value);

// `pad` characters put before `text` up to `width` bytes; a text already
// that long (or a width of 0 or less) is returned as it is.
std::string PadLeft(const std::string& text, int32_t width, char pad);

// The plain integer parse: optional blanks and sign, then decimal digits or
// "$"/"0x" and hexadecimal digits, and nothing after; it must fit 32 bits.
bool ParsePlainInteger(const std::string& text, int32_t& value);

}  // namespace nura
