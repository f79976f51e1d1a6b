#include "engine/sjis_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/errors.h"
#include "engine/scanners.h"
#include "platform/sjis.h"

namespace nura {
namespace {

TEST(SjisText, LengthCopyAndCodes) {
  const std::string t = SJ("aかb");
  EXPECT_EQ(SjisLength(t), 3);
  EXPECT_EQ(SjisLength(""), 0);
  EXPECT_EQ(SjisLength("a\x82"), 2);  // a lead byte at the end is one character
  EXPECT_EQ(SjisCopy(t, 2, 1), SJ("か"));
  EXPECT_EQ(SjisCopy(t, 2, 99), SJ("かb"));
  EXPECT_EQ(SjisCopy(t, 4, 1), "");
  EXPECT_EQ(SjisCopy(t, 0, 2), "a");
  EXPECT_EQ(SjisCopy(t, 1, 0), "");
  EXPECT_EQ(SjisCharCode(SJ("か")), 0x82A9);
  EXPECT_EQ(SjisCharCode("A"), 0x41);
  EXPECT_THROW(SjisCharCode(""), ERangeError);
  EXPECT_EQ(CodeToChar(0x82A9), SJ("か"));
  EXPECT_EQ(CharToCode(SJ("か")), 0x82A9);
  EXPECT_THROW(CharToCode("a"), ERangeError);
}

TEST(SjisText, PositionsAtCharacterStartsOnly) {
  const std::string so = SJ("ソ");  // 0x83 0x5C: the trail byte is "\"
  EXPECT_EQ(SjisPos("\\", so), 0);
  EXPECT_EQ(SjisPosFrom("\\", so, 1), 0);
  const std::string kanaA = SJ("かa");
  EXPECT_EQ(SjisPos("a", kanaA), 2);
  EXPECT_EQ(SjisPosFrom("a", kanaA, 1), 3);
  // The trail byte of "か" followed by "a" is not a match inside the kana.
  EXPECT_EQ(SjisPos(std::string("\xA9") + "a", kanaA), 0);
  EXPECT_EQ(SjisPosFrom(std::string("\xA9") + "a", kanaA, 1), 0);
  EXPECT_EQ(SjisPosFrom(std::string("\xA9") + "a", kanaA, 2), 2);  // a start given inside it is taken as given
  EXPECT_EQ(SjisPosFrom("a", "abca", 2), 4);
  EXPECT_EQ(SjisPosFrom("a", "abca", 0), 1);
  EXPECT_EQ(SjisPosFrom("a", "abc", 5), 0);
  EXPECT_EQ(SjisPosFrom("", "abc", 1), 0);
  EXPECT_EQ(SjisPosFrom("abcd", "abc", 1), 0);
}

TEST(SjisText, ReplaceAndCutToken) {
  int64_t end = -1;
  EXPECT_EQ(SjisReplace("aaa", "a", "aa", true, &end), "aaaaaa");
  EXPECT_EQ(end, 7);
  EXPECT_EQ(SjisReplace("xax", "a", "bb", false, &end), "xbbx");
  EXPECT_EQ(end, 4);
  EXPECT_EQ(SjisReplace("xyz", "a", "b", true, &end), "xyz");
  EXPECT_EQ(end, 0);
  EXPECT_EQ(SjisReplace(SJ("ソa\\"), "\\", "/", true), SJ("ソa/"));

  std::string v = SJ("あ,い,う");
  EXPECT_EQ(CutToken(",", v), SJ("あ"));
  EXPECT_EQ(v, SJ("い,う"));
  std::string w = "abc";
  EXPECT_EQ(CutToken(",", w), "abc");
  EXPECT_EQ(w, "");
}

// The straightforward forms: every character start tried in turn, each hit
// replaced in place.
size_t SimpleFind(std::string_view sub, std::string_view text, size_t from) {
  for (size_t i = from; i < text.size(); i += SjisCharLength(text, i)) {
    if (i + sub.size() > text.size()) break;
    if (text.substr(i, sub.size()) == sub) return i;
  }
  return std::string::npos;
}

std::string SimpleReplace(std::string text, std::string_view search, std::string_view replacement,
                          bool all, int64_t& lastEnd) {
  lastEnd = 0;
  size_t from = 0;
  while (!search.empty() && from < text.size()) {
    const size_t at = SimpleFind(search, text, from);
    if (at == std::string::npos) break;
    text.replace(at, search.size(), replacement);
    from = at + replacement.size();
    lastEnd = static_cast<int64_t>(from) + 1;
    if (!all) break;
  }
  return text;
}

// Texts of lead bytes, trail bytes that are "\" or letters, and lone lead
// bytes at the ends, so hits fall on trail bytes and across characters.
std::string RandomSjis(std::mt19937& random, size_t maxLength) {
  static const char kBytes[] = {'\x81', '\x83', '\xE0', '\x5C', 'a', 'b', '\x40', '\xA9', 'x'};
  std::string text(random() % (maxLength + 1), ' ');
  for (char& c : text) c = kBytes[random() % sizeof kBytes];
  return text;
}

TEST(SjisText, ReplaceAndFindAgreeWithTheCharacterWalk) {
  std::mt19937 random(39);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = RandomSjis(random, 40);
    const std::string search = RandomSjis(random, 3);
    const std::string replacement = RandomSjis(random, 3);
    const bool all = round % 3 != 0;
    int64_t expectedEnd = -1, end = -1;
    const std::string expected = SimpleReplace(text, search, replacement, all, expectedEnd);
    ASSERT_EQ(SjisReplace(text, search, replacement, all, &end), expected) << round;
    ASSERT_EQ(end, expectedEnd) << round;
    const int64_t start = static_cast<int64_t>(random() % (text.size() + 2));
    const size_t at = search.empty() || start > static_cast<int64_t>(text.size())
                          ? std::string::npos
                          : SimpleFind(search, text, static_cast<size_t>(std::max<int64_t>(start, 1) - 1));
    ASSERT_EQ(SjisPosFrom(search, text, start), at == std::string::npos ? 0 : static_cast<int64_t>(at) + 1)
        << round;
  }
}

TEST(SjisText, ExtractingTagsAgreesWithCuttingThemOneByOne) {
  std::mt19937 random(39);
  const std::string pieces[] = {"<a", "<A", "</a", "</A", ">", "x", "\x81", "\x83", "<br>", " "};
  for (int round = 0; round < 5000; ++round) {
    std::string text;
    for (int n = static_cast<int>(random() % 16); n > 0; --n) text += pieces[random() % 10];
    const std::string tag = round % 2 ? "a" : "<a>";
    std::string rest = text, expected;
    while (!rest.empty()) {
      const std::string element = CutTagElement(rest, tag);
      if (!element.empty()) expected += element + "\r\n";
    }
    ASSERT_EQ(ExtractTagContents(text, tag), expected) << text;
  }
}

TEST(SjisText, TrimmingAndTags) {
  EXPECT_EQ(TrimText("\t a b \r\n"), "a b");
  EXPECT_EQ(TrimWideSpace(SJ(" 　\tあ　い 　\r\n")), SJ("あ　い"));
  EXPECT_EQ(TrimWideSpace(SJ("　　")), "");
  EXPECT_EQ(RemoveTags(SJ(" <b>太字</b>と<i>ソ>")), SJ("太字とソ>"));
  EXPECT_EQ(RemoveTags(SJ("a<ソ>b<c")), "ab");
  EXPECT_EQ(RemoveTags(SJ("a>b<ソ>c")), SJ("a>bc"));

  std::string html = "x<a href=1>one</a>y<A>two</A>";
  EXPECT_EQ(CutTagElement(html, "<a>"), "<a href=1>one</a>");
  EXPECT_EQ(html, "y<A>two</A>");
  EXPECT_EQ(ExtractTagContents("x<a href=1>one</a>y<A>two</A>", "a"),
            "<a href=1>one</a>\r\n<A>two</A>\r\n");
  // No closing tag: the opening tag alone, and the search moves past it.
  std::string open = "<br>text<br>";
  EXPECT_EQ(CutTagElement(open, "br"), "<br>");
  EXPECT_EQ(open, "text<br>");
  EXPECT_EQ(ExtractTagContents("<br>text<br>more", "br"), "<br>\r\n<br>\r\n");
  std::string unterminated = "ab<br";
  EXPECT_EQ(CutTagElement(unterminated, "br"), "");
  EXPECT_EQ(unterminated, "");
  std::string none = "plain";
  EXPECT_EQ(CutTagElement(none, "b"), "");
  EXPECT_EQ(none, "");
}

TEST(SjisText, ClassesAndHalfWidthList) {
  EXPECT_TRUE(IsHiragana(SJ("あ")));
  EXPECT_FALSE(IsHiragana(SJ("ア")));
  EXPECT_FALSE(IsHiragana("a"));
  EXPECT_TRUE(IsKatakana(SJ("ア")));
  EXPECT_TRUE(IsKatakana(SJ("ヶ")));
  EXPECT_FALSE(IsKatakana(SJ("あ")));
  EXPECT_TRUE(IsNumericText("12.5e+3"));
  EXPECT_FALSE(IsNumericText("-1"));
  EXPECT_FALSE(IsNumericText("1a"));
  EXPECT_FALSE(IsNumericText(""));
  EXPECT_EQ(AlnumToHalfWidth(SJ("ＡＢ１２　”￥＠あ")), SJ("AB12 \"\\@あ"));
}

TEST(SjisText, ReadIntegerTextIsStrictAndThirtyTwoBits) {
  int32_t v = 7;
  EXPECT_TRUE(ReadIntegerText(" -12 ", v));
  EXPECT_EQ(v, -12);
  EXPECT_TRUE(ReadIntegerText("$10", v));
  EXPECT_EQ(v, 16);
  EXPECT_TRUE(ReadIntegerText("$FFFFFFFF", v));
  EXPECT_EQ(v, -1);
  EXPECT_TRUE(ReadIntegerText("2147483647", v));
  EXPECT_EQ(v, 2147483647);
  v = 7;
  for (const char* bad : {"", "$", "-", "12a", "1.5", "2147483648", "$123456789", "9999999999"}) {
    EXPECT_FALSE(ReadIntegerText(bad, v)) << bad;
  }
  EXPECT_EQ(v, 7);
}

TEST(SjisText, TextToNumber) {
  EXPECT_EQ(TextToNumber(SJ("１，２３４")), 1234);
  EXPECT_EQ(TextToNumber("$1F"), 31);
  EXPECT_EQ(TextToNumber("$ffffffff"), -1);
  EXPECT_EQ(TextToNumber("$1G"), 0);
  EXPECT_EQ(TextToNumber("$"), 0);
  EXPECT_EQ(TextToNumber("123abc"), 123);
  EXPECT_EQ(TextToNumber("1e5"), 1);
  EXPECT_EQ(TextToNumber("1.5e3"), 1500);
  EXPECT_EQ(TextToNumber("1.5e"), 1.5);
  EXPECT_EQ(TextToNumber("-.5"), -0.5);
  EXPECT_EQ(TextToNumber(""), 0);
  EXPECT_EQ(TextToNumber("abc"), 0);
  EXPECT_EQ(TextToNumber(" \t+42 "), 42);
  EXPECT_EQ(TextToNumber("1,234,567"), 1234567);
  EXPECT_EQ(TextToNumber(SJ("－３．５")), -3.5);
  EXPECT_EQ(TextToNumber("-"), 0);
}

TEST(SjisText, FormatThousands) {
  EXPECT_EQ(FormatThousands("1234567"), "1,234,567");
  EXPECT_EQ(FormatThousands("1234.5"), "1,234.50");
  EXPECT_EQ(FormatThousands("-1234.567"), "-1,234.57");
  EXPECT_EQ(FormatThousands("2.5"), "2.50");
  EXPECT_EQ(FormatThousands("2.5e0"), "2.50");
  EXPECT_EQ(FormatThousands("999"), "999");
  EXPECT_EQ(FormatThousands("abc"), "0");
  EXPECT_EQ(FormatThousands("-0.001"), "0.00");
}

TEST(SjisText, FoldText) {
  EXPECT_EQ(FoldText("abcdef", 4, 4, ""), "abcd\r\nef");
  EXPECT_EQ(FoldText(SJ("abcあ"), 4, 4, ""), SJ("abc\r\nあ"));
  EXPECT_EQ(FoldText("ab\n\ncd", 10, 4, ""), "ab\r\ncd");
  EXPECT_EQ(FoldText("ab\r\n\r\ncd", 10, 4, ""), "ab\r\n\r\ncd");
  EXPECT_EQ(FoldText("a\tb", 10, 4, ""), "a\tb");
  EXPECT_EQ(FoldText("a\tbc", 5, 4, ""), "a\t\r\nbc");
  EXPECT_EQ(FoldText(SJ("ああ。い"), 4, 4, SJ("。、")), SJ("ああ。\r\nい"));
  EXPECT_EQ(FoldText("abc", 0, 4, ""), "abc");
}

TEST(SjisText, CursorReaders) {
  const std::string s = SJ(" \t(a(b)\")\" 'x)' \"\\\")\" ソ) rest");
  const char* c = s.c_str();
  EXPECT_EQ(ReadBracketedText(c), SJ("a(b)\")\" 'x)' \"\\\")\" ソ"));
  EXPECT_STREQ(c, " rest");

  const std::string open = "(a(b)";
  const char* o = open.c_str();
  EXPECT_THROW(ReadBracketedText(o), ENura);
  EXPECT_EQ(o, open.c_str());

  CharSet stops;
  stops.set(',');
  stops.set('\\');
  const std::string t = SJ("ソ表,x");
  const char* p = t.c_str();
  EXPECT_EQ(ReadUntilCharSet(stops, p), SJ("ソ表"));
  EXPECT_STREQ(p, "x");
  EXPECT_EQ(ReadUntilCharSet(stops, p), "x");
  EXPECT_STREQ(p, "");

  const char* b = " \t x";
  SkipBlanks(b);
  EXPECT_STREQ(b, "x");
}

}  // namespace
}  // namespace nura
