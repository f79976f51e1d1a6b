// Japanese era dates.
#pragma once

#include <string>

namespace nura {

// "平成2年3月4日" for 1990-03-04; the first year of an era is "元年". Eras by
// Gregorian year: 明治 from 1869, 大正 1912, 昭和 1926, 平成 1989, 令和 2019.
// Empty before 1869.
std::string FormatJapaneseEraDate(int year, int month, int day);

}  // namespace nura
