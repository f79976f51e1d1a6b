#include "engine/preprocess.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/errors.h"
#include "platform/sjis.h"

namespace nura {
namespace {

std::string Pre(std::string text) {
  PreprocessSource(text, "test.nrs");
  return text;
}

// The message of the ENura that preprocessing `text` raises, or "".
std::string PreError(std::string text) {
  try {
    PreprocessSource(text, "C:\\scripts\\test.nrs");
  } catch (const ENura& e) {
    return e.what();
  }
  return std::string();
}

TEST(Preprocess, LineMarkersBehindEveryLine) {
  EXPECT_EQ(Pre("A\r\nB"), "A\r\n1:B");
  EXPECT_EQ(Pre("A\r\nB\r\n"), "A\r\n1:B\r\n2:");
  // A lone LF or CR ends a line like CR LF; two LF are two lines.
  EXPECT_EQ(Pre("A\nB\rC"), "A\r\n1:B\r\n2:C");
  EXPECT_EQ(Pre("A\n\nB"), "A\r\n1:\r\n2:B");
  EXPECT_EQ(Pre(""), "");
}

TEST(Preprocess, FoldsOutsideLiteralsOnly) {
  EXPECT_EQ(Pre(SJ("「あ」と言う")), "\"" + SJ("あ") + "\"" + SJ("と言う"));
  EXPECT_EQ(Pre(SJ("１２＋３")), "12+3");
  EXPECT_EQ(Pre(SJ("『ＡＢ』。Ａ")), "`" + SJ("ＡＢ") + "`;A");
  EXPECT_EQ(Pre(SJ("\"ａ　１\"ａ")), "\"" + SJ("ａ　１") + "\"a");
  EXPECT_EQ(Pre("\xA2x\xA3"), "\"x\"");
  // Folded quotes and braces count inside literals and comments too.
  EXPECT_EQ(Pre(SJ("\"あ」『い”』")), "\"" + SJ("あ") + "\"`" + SJ("い”") + "`");
  EXPECT_EQ(Pre(SJ("{ａ｝b")), "b");
}

TEST(Preprocess, CommentsVanishAndKeepTheLineCount) {
  EXPECT_EQ(Pre("a 'one\r\nb //two\r\n{three\r\nstill}c\r\nd"),
            "a \r\n1:b \r\n2:\r\n3:c\r\n4:d");
  EXPECT_EQ(Pre(SJ("x※コメント\r\ny")), "x\r\n1:y");
  EXPECT_EQ(Pre("a/b"), "a/b");
  EXPECT_EQ(Pre("{a{b}c}d"), "cd");  // no nesting; a lone "}" is dropped
}

TEST(Preprocess, LiteralsKeepTheirContents) {
  EXPECT_EQ(Pre("\"a\\\"b//c\"d"), "\"a\\\"b//c\"d");
  EXPECT_EQ(Pre("`a'b``c`"), "`a'b``c`");
  EXPECT_EQ(Pre("``x"), "``x");
  // A literal over a line break: no marker inside, the count goes on.
  EXPECT_EQ(Pre("\"a\r\nb\"\r\nc"), "\"a\r\nb\"\r\n2:c");
  // An escaped line end still counts as a line.
  EXPECT_EQ(Pre("\"a\\\r\nb\"\r\nc"), "\"a\\\r\nb\"\r\n2:c");
}

TEST(Preprocess, UnbalancedDelimitersReportTheirLine) {
  ErrorLog().clear();
  const std::string brace = SJ("[エラー] test.nrs(2行目): { }が対応していません。『abc』の近く");
  EXPECT_EQ(PreError("X\r\n{abc"), brace);
  EXPECT_EQ(ErrorLog(), brace + "\r\n");
  EXPECT_EQ(PreError("a\r\n{b\r\nc\r\nd"),
            SJ("[エラー] test.nrs(2行目): { }が対応していません。『b\r\nc\r\nd』の近く"));
  EXPECT_EQ(PreError("x\r\n\"abcdefghijklmnopqrstuvwxyz"),
            SJ("[エラー] test.nrs(2行目): 「」または\"\"が対応していません。『abcdefghijklmnopqrst』の近く"));
  EXPECT_EQ(PreError("x\n`abc"),
            SJ("[エラー] test.nrs(2行目): 『』または''''が対応していません。『abc』の近く"));
  // A "\" at the very end does not read past the text.
  EXPECT_EQ(PreError("\"ab\\"), SJ("[エラー] test.nrs(1行目): 「」または\"\"が対応していません。『ab\\』の近く"));
  // A message is never used as a format.
  EXPECT_EQ(PreError("{%s%d"), SJ("[エラー] test.nrs(1行目): { }が対応していません。『%s%d』の近く"));
}

TEST(Preprocess, FinalLeadByteIsOneCharacter) {
  EXPECT_EQ(Pre("ab\x82"), "ab\x82");
  EXPECT_EQ(PreError("\"\x82"), SJ("[エラー] test.nrs(1行目): 「」または\"\"が対応していません。『") +
                                    "\x82" + SJ("』の近く"));
}

TEST(Preprocess, LineMarkerAndCurrentLine) {
  const std::string text = Pre("A\r\nB\nC");
  ASSERT_EQ(text, "A\r\n1:B\r\n2:C");
  const char* p = text.c_str();
  EXPECT_EQ(CurrentLine(text, p, 9), 1);
  EXPECT_EQ(CurrentLine(text, p + 6, 9), 2);           // at "B"
  EXPECT_EQ(CurrentLine(text, p + text.size() - 1, 9), 3);  // the last line
  EXPECT_EQ(CurrentLine(text, nullptr, 9), 9);
  p += 1;
  EXPECT_EQ(ReadLineMarker(p), 1);
  EXPECT_EQ(*p, 'B');
  const char* none = "\r\n X";
  EXPECT_EQ(ReadLineMarker(none), -1);
  EXPECT_EQ(*none, 'X');
  // A line broken inside a literal carries no marker: the held line stays;
  // the last line behind such a literal still counts its breaks.
  const std::string lit = Pre("\"a\r\nb\"\r\nc\r\n\"d\r\ne\"f");
  ASSERT_EQ(lit, "\"a\r\nb\"\r\n2:c\r\n3:\"d\r\ne\"f");
  EXPECT_EQ(CurrentLine(lit, lit.c_str(), 7), 7);
  EXPECT_EQ(CurrentLine(lit, lit.c_str() + lit.size() - 1, 7), 5);
  EXPECT_EQ(CurrentLine("x", "x" , 7), 1);
}

// Random bytes, biased to the characters the pass decides on, cut at random
// places: never a crash or overrun, and nothing behind the NUL is read.
TEST(Preprocess, RandomTextNeverOverruns) {
  std::mt19937 rng(12345);
  const std::string special = "\r\n\\/'{}\"`\x81\x82\xA2\x75\x5C\x60";
  for (int round = 0; round < 3000; ++round) {
    std::string text(rng() % 64, ' ');
    for (char& c : text) c = rng() % 2 ? special[rng() % special.size()] : static_cast<char>(rng() % 256);
    text.resize(rng() % (text.size() + 1));
    const size_t nul = text.find('\0');
    const std::string prefix = text.substr(0, nul);
    std::string withTail = prefix + std::string(1, '\0') + "{\"`'";
    std::string a = prefix, b = withTail;
    std::string errA, errB;
    try { PreprocessSource(a, "r.nrs"); } catch (const ENura& e) { errA = e.what(); }
    try { PreprocessSource(b, "r.nrs"); } catch (const ENura& e) { errB = e.what(); }
    ASSERT_EQ(errA, errB);
    if (errA.empty()) {
      ASSERT_EQ(a, b);
      for (size_t i = 0; i <= a.size(); i += 1 + rng() % 4) CurrentLine(a, a.c_str() + i, 0);
      const char* p = a.c_str();
      while (*p) {
        ReadLineMarker(p);
        ReadSourceChar(p);
      }
    }
  }
  ErrorLog().clear();
}

}  // namespace
}  // namespace nura
