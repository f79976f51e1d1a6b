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

struct TDateTimeValue {
  int64_t days = 0;     // days since 1899-12-30, negative before it
  int32_t seconds = 0;  // seconds into the day, 0 .. 86399
  auto operator<=>(const TDateTimeValue&) const = default;
};

// A calendar day of the proleptic Gregorian calendar.
struct TCivilDate {
  int year = 1899;
  int month = 12;
  int day = 30;
};

// Day numbers (days since 1899-12-30) and calendar days, both ways.
int64_t DaysFromCivil(const TCivilDate& date);
TCivilDate CivilFromDays(int64_t days);

// The value as days since 1899-12-30 with the time of day as the
// fraction counted forward from midnight (also before that day).
double DateTimeToSerial(const TDateTimeValue& value);

// Reads a date, a time, or both. False when the text is none of the
// accepted forms or names no valid date or time.
bool ParseDateTime(std::string_view text, TDateTimeValue& result);

// The local clock.
TDateTimeValue CurrentDateTime();

std::string FormatDate(const TDateTimeValue& value);  // "yyyy/mm/dd"
std::string FormatTime(const TDateTimeValue& value);  // "hh:nn:ss"

// 1 Sunday .. 7 Saturday.
int DayOfWeek(const TDateTimeValue& value);

// first - second in seconds.
int64_t SecondsBetween(const TDateTimeValue& first, const TDateTimeValue& second);

// The offset arithmetic of the date commands. The offset is an optional
// "+" or "-" and then "h:m:s" or "y/m/d"; a part that is not a number
// counts 0 and a part above 65535 is a range error.
// Fields change separately with carries; the hour wraps modulo 24 and the
// result is a time of day only.
TDateTimeValue AddTimeOffset(std::string_view offset, const TDateTimeValue& value);
// Years and months first (the day clamped to the month's length), then
// days with carries. A subtraction that ends below the year 1900, or any
// result beyond the year 9999, is a range error.
TDateTimeValue AddDateOffset(std::string_view offset, const TDateTimeValue& value);

}  // namespace nura
