#include "engine/era_date.h"

#include <array>

#include "platform/sjis.h"

namespace nura {
namespace {

struct Era {
  int firstYear;  // Gregorian year of the era's first year (元年)
  const char* name;
};

// Newest first.
constexpr std::array<Era, 5> kEras = {{
    {2019, "令和"}, {1989, "平成"}, {1926, "昭和"}, {1912, "大正"}, {1869, "明治"},
}};

}  // namespace

std::string FormatJapaneseEraDate(int year, int month, int day) {
  for (const Era& era : kEras) {
    if (year < era.firstYear) continue;
    const int eraYear = year - era.firstYear + 1;
    const std::string number = eraYear == 1 ? SJ("元") : std::to_string(eraYear);
    return SJ(era.name) + number + SJ("年") + std::to_string(month) + SJ("月") +
           std::to_string(day) + SJ("日");
  }
  return std::string();
}

}  // namespace nura
