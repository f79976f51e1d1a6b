#include "engine/conv_half.h"

#include <gtest/gtest.h>

#include "platform/sjis.h"

namespace nura {
namespace {

TEST(ConvToHalf, FoldsAWholeLine) {
  EXPECT_EQ(ConvertToHalf(SJ("ＰＲＩＮＴ「あいう」。Ａ１＝２（ｘ）")), SJ("PRINT\"あいう\";A1=2(x)"));
  EXPECT_EQ(ConvertToHalf(SJ("『引用』、　≠≦≧※｢｣￥")), "`" + SJ("引用") + "`, <><=>='\"\"\\");
  EXPECT_EQ(ConvertToHalf(SJ("ｚＺ９０")), "zZ90");
}

TEST(ConvToHalf, NeverSplitsTwoByteCharacters) {
  // "ソ" and "表" end in 0x5C ("\"), "ポ" in 0x7C ("|"); they stay whole.
  const std::string text = SJ("ソ表ポ");
  EXPECT_EQ(ConvertToHalf(text), text);
  EXPECT_EQ(ConvertToHalf("a\x82"), "a\x82");  // a lead byte at the end
}

TEST(ConvToHalf, PairsCanBeReplacedAndLookedUp) {
  TConvToHalf conv;
  conv.AddDigits();
  EXPECT_EQ(conv.ConvertChar(SJ("１")), "1");
  EXPECT_EQ(conv.ConvertChar(SJ("あ")), SJ("あ"));
  conv.AddPair(SJ("１"), "one");
  EXPECT_EQ(conv.Convert(SJ("１２")), "one2");
  EXPECT_EQ(conv.Find("x"), nullptr);
}

TEST(ExpandTabs, TabStopsAndLineBreaks) {
  EXPECT_EQ(ExpandTabs("a\tb", 4), "a   b");
  EXPECT_EQ(ExpandTabs(SJ("あ\tb"), 4), SJ("あ") + "  b");
  EXPECT_EQ(ExpandTabs("ab\r\n\tc", 4), "ab\r\n    c");
  EXPECT_EQ(ExpandTabs("a\n\nb", 4), "a\r\n\r\nb");  // two LF are two breaks
  EXPECT_EQ(ExpandTabs("a\r\rb\n", 4), "a\r\n\r\nb\r\n");
  EXPECT_EQ(ExpandTabs("", 4), "");
  // A width below 1 (it comes from a script variable) counts as 1.
  EXPECT_EQ(ExpandTabs("a\tb", 0), "a b");
  EXPECT_EQ(ExpandTabs("a\tb", -3), "a b");
}

TEST(NumberConversions, RoundAndTruncate) {
  EXPECT_EQ(RoundDigits(0, 2.5L), 2.0L);
  EXPECT_EQ(RoundDigits(0, 3.5L), 4.0L);
  EXPECT_EQ(RoundDigits(0, -2.5L), -2.0L);
  EXPECT_EQ(RoundDigits(0, 2.6L), 3.0L);
  EXPECT_NEAR(static_cast<double>(RoundDigits(2, 1.234L)), 1.23, 1e-12);
  EXPECT_NEAR(static_cast<double>(TruncateDigits(1, -1.27L)), -1.2, 1e-12);
  EXPECT_NEAR(static_cast<double>(TruncateDigits(0, 9.99L)), 9.0, 1e-12);
}

TEST(NumberConversions, ColorText) {
  EXPECT_EQ(ColorTextToValue("#FF0000"), 255);
  EXPECT_EQ(ColorTextToValue("#0000ff"), 0xFF0000);
  EXPECT_EQ(ColorTextToValue("#00ZZ01"), 0x010000);
  EXPECT_EQ(ColorTextToValue("#F"), 15);
  EXPECT_EQ(ColorTextToValue("12345"), 12345);
  EXPECT_EQ(ColorTextToValue("-7"), -7);
  EXPECT_EQ(ColorTextToValue("12a"), 0);
  EXPECT_EQ(ColorTextToValue("99999999999"), 0);
  EXPECT_EQ(RightBytes("abcdef", 2), "ef");
  EXPECT_EQ(RightBytes("ab", 5), "ab");
  EXPECT_EQ(RightBytes("ab", -1), "");
}

}  // namespace
}  // namespace nura
