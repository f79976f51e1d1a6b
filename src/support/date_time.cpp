#include "support/date_time.h"

#include <cstdio>
#include <ctime>

#include "engine/errors.h"
#include "platform/native_file.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr int64_t kSecondsPerDay = 86400;
// Days from 1970-01-01 (the civil algorithm's epoch) to 1899-12-30.
constexpr int64_t kEpochShift = 25569;

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// A run of ASCII digits as a number; false when there is none or it is
// too long to be any date or time part.
bool ReadDigits(std::string_view text, size_t& pos, int& value, size_t& count) {
  const size_t start = pos;
  value = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    if (pos - start >= 9) return false;
    value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  count = pos - start;
  return count > 0;
}

bool ParseDate(std::string_view text, TCivilDate& date) {
  size_t pos = 0, count = 0, month_count = 0, day_count = 0;
  int year = 0, month = 0, day = 0;
  if (!ReadDigits(text, pos, year, count) || pos >= text.size()) return false;
  const char separator = text[pos];
  if (separator != '/' && separator != '-') return false;
  ++pos;
  if (!ReadDigits(text, pos, month, month_count) || pos >= text.size() || text[pos] != separator)
    return false;
  ++pos;
  if (!ReadDigits(text, pos, day, day_count) || pos != text.size()) return false;
  if (count <= 2) year += year < 50 ? 2000 : 1900;
  if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
  if (day < 1 || day > DaysInMonth(year, month)) return false;
  date = {year, month, day};
  return true;
}

bool ParseTime(std::string_view text, int32_t& seconds) {
  size_t pos = 0, count = 0;
  int parts[3] = {0, 0, 0};
  int used = 0;
  while (used < 3) {
    if (!ReadDigits(text, pos, parts[used], count)) return false;
    ++used;
    if (pos == text.size()) break;
    if (text[pos] != ':') return false;
    ++pos;
  }
  if (used < 2 || pos != text.size()) return false;
  if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return false;
  seconds = parts[0] * 3600 + parts[1] * 60 + parts[2];
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

// The offset's sign and its three parts; true when the sign was "-".
bool ReadOffset(std::string_view offset, char separator, int64_t parts[3]) {
  offset = Trim(offset);
  bool subtract = false;
  if (!offset.empty() && (offset[0] == '+' || offset[0] == '-')) {
    subtract = offset[0] == '-';
    offset.remove_prefix(1);
  }
  for (int i = 0; i < 3; ++i) {
    const size_t end = offset.find(separator);
    const std::string_view part = Trim(offset.substr(0, end));
    const bool digits = !part.empty() && part.find_first_not_of("0123456789") == std::string_view::npos;
    size_t pos = 0, count = 0;
    int value = 0;
    // A run of digits too long to read is beyond the limit all the same.
    if (digits && !ReadDigits(part, pos, value, count)) throw ERangeError();
    parts[i] = digits ? value : 0;
    if (parts[i] > 65535) throw ERangeError();
    offset = end == std::string_view::npos ? std::string_view() : offset.substr(end + 1);
  }
  return subtract;
}

TDateTimeValue MakeDate(const TCivilDate& date) {
  if (date.year < 1 || date.year > 9999) throw ERangeError();
  return TDateTimeValue{DaysFromCivil(date), 0};
}

}  // namespace

// Days from civil date, proleptic Gregorian calendar.
int64_t DaysFromCivil(const TCivilDate& date) {
  const int64_t y = date.year - (date.month <= 2 ? 1 : 0);
  const int64_t era = FloorDiv(y, 400);
  const int64_t year_of_era = y - era * 400;
  const int64_t month = date.month;
  const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468 + kEpochShift;
}

