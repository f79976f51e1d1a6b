#include "support/date_time.h"

#include <gtest/gtest.h>

#include "engine/errors.h"

namespace nura {
namespace {

TDateTimeValue Parse(const std::string& text) {
  TDateTimeValue value;
  EXPECT_TRUE(ParseDateTime(text, value)) << text;
  return value;
}

bool Parses(const std::string& text) {
  TDateTimeValue value;
  return ParseDateTime(text, value);
}

TEST(DateParser, AcceptsDatesTimesAndBoth) {
  EXPECT_EQ(Parse("1899/12/30").days, 0);
  EXPECT_EQ(Parse("2001/01/01").days, 36892);
  EXPECT_EQ(Parse("2001-1-1").days, 36892);
  EXPECT_EQ(Parse("  2001/1/1 ").days, 36892);
  EXPECT_EQ(Parse("10:15").seconds, 36900);
  EXPECT_EQ(Parse("10:15:30").seconds, 36930);
  EXPECT_EQ(Parse("10:15:30").days, 0);
  const TDateTimeValue both = Parse("2001/01/03 12:00");
  EXPECT_EQ(both.days, 36894);
  EXPECT_EQ(both.seconds, 43200);
  EXPECT_EQ(Parse("2001/01/03\t 1:2:3").seconds, 3723);
}

TEST(DateParser, TwoDigitYearsPivotAt50) {
  EXPECT_EQ(FormatDate(Parse("01/02/03")), "2001/02/03");
  EXPECT_EQ(FormatDate(Parse("49/12/31")), "2049/12/31");
  EXPECT_EQ(FormatDate(Parse("50/1/1")), "1950/01/01");
  EXPECT_EQ(FormatDate(Parse("99-1-1")), "1999/01/01");
  EXPECT_EQ(FormatDate(Parse("0099/1/1")), "0099/01/01");
}

TEST(DateParser, RejectsWhatIsNoDateOrTime) {
  for (const char* bad : {"", "abc", "2001/13/01", "2001/02/29", "2001/1", "2001/1-1",
                          "2001/01/01x", "24:00", "10:60", "10:00:60", "10", "1:2:3:4",
                          "2001/01/01 abc", "10:00 2001/01/01", "0/1/1 0:0:0x"}) {
    EXPECT_FALSE(Parses(bad)) << bad;
  }
  EXPECT_TRUE(Parses("2000/02/29"));
  EXPECT_FALSE(Parses("1900/02/29"));
}

TEST(DateParser, DatesBeforeTheEpochCompute) {
  const TDateTimeValue early = Parse("1899/12/29 18:00");
  EXPECT_EQ(early.days, -1);
  EXPECT_EQ(early.seconds, 64800);
  EXPECT_EQ(FormatDate(early), "1899/12/29");
  EXPECT_EQ(FormatTime(early), "18:00:00");
  EXPECT_EQ(SecondsBetween(Parse("1899/12/30 06:00"), early), 12 * 3600);
  EXPECT_EQ(DayOfWeek(Parse("1800/01/01")), 4);  // a Wednesday
  EXPECT_EQ(FormatDate(Parse("0001/01/01")), "0001/01/01");
  EXPECT_LT(Parse("1899/12/29 23:59"), Parse("1899/12/30"));
  EXPECT_DOUBLE_EQ(DateTimeToSerial(early), -0.25);
}

TEST(DateParser, WeekdaysAndCivilRoundTrip) {
  EXPECT_EQ(DayOfWeek(Parse("2001/01/01")), 2);  // Monday
  EXPECT_EQ(DayOfWeek(Parse("1899/12/30")), 7);  // Saturday
  EXPECT_EQ(DayOfWeek(Parse("2026/12/06")), 1);  // Sunday
  for (int64_t days = -700000; days < 3000000; days += 997) {
    EXPECT_EQ(DaysFromCivil(CivilFromDays(days)), days);
  }
}

TEST(DateOffsets, TimeFieldsCarryAndWrap) {
  EXPECT_EQ(FormatTime(AddTimeOffset("1:0:0", Parse("23:30:00"))), "00:30:00");
  EXPECT_EQ(FormatTime(AddTimeOffset("-0:0:30", Parse("10:00:10"))), "09:59:40");
  EXPECT_EQ(FormatTime(AddTimeOffset("+0:45:50", Parse("10:20:30"))), "11:06:20");
  EXPECT_EQ(FormatTime(AddTimeOffset("-1:0:0", Parse("00:30:00"))), "23:30:00");
  EXPECT_EQ(AddTimeOffset("1:0:0", Parse("2001/01/01 23:30")).days, 0);
  EXPECT_EQ(FormatTime(AddTimeOffset("x:1", Parse("10:00:00"))), "10:01:00");
  EXPECT_THROW(AddTimeOffset("65536:0:0", Parse("10:00")), ERangeError);
  EXPECT_THROW(AddTimeOffset("12345678901:0:0", Parse("10:00")), ERangeError);
}

TEST(DateOffsets, DatesClampAndCarry) {
  EXPECT_EQ(FormatDate(AddDateOffset("0/1/0", Parse("2001/01/31"))), "2001/02/28");
  EXPECT_EQ(FormatDate(AddDateOffset("0/12/0", Parse("2001/12/15"))), "2002/12/15");
  EXPECT_EQ(FormatDate(AddDateOffset("-0/0/3", Parse("2001/03/02"))), "2001/02/27");
  EXPECT_EQ(FormatDate(AddDateOffset("0/0/1", Parse("2000/12/31"))), "2001/01/01");
  EXPECT_EQ(FormatDate(AddDateOffset("-0/2/0", Parse("2001/01/31"))), "2000/11/30");
  EXPECT_EQ(FormatDate(AddDateOffset("1/0/0", Parse("2000/02/29"))), "2001/02/28");
  EXPECT_THROW(AddDateOffset("-101/0/0", Parse("2000/01/01")), ERangeError);
  EXPECT_THROW(AddDateOffset("9000/0/0", Parse("2000/01/01")), ERangeError);
}

// Parts beyond one unit carry or borrow whole (floor division).
TEST(DateOffsets, LargePartsCarryAndBorrowFully) {
  EXPECT_EQ(FormatTime(AddTimeOffset("-0:0:150", Parse("10:00:00"))), "09:57:30");
  EXPECT_EQ(FormatTime(AddTimeOffset("+0:0:150", Parse("10:00:00"))), "10:02:30");
  EXPECT_EQ(FormatTime(AddTimeOffset("-0:150:0", Parse("01:00:00"))), "22:30:00");
  EXPECT_EQ(FormatDate(AddDateOffset("+0/25/0", Parse("2001/12/15"))), "2004/01/15");
  EXPECT_EQ(FormatDate(AddDateOffset("-0/25/0", Parse("2001/01/15"))), "1998/12/15");
  EXPECT_EQ(FormatDate(AddDateOffset("0/0/400", Parse("2001/01/01"))), "2002/02/05");
  EXPECT_EQ(FormatDate(AddDateOffset("-1/0/366", Parse("2001/03/01"))), "1999/03/01");
}

}  // namespace
}  // namespace nura
