#include "commands/format_directive.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "support/number_functions.h"
#include "engine/number_format.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr int kMaxWidth = 65535;
constexpr int kMaxFloatDigits = 18;

struct Directive {
  bool left = false;
  int width = -1;
  int precision = -1;
  char letter = 0;
};

// A run of digits; a count above kMaxWidth reads as kMaxWidth + 1, which
// no directive accepts.
bool ReadCount(std::string_view format, size_t& pos, int& value) {
  value = 0;
  const size_t start = pos;
  while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') {
    value = std::min(value * 10 + (format[pos] - '0'), kMaxWidth + 1);
    ++pos;
  }
  return pos > start;
}

// Reads a directive after its "%"; false when malformed. `index` is set
// when an argument index ("0:") is given.
bool ReadDirective(std::string_view format, size_t& pos, Directive& d, int& index) {
  index = -1;
  int number = 0;
  if (ReadCount(format, pos, number)) {
    if (pos < format.size() && format[pos] == ':') {
      index = number;
      ++pos;
    } else {
      d.width = number;
    }
  }
  if (d.width < 0) {
    if (pos < format.size() && format[pos] == '-') {
      d.left = true;
      ++pos;
    }
    if (ReadCount(format, pos, number)) d.width = number;
  }
  if (pos < format.size() && format[pos] == '.') {
    ++pos;
    if (!ReadCount(format, pos, d.precision)) return false;
  }
  if (pos >= format.size() || d.width > kMaxWidth || d.precision > kMaxWidth) return false;
  d.letter = static_cast<char>(format[pos] | 0x20);  // letters are case-insensitive
  ++pos;
  return std::string_view("duxefgnms").find(d.letter) != std::string_view::npos;
}

std::string GroupThousands(const std::string& fixed) {
  size_t start = fixed[0] == '-' ? 1 : 0;
  size_t end = fixed.find('.');
  if (end == std::string::npos) end = fixed.size();
  std::string out = fixed.substr(0, start);
  for (size_t i = start; i < end; ++i) {
    if (i > start && (end - i) % 3 == 0) out += ',';
    out += fixed[i];
  }
  return out + fixed.substr(end);
}

std::string Fixed(long double value, int decimals) {
  char buffer[5000];
  std::snprintf(buffer, sizeof buffer, "%.*Lf", decimals, value);
  return buffer;
}

std::string Scientific(long double value, int digits) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*LE", digits - 1, value);
  // The mantissa as printed, the exponent signed and at least three digits.
  std::string text = buffer;
  const size_t e = text.find('E');
  const int exponent = std::atoi(text.c_str() + e + 1);
  char tail[16];
  std::snprintf(tail, sizeof tail, "E%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return text.substr(0, e) + tail;
}

std::string General(long double value, int digits) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*Le", digits - 1, value);
  return FormatGeneral(std::strtold(buffer, nullptr));
}

std::string Integer(int64_t value, int min_digits, bool is_hex) {
  char buffer[32];
  const uint64_t magnitude = value < 0 && !is_hex ? 0 - static_cast<uint64_t>(value)
                                                  : static_cast<uint64_t>(value);
  std::snprintf(buffer, sizeof buffer, is_hex ? "%llX" : "%llu",
                static_cast<unsigned long long>(magnitude));
  std::string digits = buffer;
  if (min_digits > static_cast<int>(digits.size()))
    digits.insert(0, static_cast<size_t>(min_digits) - digits.size(), '0');
  return (value < 0 && !is_hex ? "-" : "") + digits;
}

std::string Currency(long double value, int decimals) {
  std::string grouped = GroupThousands(Fixed(std::fabs(value), decimals));
  const std::string yen = "\\";  // the yen sign of code page 932
  return (value < 0 ? "-" : "") + yen + grouped;
}

// Leaves the text whole at two-byte characters when cutting to `count`.
std::string CutText(const std::string& text, int count) {
  if (count < 0 || static_cast<size_t>(count) >= text.size()) return text;
  size_t i = 0;
  while (i < static_cast<size_t>(count)) {
    const size_t step = IsSjisLead(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + step > static_cast<size_t>(count)) break;
    i += step;
  }
  return text.substr(0, i);
}

std::string Convert(const Directive& d, const std::string& text, long double number) {
  const int precision = std::min(d.precision, kMaxFloatDigits);
  const auto real = [number] { return CheckFloat(number); };
  switch (d.letter) {
    case 'd': return Integer(TruncToInt64(number), d.precision, false);
    case 'u': return Integer(TruncToInt64(number), d.precision, false);
    case 'x': return Integer(TruncToInt64(number), d.precision, true);
    case 'e': return Scientific(real(), d.precision < 0 ? 15 : std::max(precision, 1));
    case 'f': return Fixed(real(), d.precision < 0 ? 2 : precision);
    case 'g': return General(real(), d.precision < 0 ? 15 : std::clamp(precision, 1, 15));
    case 'n': return GroupThousands(Fixed(real(), d.precision < 0 ? 2 : precision));
    case 'm': return Currency(real(), d.precision < 0 ? 0 : precision);
    default: return CutText(text, d.precision);
  }
}

std::string Pad(const std::string& text, const Directive& d) {
  if (d.width <= static_cast<int>(text.size())) return text;
  const std::string fill(static_cast<size_t>(d.width) - text.size(), ' ');
  return d.left ? text + fill : fill + text;
}

}  // namespace

std::optional<std::string> FormatOneValue(std::string_view format, const std::string& text,
                                          long double number) {
  std::string out;
  int next = 0;
  size_t pos = 0;
  while (pos < format.size()) {
    const char c = format[pos++];
    if (c != '%') {
      out += c;
      continue;
    }
    if (pos < format.size() && format[pos] == '%') {
      out += '%';
      ++pos;
      continue;
    }
    Directive d;
    int index = -1;
    if (!ReadDirective(format, pos, d, index)) return std::nullopt;
    if (index >= 0) next = index;
    if (next != 0) return std::nullopt;  // only one value to format
    ++next;
    out += Pad(Convert(d, text, number), d);
  }
  return out;
}

}  // namespace nura
