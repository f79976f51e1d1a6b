// Dates and times of the script language. A date-time is held as whole days
// since 30 December 1899 and the seconds into that day, so dates before
// that day (negative day numbers) compute like any other.
//
// The one parser of date and time texts serves the date commands and the
// table query's dates. It accepts "yyyy/m/d", "yyyy-m-d", "h:n", "h:n:s"
// and a date and a time joined by blanks; a two-digit year 00-49 is 20xx,
// 50-99 is 19xx.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace nura {

struct TDateTime {
  int64_t days = 0;     // days since 1899-12-30, negative before it
  int32_t seconds = 0;  // seconds into the day, 0 .. 86399
  auto operator<=>(const TDateTime&) const = default;
};

struct TCivilDate {
  int year = 1899;
  int month = 12;
  int day = 30;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
int64_t DaysFromCivil(const TCivilDate& date);
TCivilDate CivilFromDays(int64_t days);

// Reads a date, a time, or both. False when the text is none of the
// accepted forms or names no valid date or time.
bool ParseDateTime(std::string_view text, TDateTime& result);

// The local clock.
TDateTime CurrentDateTime();

std::string FormatDate(const TDateTime& value);  // "yyyy/mm/dd"
std::string FormatTime(const TDateTime& value);  // "hh:nn:ss"

// 1 Sunday .. 7 Saturday.
int DayOfWeek(const TDateTime& value);

// first - second in seconds.
int64_t SecondsBetween(const TDateTime& first, const TDateTime& second);

// The offset arithmetic of the date commands. The offset is an optional
// "+" or "-" and then "h:m:s" or "y/m/d"; a part that is not a number
// counts 0 and a part above 65535 is a range error.
// Fields change separately with carries; the hour wraps modulo 24 and the
// result is a time of day only.
TDateTime AddTimeOffset(std::string_view offset, const TDateTime& value);
// Years and months first (the day clamped to the month's length), then
// days with carries. A subtraction that ends below the year 1900, or any
// result beyond the year 9999, is a range error.
TDateTime AddDateOffset(std::string_view offset, const TDateTime& value);

}  // namespace nura
