#include "support/number_functions.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "engine/errors.h"

namespace nura {

int32_t TruncToInt32(long double value) {
  const long double cut = std::trunc(value);
  if (!(cut >= -2147483648.0L && cut <= 2147483647.0L)) throw ERangeError();
  return static_cast<int32_t>(cut);
}

int64_t TruncToInt64(long double value) {
  const long double cut = std::trunc(value);
  if (!(cut >= -9223372036854775808.0L && cut < 9223372036854775808.0L)) throw ERangeError();
  return static_cast<int64_t>(cut);
}

int64_t RoundToInt64(long double value) {
  // nearbyint uses the default rounding mode: to nearest, halves to even.
  return TruncToInt64(std::nearbyint(value));
}

long double CheckFloat(long double value) {
  if (std::isnan(value)) throw EInvalidOp();
  if (std::isinf(value)) throw EOverflow();
  return value;
}

long double CheckedDivide(long double first, long double second) {
  if (second == 0) {
    if (first == 0 || std::isnan(first)) throw EInvalidOp();
    throw EZeroDivide();
  }
  return CheckFloat(first / second);
}

std::string FractionText(std::string_view text) {
  const size_t dot = text.find('.');
  if (dot == std::string_view::npos) return "0";
  return "0" + std::string(text.substr(dot));
}

long double Sum(const std::vector<long double>& values) {
  long double total = 0;
  for (long double v : values) total += v;
  return CheckFloat(total);
}

long double Mean(const std::vector<long double>& values) {
  return CheckedDivide(Sum(values), static_cast<long double>(values.size()));
}

namespace {

long double SquaredDeviations(const std::vector<long double>& values) {
  const long double mean = Mean(values);
  long double total = 0;
  for (long double v : values) total += (v - mean) * (v - mean);
  return CheckFloat(total);
}

}  // namespace

long double PopulationVariance(const std::vector<long double>& values) {
  return CheckedDivide(SquaredDeviations(values), static_cast<long double>(values.size()));
}

std::optional<long double> SampleStandardDeviation(const std::vector<long double>& values) {
  if (values.size() < 2) return std::nullopt;
  return std::sqrt(SquaredDeviations(values) / static_cast<long double>(values.size() - 1));
}

long double Maximum(const std::vector<long double>& values) {
  return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

long double Minimum(const std::vector<long double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

int32_t Remainder(int32_t first, int32_t second) {
  if (second == 0) throw EDivByZero();
  if (second == -1 && first == INT32_MIN) throw ERangeError();
  return first % second;
}

int32_t ShiftRight(int32_t value, int32_t bits) {
  return static_cast<int32_t>(static_cast<uint32_t>(value) >> (bits & 31));
}

int32_t ShiftLeft(int32_t value, int32_t bits) {
  return static_cast<int32_t>(static_cast<uint32_t>(value) << (bits & 31));
}

std::string HexText(int32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02X", static_cast<uint32_t>(value));
  return buffer;
}

std::string PadLeft(const std::string& text, int32_t width, char pad) {
  if (width <= 0 || text.size() >= static_cast<size_t>(width)) return text;
  CheckGrowth(static_cast<uint64_t>(width));
  return std::string(static_cast<size_t>(width) - text.size(), pad) + text;
}

bool ParsePlainInteger(const std::string& text, int32_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  const std::string digits = text.substr(i);
  if (digits.empty() || digits[0] == '+' || digits[0] == '-' || digits[0] == ' ') return false;
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(digits.c_str(), &end, base);
  if (errno != 0 || *end != '\0') return false;
  const long long signed_value = negative ? -parsed : parsed;
  if (signed_value < INT32_MIN || signed_value > INT32_MAX) return false;
  value = static_cast<int32_t>(signed_value);
  return true;
}

}  // namespace nura
