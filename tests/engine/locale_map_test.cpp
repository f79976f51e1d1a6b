#include "engine/locale_map.h"

#include <gtest/gtest.h>

#include "platform/sjis.h"

namespace nura {
namespace {

TEST(LocaleMap, Width) {
  EXPECT_EQ(ToFullWidth(SJ("Ab1 !~ｶﾞｷﾟｱｰ｢")), SJ("Ａｂ１　！～ガキ゜アー「"));
  EXPECT_EQ(ToFullWidth(SJ("ｳﾞ\"")), SJ("ヴ”"));
  EXPECT_EQ(ToHalfWidth(SJ("Ａｂ１　！～ガパヴアー「あ漢")), SJ("Ab1 !~ｶﾞﾊﾟｳﾞｱｰ｢あ漢"));
  EXPECT_EQ(ToHalfWidth(SJ("￥＼”’")), "\\\\\"'");
  EXPECT_EQ(ToHalfWidth(std::string("\xFA\x57", 2)), "\"");  // IBM extension code
  EXPECT_EQ(ToFullWidth(""), "");
  EXPECT_EQ(ToHalfWidth(SJ("Ａ") + std::string(1, '\0') + SJ("Ｂ")), "A");  // ends at the first NUL
}

TEST(LocaleMap, KanaAndCase) {
  EXPECT_EQ(ToHiragana(SJ("カタカナヴヽｶabc")), SJ("かたかなヴゝｶabc"));
  EXPECT_EQ(ToKatakana(SJ("ひらがなゝ漢")), SJ("ヒラガナヽ漢"));
  EXPECT_EQ(ToUpperCase(SJ("abcｚαя漢ⅰ")), SJ("ABCＺΑЯ漢Ⅰ"));
  EXPECT_EQ(ToLowerCase(SJ("ABCＺΑЯⅠ")), SJ("abcｚαяⅰ"));
  // A kana whose trail byte is a Latin letter stays as it is.
  EXPECT_EQ(ToLowerCase(SJ("ソア")), SJ("ソア"));
  EXPECT_EQ(ToUpperCase(SJ("ゃa")), SJ("ゃA"));
  // Both codes of a duplicated character map; the result is the preferred one.
  EXPECT_EQ(ToUpperCase("\xFA\x40"), SJ("Ⅰ"));
}

}  // namespace
}  // namespace nura
