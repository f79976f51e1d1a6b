#include "engine/scanners.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/sjis.h"

namespace nura {
namespace {

TEST(Scanners, ScanWordStopsAtDelimitersOnly) {
  const std::string text = "  \t" + SJ("表示") + "(1)";
  const char* p = text.c_str();
  EXPECT_EQ(ScanWord(p), SJ("表示"));
  EXPECT_EQ(*p, '(');
  // "ソ" ends in 0x5C; it must not be read as "\".
  const std::string soft = SJ("ソフト") + "+1";
  p = soft.c_str();
  EXPECT_EQ(ScanWord(p), SJ("ソフト"));
  EXPECT_EQ(*p, '+');
  const std::string lf = "ab\ncd e";
  p = lf.c_str();
  EXPECT_EQ(ScanWord(p), "ab\ncd");  // LF is no delimiter
  const char* lead = "x\x82";
  EXPECT_EQ(ScanWord(lead), "x\x82");
  EXPECT_EQ(*lead, '\0');
  const char* null = nullptr;
  EXPECT_EQ(ScanWord(null), "");
}

TEST(Scanners, ReadNumberToken) {
  const char* p = " ,-12.5e+3x";
  EXPECT_EQ(ReadNumberToken(p), "-12.5e+3");
  EXPECT_EQ(*p, 'x');
  p = "12.x";
  EXPECT_EQ(ReadNumberToken(p), "12");
  EXPECT_EQ(*p, '.');
  p = "3e5";
  EXPECT_EQ(ReadNumberToken(p), "3");
  p = "1.5E";
  EXPECT_EQ(ReadNumberToken(p), "1.5");
  EXPECT_EQ(*p, 'E');
  p = "$1F;";
  EXPECT_EQ(ReadNumberToken(p), "31");
  EXPECT_EQ(*p, ';');
  p = "+abc";
  EXPECT_EQ(ReadNumberToken(p), "+");
  p = "$";
  EXPECT_EQ(ReadNumberToken(p), "0");
}

TEST(Scanners, ReadUntilText) {
  // The trail byte of "ソ" (0x5C) followed by "n" must not match "\n".
  const std::string text = SJ("ソn") + "\\nrest";
  const char* p = text.c_str();
  EXPECT_EQ(ReadUntilText("\\n", p), SJ("ソn"));
  EXPECT_STREQ(p, "rest");
  p = "no delimiter";
  EXPECT_EQ(ReadUntilText("|", p), "no delimiter");
  EXPECT_EQ(*p, '\0');
  p = "a\\|b|c";
  EXPECT_EQ(ReadUntilTextEscaped("|", p, '\\'), "a\\|b");
  EXPECT_STREQ(p, "c");
  p = "a\\";
  EXPECT_EQ(ReadUntilTextEscaped("|", p, '\\'), "a\\");
  CharSet set;
  set.set(';');
  p = "ab;cd";
  EXPECT_EQ(ReadUntilCharSet(set, p), "ab");
  EXPECT_STREQ(p, "cd");
}

TEST(Scanners, ScanParenthesized) {
  const char* p = " (a(b)\")\"`)`c)rest";
  EXPECT_EQ(ScanParenthesized(p), "a(b)\")\"`)`c");
  EXPECT_STREQ(p, "rest");
  p = "(\"\\\")\")x";
  EXPECT_EQ(ScanParenthesized(p), "\"\\\")\"");
  const char* open = "(a(b)";
  const char* before = open;
  try {
    ScanParenthesized(open);
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(e.what(), SJ("\")\"が対応していません。"));
  }
  EXPECT_EQ(open, before);
}

TEST(Scanners, ScanQuotedLiteral) {
  const char* p = ", \"a\\\"b\"rest";
  EXPECT_EQ(ScanQuotedLiteral(p, -1), "\"a\\\"b\"");
  EXPECT_STREQ(p, "rest");
  p = "`a``b`rest";
  EXPECT_EQ(ScanQuotedLiteral(p, -1), "`a``b`");
  EXPECT_STREQ(p, "rest");
  p = "word";
  EXPECT_EQ(ScanQuotedLiteral(p, -1), "");
  EXPECT_STREQ(p, "word");
  const std::string kanji = "\"" + SJ("ソ") + "\"";
  p = kanji.c_str();
  EXPECT_EQ(ScanQuotedLiteral(p, -1), kanji);
  auto message = [](const char* text, int max) {
    try {
      ScanQuotedLiteral(text, max);
    } catch (const std::runtime_error& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  EXPECT_EQ(message("\"abc\\", -1), SJ("対応するカッコ \" または 」 がありません。"));
  EXPECT_EQ(message("`abc``", -1), SJ("対応するカッコ ` または 』 がありません。"));
  EXPECT_EQ(message("\"abcdef\"", 3), SJ("対応するカッコ \" または 」 がありません。"));
  EXPECT_EQ(message("\"ab\"", 3), "");
}

}  // namespace
}  // namespace nura
