#include "engine/number_format.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace nura {

namespace {

constexpr int kPrecision = 15;

// The significant digits (trailing zeros removed, at least one digit) and
// the decimal exponent of the first digit: value = d.ddd * 10^exponent.
void SplitDigits(long double magnitude, std::string& digits, int& exponent) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*Le", kPrecision - 1, magnitude);
  // buffer looks like "d.dddddddddddddde[+-]xx"
  const char* e = buffer;
  while (*e != 'e' && *e != '\0') ++e;
  digits.clear();
  for (const char* p = buffer; p < e; ++p) {
    if (*p >= '0' && *p <= '9') digits += *p;
  }
  exponent = *e == 'e' ? std::atoi(e + 1) : 0;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
}

std::string Scientific(const std::string& digits, int exponent) {
  std::string out(1, digits[0]);
  if (digits.size() > 1) out += "." + digits.substr(1);
  return out + "E" + std::to_string(exponent);
}

std::string Fixed(const std::string& digits, int exponent) {
  if (exponent < 0) return "0." + std::string(-exponent - 1, '0') + digits;
  const size_t integer_digits = static_cast<size_t>(exponent) + 1;
  if (digits.size() <= integer_digits) {
    return digits + std::string(integer_digits - digits.size(), '0');
  }
  return digits.substr(0, integer_digits) + "." + digits.substr(integer_digits);
}

// Numbers that are not whole numbers of up to 15 digits, through printf.
std::string FormatThroughDigits(long double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  std::string digits;
  int exponent = 0;
  SplitDigits(std::fabs(value), digits, exponent);
  const bool scientific = exponent >= kPrecision || exponent < -5;
  const std::string body =
      scientific ? Scientific(digits, exponent) : Fixed(digits, exponent);
  return value < 0 ? "-" + body : body;
}

}  // namespace

void FormatWholeTo(int64_t whole, std::string& out) { WholeDigits(whole).WriteTo(out); }

void FormatGeneralTo(long double value, std::string& out) {
  // Whole numbers of up to 15 digits (and both zeros) print exactly as
  // integers; this is the common case and avoids formatting through printf.
  int64_t whole = 0;
  if (ReadWholeNumber(value, whole)) {
    FormatWholeTo(whole, out);
    return;
  }
  out = FormatThroughDigits(value);
}

std::string FormatGeneral(long double value) {
  std::string out;
  FormatGeneralTo(value, out);
  return out;
}

}  // namespace nura
