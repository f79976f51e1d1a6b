#include "support/number_functions.h"

#include <gtest/gtest.h>

#include <cmath>

#include "commands/format_directive.h"
#include "engine/errors.h"
#include "engine/number_format.h"

namespace nura {
namespace {

TEST(NumberFunctions, IntegerConversionsTrapOutOfRange) {
  EXPECT_EQ(TruncToInt32(-1.99L), -1);
  EXPECT_EQ(TruncToInt32(2147483647.9L), 2147483647);
  EXPECT_EQ(TruncToInt32(-2147483648.9L), INT32_MIN);
  EXPECT_THROW(TruncToInt32(2147483648.0L), ERangeError);
  EXPECT_THROW(TruncToInt32(NAN), ERangeError);
  EXPECT_THROW(TruncToInt64(1E20L), ERangeError);
  EXPECT_EQ(TruncToInt64(1234.9L), 1234);
  EXPECT_EQ(RoundToInt64(2.5L), 2);
  EXPECT_EQ(RoundToInt64(3.5L), 4);
  EXPECT_EQ(RoundToInt64(-2.5L), -2);
}

TEST(NumberFunctions, FractionTextKeepsDigitsAndNeverEmpty) {
  EXPECT_EQ(FractionText("3.25"), "0.25");
  EXPECT_EQ(FractionText("-3.25"), "0.25");
  EXPECT_EQ(FractionText("3"), "0");
  EXPECT_EQ(FractionText(""), "0");
}

TEST(NumberFunctions, Statistics) {
  const std::vector<long double> pair = {1, 3};
  EXPECT_EQ(FormatGeneral(Sum(pair)), "4");
  EXPECT_EQ(FormatGeneral(Mean(pair)), "2");
  EXPECT_EQ(FormatGeneral(PopulationVariance(pair)), "1");
  EXPECT_EQ(FormatGeneral(*SampleStandardDeviation(pair)), "1.4142135623731");
  EXPECT_FALSE(SampleStandardDeviation({5}).has_value());
  EXPECT_EQ(FormatGeneral(Maximum({-1, 7, 3})), "7");
  EXPECT_EQ(FormatGeneral(Minimum({-1, 7, 3})), "-1");
  EXPECT_EQ(FormatGeneral(PopulationVariance({0})), "0");
}

TEST(NumberFunctions, FloatChecks) {
  EXPECT_THROW(CheckedDivide(0, 0), EInvalidOp);
  EXPECT_THROW(CheckedDivide(1, 0), EZeroDivide);
  EXPECT_THROW(CheckFloat(HUGE_VALL), EOverflow);
  EXPECT_EQ(CheckedDivide(1, 4), 0.25L);
}

TEST(NumberFunctions, BitOperations) {
  EXPECT_EQ(Remainder(-7, 3), -1);
  EXPECT_EQ(Remainder(7, -3), 1);
  EXPECT_THROW(Remainder(INT32_MIN, -1), ERangeError);
  EXPECT_THROW(Remainder(5, 0), EDivByZero);
  EXPECT_EQ(ShiftRight(-1, 28), 15);
  EXPECT_EQ(ShiftLeft(1, 33), 2);
  EXPECT_EQ(ShiftLeft(1, 31), INT32_MIN);
  EXPECT_EQ(HexText(10), "0A");
  EXPECT_EQ(HexText(-1), "FFFFFFFF");
  EXPECT_EQ(HexText(0x12345), "12345");
  EXPECT_EQ(PadLeft("abc", 5, ' '), "  abc");
  EXPECT_EQ(PadLeft("abc", 2, '0'), "abc");
  EXPECT_EQ(PadLeft("7", 3, '0'), "007");
}

std::string Format(const std::string& format, const std::string& value, long double number) {
  const auto out = FormatOneValue(format, value, number);
  return out ? *out : "<error>";
}

TEST(FormatDirective, LetterOfEachDirectiveDecides) {
  EXPECT_EQ(Format("%.2f", "3.14159", 3.14159L), "3.14");
  EXPECT_EQ(Format("%3d", "5", 5), "  5");
  EXPECT_EQ(Format("%.3d", "5", 5), "005");
  EXPECT_EQ(Format("%-4d|", "-5.9", -5.9L), "-5  |");
  EXPECT_EQ(Format("%s", "abc", 0), "abc");
  EXPECT_EQ(Format("%.2s", "abc", 0), "ab");
  // "m" or "d" elsewhere in the text does not change how %s reads the value.
  EXPECT_EQ(Format("mode: %s", "1.5", 1.5L), "mode: 1.5");
  EXPECT_EQ(Format("%d days", "12.7", 12.7L), "12 days");
  EXPECT_EQ(Format("%x", "255", 255), "FF");
  EXPECT_EQ(Format("%e", "1234.5", 1234.5L), "1.23450000000000E+003");
  EXPECT_EQ(Format("%g", "0.1", 0.1L), "0.1");
  EXPECT_EQ(Format("%n", "1234567.891", 1234567.891L), "1,234,567.89");
  EXPECT_EQ(Format("%m", "-1234", -1234), "-\\1,234");
  EXPECT_EQ(Format("100%%", "", 0), "100%");
  EXPECT_EQ(Format("%0:s-%0:s", "a", 0), "a-a");
  EXPECT_EQ(Format("%S", "abc", 0), "abc");
}

TEST(FormatDirective, MalformedFormatsAreErrors) {
  for (const char* bad : {"%s %s", "%", "%5", "%*d", "%q", "%1:s", "%p", "%.f"}) {
    EXPECT_EQ(Format(bad, "1", 1), "<error>") << bad;
  }
  EXPECT_THROW(FormatOneValue("%d", "1E20", 1E20L), ERangeError);
  EXPECT_EQ(Format("%999999s", "a", 0), "<error>");
}

}  // namespace
}  // namespace nura
