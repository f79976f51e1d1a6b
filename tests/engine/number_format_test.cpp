#include "engine/number_format.h"

#include <gtest/gtest.h>

#include "engine/kept_number.h"

namespace nura {
namespace {

TEST(FormatGeneral, IntegersAndFractions) {
  EXPECT_EQ(FormatGeneral(7), "7");
  EXPECT_EQ(FormatGeneral(0), "0");
  EXPECT_EQ(FormatGeneral(-0.0L), "0");
  EXPECT_EQ(FormatGeneral(-42), "-42");
  EXPECT_EQ(FormatGeneral(1.5L), "1.5");
  EXPECT_EQ(FormatGeneral(-0.25L), "-0.25");
  EXPECT_EQ(FormatGeneral(100), "100");
  EXPECT_EQ(FormatGeneral(0.1L + 0.2L), "0.3");
  EXPECT_EQ(FormatGeneral(1.0L / 3), "0.333333333333333");
  EXPECT_EQ(FormatGeneral(2.0L / 3), "0.666666666666667");
  EXPECT_EQ(FormatGeneral(0.0313799395225942L), "0.0313799395225942");
}

TEST(FormatGeneral, FifteenIntegerDigitsStayFixed) {
  EXPECT_EQ(FormatGeneral(999999999999999.0L), "999999999999999");
  EXPECT_EQ(FormatGeneral(123456789012345.0L), "123456789012345");
  EXPECT_EQ(FormatGeneral(2147483647.0L), "2147483647");
}

TEST(FormatGeneral, LargeNumbersUseExponent) {
  EXPECT_EQ(FormatGeneral(1e16L), "1E16");
  EXPECT_EQ(FormatGeneral(1e15L), "1E15");
  EXPECT_EQ(FormatGeneral(-1e16L), "-1E16");
  EXPECT_EQ(FormatGeneral(1234567890123456789.0L), "1.23456789012346E18");
  // Rounding to 15 digits carries into a new integer digit.
  EXPECT_EQ(FormatGeneral(9999999999999999.0L), "1E16");
}

TEST(FormatGeneral, SmallNumbersUseExponentBelowOneHundredThousandth) {
  EXPECT_EQ(FormatGeneral(0.00001L), "0.00001");
  EXPECT_EQ(FormatGeneral(0.000012L), "0.000012");
  EXPECT_EQ(FormatGeneral(0.000009L), "9E-6");
  EXPECT_EQ(FormatGeneral(1.0L / 4294967296.0L), "2.3283064365387E-10");
  EXPECT_EQ(FormatGeneral(-1.5e-300L), "-1.5E-300");
}

TEST(FormatGeneral, NotANumberAndInfinity) {
  EXPECT_EQ(FormatGeneral(__builtin_nanl("")), "NAN");
  EXPECT_EQ(FormatGeneral(__builtin_infl()), "INF");
  EXPECT_EQ(FormatGeneral(-__builtin_infl()), "-INF");
}

}  // namespace
}  // namespace nura

namespace nura {
namespace {

TEST(FormatGeneral, WholeNumbersThatReadBackExactly) {
  for (long double v : {0.0L, 1.0L, -1.0L, 999999999999999.0L, -999999999999999.0L, 123456.0L}) {
    EXPECT_TRUE(ReadsBackExactly(v)) << static_cast<double>(v);
  }
  for (long double v : {0.5L, -0.5L, 1e-20L, -1e-20L, 999999999999999.5L, -999999999999998.5L, 1e15L, -1e15L,
                        2.25L, -7.75L}) {
    EXPECT_FALSE(ReadsBackExactly(v)) << static_cast<double>(v);
  }
}

// FormatWholeTo writes into a text of any former length; a number kept
// beside a text counts only for that very text, any byte or length changed.
TEST(FormatGeneral, WholeDigitsAndTheNumberKeptBesideThem) {
  std::string text = "a text longer than the digits";
  for (const int64_t whole : {int64_t{0}, int64_t{7}, int64_t{-7}, int64_t{10}, int64_t{1234567},
                              int64_t{99999999}, int64_t{-100000000}, int64_t{999999999999999},
                              int64_t{-999999999999999}}) {
    FormatWholeTo(whole, text);
    EXPECT_EQ(text, std::to_string(whole));
  }
  for (size_t length = 0; length <= 17; ++length) {
    std::string digits(length, '1');
    TKeptNumber kept;
    kept.Keep(digits, 42);
    int64_t number = 0;
    EXPECT_EQ(kept.Read(digits, number), length <= 16) << length;
    if (length <= 16) {
      EXPECT_EQ(number, 42);
    }
    for (size_t at = 0; at < length; ++at) {
      std::string changed = digits;
      changed[at] = '2';
      EXPECT_FALSE(kept.Read(changed, number)) << length << " " << at;
    }
    EXPECT_FALSE(kept.Read(digits + "1", number));
  }
  // Counting up changes the last digit in place while it is below 9; the
  // kept number follows the text.
  for (const int64_t start : {int64_t{0}, int64_t{5}, int64_t{1230}, int64_t{99999990}, int64_t{123456789012340}}) {
    std::string text = std::to_string(start);
    TKeptNumber kept;
    kept.Keep(text, start);
    for (int64_t next = start + 1; next <= start + 12; ++next) {
      if (!kept.CountUp(text, next)) {
        EXPECT_EQ(text.back(), '9') << text;
        FormatWholeTo(next, text);
        kept.Keep(WholeDigits(next), next);
      }
      EXPECT_EQ(text, std::to_string(next));
      int64_t number = 0;
      EXPECT_TRUE(kept.Read(text, number)) << text;
      EXPECT_EQ(number, next);
    }
    EXPECT_FALSE(kept.CountUp(text, start + 14));  // not one more than the kept number
  }
  TKeptNumber negative;
  std::string minusTwo = "-2";
  negative.Keep(minusTwo, -2);
  EXPECT_FALSE(negative.CountUp(minusTwo, -1));
}

// The kept number shares a word with the text's size: numbers up to 55
// bits and a sign keep, larger ones keep nothing, and a number kept with
// nothing never matches a text, whatever its length.
TEST(FormatGeneral, KeptNumbersAtTheEdgesOfTheirRoom) {
  constexpr int64_t kLimit = int64_t{1} << 55;
  int64_t number = 0;
  for (const int64_t whole : {kLimit - 1, -kLimit, int64_t{-1}, int64_t{9999999999999999}}) {
    TKeptNumber kept;
    kept.Keep("12", whole);
    ASSERT_TRUE(kept.Read("12", number)) << whole;
    EXPECT_EQ(number, whole);
  }
  for (const int64_t whole : {kLimit, -kLimit - 1, INT64_MAX, INT64_MIN}) {
    TKeptNumber kept;
    kept.Keep("12", 1);
    kept.Keep("12", whole);
    EXPECT_FALSE(kept.Read("12", number)) << whole;
  }
  TKeptNumber edge;
  std::string six = "6";
  edge.Keep(six, kLimit - 1);
  EXPECT_FALSE(edge.CountUp(six, kLimit));
  EXPECT_EQ(six, "6");
  TKeptNumber fresh, dropped;
  dropped.Keep(std::string(17, '1'), 5);
  for (const size_t length : {size_t{0}, size_t{1}, size_t{16}, size_t{255}, size_t{256}}) {
    const std::string text(length, '\0');
    EXPECT_FALSE(fresh.Read(text, number)) << length;
    EXPECT_FALSE(dropped.Read(text, number)) << length;
  }
}

}  // namespace
}  // namespace nura