TCivilDate CivilFromDays(int64_t days) {
  const int64_t z = days - kEpochShift + 719468;
  const int64_t era = FloorDiv(z, 146097);
  const int64_t day_of_era = z - era * 146097;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t mp = (5 * day_of_year + 2) / 153;
  const int day = static_cast<int>(day_of_year - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int64_t year = year_of_era + era * 400 + (month <= 2 ? 1 : 0);
  return TCivilDate{static_cast<int>(year), month, day};
}

double DateTimeToSerial(const TDateTimeValue& value) {
  return static_cast<double>(value.days) + value.seconds / static_cast<double>(kSecondsPerDay);
}

bool ParseDateTime(std::string_view text, TDateTimeValue& result) {
  text = Trim(text);
  if (text.empty()) return false;
  size_t blank = 0;
  while (blank < text.size() && !IsBlank(text[blank])) ++blank;
  TDateTimeValue value;
  if (blank < text.size()) {
    std::string_view time = text.substr(blank);
    while (!time.empty() && IsBlank(time.front())) time.remove_prefix(1);
    TCivilDate date;
    if (!ParseDate(text.substr(0, blank), date) || !ParseTime(time, value.seconds)) return false;
    value.days = DaysFromCivil(date);
  } else if (text.find(':') != std::string_view::npos) {
    if (!ParseTime(text, value.seconds)) return false;
  } else {
    TCivilDate date;
    if (!ParseDate(text, date)) return false;
    value.days = DaysFromCivil(date);
  }
  result = value;
  return true;
}

TDateTimeValue CurrentDateTime() {
  const std::time_t now = std::time(nullptr);
  const std::tm local = LocalTimeOf(now);
  TDateTimeValue value;
  value.days = DaysFromCivil({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
  value.seconds = local.tm_hour * 3600 + local.tm_min * 60 + (local.tm_sec > 59 ? 59 : local.tm_sec);
  return value;
}

std::string FormatDate(const TDateTimeValue& value) {
  const TCivilDate date = CivilFromDays(value.days);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d", date.year, date.month, date.day);
  return buffer;
}

std::string FormatTime(const TDateTimeValue& value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", value.seconds / 3600,
                value.seconds / 60 % 60, value.seconds % 60);
  return buffer;
}

int DayOfWeek(const TDateTimeValue& value) {
  // Day 0 (1899-12-30) was a Saturday.
  return static_cast<int>(((value.days % 7) + 7 + 6) % 7) + 1;
}

int64_t SecondsBetween(const TDateTimeValue& first, const TDateTimeValue& second) {
  return (first.days - second.days) * kSecondsPerDay + (first.seconds - second.seconds);
}

TDateTimeValue AddTimeOffset(std::string_view offset, const TDateTimeValue& value) {
  int64_t parts[3];
  const bool subtract = ReadOffset(offset, ':', parts);
  const int64_t sign = subtract ? -1 : 1;
  int64_t second = value.seconds % 60 + sign * parts[2];
  int64_t minute = value.seconds / 60 % 60 + sign * parts[1] + FloorDiv(second, 60);
  int64_t hour = value.seconds / 3600 + sign * parts[0] + FloorDiv(minute, 60);
  second -= FloorDiv(second, 60) * 60;
  minute -= FloorDiv(minute, 60) * 60;
  hour -= FloorDiv(hour, 24) * 24;
  return TDateTimeValue{0, static_cast<int32_t>(hour * 3600 + minute * 60 + second)};
}

TDateTimeValue AddDateOffset(std::string_view offset, const TDateTimeValue& value) {
  int64_t parts[3];
  const bool subtract = ReadOffset(offset, '/', parts);
  const TCivilDate start = CivilFromDays(value.days);
  const int64_t sign = subtract ? -1 : 1;
  const int64_t months = static_cast<int64_t>(start.year) * 12 + (start.month - 1) +
                         sign * (parts[0] * 12 + parts[1]);
  const int64_t year = FloorDiv(months, 12);
  if (subtract && year < 1900) throw ERangeError(SJ("1900年以下は計算できません。"));
  if (year < 1 || year > 9999) throw ERangeError();
  TCivilDate date{static_cast<int>(year), static_cast<int>(months - year * 12) + 1, start.day};
  if (date.day > DaysInMonth(date.year, date.month)) date.day = DaysInMonth(date.year, date.month);
  // Whole days carry through the months exactly as day numbers do.
  const TCivilDate end = CivilFromDays(DaysFromCivil(date) + sign * parts[2]);
  return MakeDate(end);
}

}  // namespace nura
