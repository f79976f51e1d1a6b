#include "editor/text_search.h"

#include <gtest/gtest.h>

#include "platform/sjis.h"

namespace nura {
namespace {

// The offset and length of the first hit from the start, or {-1, 0}.
std::pair<int, int> Find(std::string_view text, std::string_view pattern, uint16_t options) {
  TSearchPosition pos;
  if (!TextSearchOffset(text, pos, pattern, options | SearchForward)) return {-1, 0};
  return {pos.start, pos.length};
}

TEST(TextSearch, CaseFoldingAndTwoByteBoundaries) {
  EXPECT_EQ(Find("xx ABC", "abc", 0), std::make_pair(3, 3));
  EXPECT_EQ(Find("xx ABC", "abc", SearchMatchCase).first, -1);
  EXPECT_EQ(Find(SJ("ｘ　Ａ"), SJ("ａ"), 0).first, 4);
  EXPECT_EQ(Find(SJ("ｘ　Ａ"), SJ("ａ"), SearchMatchCase).first, -1);
  // "A" is the trail byte of "ア": never a hit there.
  EXPECT_EQ(Find(SJ("アア"), "A", 0).first, -1);
  EXPECT_EQ(Find(SJ("アA"), "A", 0).first, 2);
  // A hit that ends exactly at the end of the text is found.
  EXPECT_EQ(Find("abc", "bc", 0), std::make_pair(1, 2));
  EXPECT_EQ(Find("abc", "abc", SearchFoldWidth), std::make_pair(0, 3));  // both sides fold
  EXPECT_EQ(Find("abc", "c", SearchFoldWidth | SearchMatchCase), std::make_pair(2, 1));
  // A pattern that runs past the end is a mismatch, also with folding.
  EXPECT_EQ(Find("ab", "abc", SearchFoldWidth).first, -1);
  EXPECT_EQ(Find("ab\x82", "b\x82", 0), std::make_pair(1, 2));
  TSearchPosition empty;
  EXPECT_FALSE(TextSearchOffset("abc", empty, "", SearchForward));
  TSearchPosition outside{5, 0};
  EXPECT_FALSE(TextSearchOffset("abc", outside, "a", SearchForward));
}

TEST(TextSearch, WidthFoldingCombinesVoicedKana) {
  EXPECT_EQ(Find(SJ("あガ"), SJ("ｶﾞ"), SearchFoldWidth), std::make_pair(2, 2));
  EXPECT_EQ(Find(SJ("xｶﾞy"), SJ("ガ"), SearchFoldWidth), std::make_pair(1, 2));
  EXPECT_EQ(Find(SJ("ﾊﾟ"), SJ("パ"), SearchFoldWidth).first, 0);
  EXPECT_EQ(Find(SJ("ガ"), SJ("ｶﾞ"), 0).first, -1);
  EXPECT_EQ(Find(SJ("ＡＢＣ"), "abc", SearchFoldWidth), std::make_pair(0, 6));
  EXPECT_EQ(Find(SJ("ａｂｃ"), "ABC", SearchFoldWidth | SearchMatchCase).first, -1);
  EXPECT_EQ(FoldToFullWidth(SJ("ｳﾞa\\~")), SJ("ヴａ￥￣"));
}

TEST(TextSearch, WholeWordsSkipsAndBackwards) {
  EXPECT_EQ(Find("cat concat cat_x cat.", "cat", SearchWholeWord).first, 0);
  TSearchPosition pos{0, 3};
  // The underscore is a delimiter of the search.
  ASSERT_TRUE(TextSearchOffset("cat concat cat_x cat.", pos, "cat", SearchForward | SearchWholeWord));
  EXPECT_EQ(pos.start, 11);
  ASSERT_TRUE(TextSearchOffset("cat concat cat_x cat.", pos, "cat", SearchForward | SearchWholeWord));
  EXPECT_EQ(pos.start, 17);
  EXPECT_EQ(Find("ab\r\ncd", "abcd", SearchSkipLineBreaks), std::make_pair(0, 6));
  EXPECT_EQ(Find("ab\r\ncd", "abcd", 0).first, -1);
  EXPECT_EQ(Find(SJ("ab　 cd"), "abcd", SearchSkipBlanks), std::make_pair(0, 7));
  EXPECT_EQ(Find(" abcd", "abcd", SearchSkipBlanks).first, 1);  // blanks pass only inside a hit
  // Backwards from the end: the last hit before the position.
  TSearchPosition back{9, 0};
  ASSERT_TRUE(TextSearchOffset("ab ab ab x", back, "ab", 0));
  EXPECT_EQ(back.start, 6);
  ASSERT_TRUE(TextSearchOffset("ab ab ab x", back, "ab", 0));
  EXPECT_EQ(back.start, 3);
  TSearchPosition head{1, 0};
  EXPECT_FALSE(TextSearchOffset("ab", head, "ab", 0));
}

}  // namespace
}  // namespace nura
