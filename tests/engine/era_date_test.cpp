#include "engine/era_date.h"

#include <gtest/gtest.h>

#include "platform/sjis.h"

namespace nura {
namespace {

TEST(EraDate, Eras) {
  EXPECT_EQ(FormatJapaneseEraDate(1990, 3, 4), SJ("平成2年3月4日"));
  EXPECT_EQ(FormatJapaneseEraDate(1989, 1, 1), SJ("平成元年1月1日"));
  EXPECT_EQ(FormatJapaneseEraDate(1926, 12, 24), SJ("昭和元年12月24日"));
  EXPECT_EQ(FormatJapaneseEraDate(1925, 12, 31), SJ("大正14年12月31日"));
  EXPECT_EQ(FormatJapaneseEraDate(1912, 7, 30), SJ("大正元年7月30日"));
  EXPECT_EQ(FormatJapaneseEraDate(1869, 1, 1), SJ("明治元年1月1日"));
  EXPECT_EQ(FormatJapaneseEraDate(1911, 1, 1), SJ("明治43年1月1日"));
  EXPECT_EQ(FormatJapaneseEraDate(1868, 12, 31), "");
  EXPECT_EQ(FormatJapaneseEraDate(2018, 12, 31), SJ("平成30年12月31日"));
  EXPECT_EQ(FormatJapaneseEraDate(2019, 1, 1), SJ("令和元年1月1日"));
  EXPECT_EQ(FormatJapaneseEraDate(2026, 12, 8), SJ("令和8年12月8日"));
}

}  // namespace
}  // namespace nura
