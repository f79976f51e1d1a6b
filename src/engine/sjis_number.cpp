// The lenient number reader and the thousands formatter.
#include <algorithm>
#include <cstdint>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "engine/sjis_text.h"

namespace nura {
namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

size_t SkipDigits(std::string_view s, size_t i) {
  while (i < s.size() && IsDigit(s[i])) ++i;
  return i;
}

// "$" followed by one to eight significant hexadecimal digits, read as a
// 32-bit integer; anything else gives 0.
long double ReadHexInteger(std::string_view s) {
  std::string_view digits = s.substr(1);
  if (digits.empty()) return 0;
  uint64_t value = 0;
  for (char c : digits) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return 0;
    value = value * 16 + static_cast<uint64_t>(std::isdigit(static_cast<unsigned char>(c))
                                                   ? c - '0'
                                                   : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
    if (value > 0xFFFFFFFFu) return 0;
  }
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

// Length of the longest number at the start of `s` (after the sign): digits,
// and only after a "." a fraction and an exponent.
size_t DecimalPrefixLength(std::string_view s) {
  size_t i = SkipDigits(s, 0);
  if (i >= s.size() || s[i] != '.') return i;
  i = SkipDigits(s, i + 1);
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j < s.size() && IsDigit(s[j])) i = SkipDigits(s, j);
  }
  return i;
}

}  // namespace

bool ReadPlainInteger(std::string_view text, long double& value) {
  const bool negative = !text.empty() && text[0] == '-';
  const std::string_view digits = negative ? text.substr(1) : text;
  if (digits.empty() || digits.size() > 18) return false;
  int64_t n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  value = static_cast<long double>(negative ? -n : n);
  return true;
}

long double TextToNumber(std::string_view text) {
  long double plain = 0;
  if (ReadPlainInteger(text, plain)) return plain;
  const std::string_view head = text.substr(0, 254);
  // Plain ASCII maps to itself: skip the width mapping for it.
  const bool ascii = std::all_of(head.begin(), head.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  std::string s = ascii ? std::string(head) : ToHalfWidth(head);
  std::erase(s, ',');
  s = TrimText(s);
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  std::string_view v = std::string_view(s).substr(i);
  if (v.empty()) return 0;
  if (v[0] == '$') return ReadHexInteger(v);
  bool negative = false;
  if (v[0] == '+' || v[0] == '-') {
    negative = v[0] == '-';
    v.remove_prefix(1);
  }
  const std::string number(v.substr(0, DecimalPrefixLength(v)));
  if (number.find_first_of("0123456789") == std::string::npos) return 0;
  const long double value = std::strtold(number.c_str(), nullptr);
  return negative ? -value : value;
}

bool ReadIntegerText(std::string_view text, int32_t& value) {
  const std::string trimmed = TrimText(text);
  std::string_view v = trimmed;
  const bool negative = !v.empty() && v[0] == '-';
  if (negative) v.remove_prefix(1);
  const bool hex = !v.empty() && v[0] == '$';
  if (hex) v.remove_prefix(1);
  if (v.empty() || v.size() > (hex ? 8u : 10u)) return false;
  int64_t n = 0;
  for (const char c : v) {
    int digit = -1;
    if (IsDigit(c)) digit = c - '0';
    else if (hex && std::isxdigit(static_cast<unsigned char>(c)))
      digit = std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
    if (digit < 0) return false;
    n = n * (hex ? 16 : 10) + digit;
  }
  if (hex) n = static_cast<int32_t>(static_cast<uint32_t>(n));
  if (negative) n = -n;
  if (n < INT32_MIN || n > INT32_MAX) return false;
  value = static_cast<int32_t>(n);
  return true;
}

bool IsNumericText(std::string_view text) {
  if (text.empty() || !IsDigit(text[0])) return false;
  for (char c : text.substr(1)) {
    if (!IsDigit(c) && c != '+' && c != '-' && c != '.' && c != 'E' && c != 'e') return false;
  }
  return true;
}

std::string FormatThousands(std::string_view text) {
  const bool withFraction = text.find('.') != std::string_view::npos;
  long double value = std::round(TextToNumber(text) * 10000.0L) / 10000.0L;
  const int decimals = withFraction ? 2 : 0;
  const long double scale = withFraction ? 100.0L : 1.0L;
  value = std::round(value * scale) / scale;  // half away from zero
  if (!std::isfinite(value)) return "0";
  const long double magnitude = std::fabs(value);
  std::string digits(static_cast<size_t>(std::snprintf(nullptr, 0, "%.*Lf", decimals, magnitude)), '\0');
  std::snprintf(digits.data(), digits.size() + 1, "%.*Lf", decimals, magnitude);
  const size_t dot = digits.find('.');
  const size_t intLen = dot == std::string::npos ? digits.size() : dot;
  std::string out;
  for (size_t k = 0; k < intLen; ++k) {
    if (k > 0 && (intLen - k) % 3 == 0) out += ',';
    out += digits[k];
  }
  out += digits.substr(intLen);
  const bool isZero = out.find_first_not_of("0.,") == std::string::npos;
  return (value < 0 && !isZero) ? "-" + out : out;
}

}  // namespace nura
