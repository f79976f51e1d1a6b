#include "support/jconvert.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <random>

#include "platform/sjis.h"

namespace nura {
namespace {

// Converts with the C library's iconv, as an independent cross-check.
std::string Iconv(const std::string& in, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string out(in.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  EXPECT_NE(iconv(cd, &src, &srcLeft, &dst, &dstLeft), static_cast<size_t>(-1));
  iconv(cd, nullptr, nullptr, &dst, &dstLeft);  // closing shift sequence
  iconv_close(cd);
  out.resize(out.size() - dstLeft);
  return out;
}

// Random Shift-JIS text of assigned JIS X 0208 characters (kana rows 4
// and 5, kanji rows 16-46), ASCII, line breaks and half-width kana.
std::string RandomSjis(std::mt19937& rng, size_t chars, bool withHalfKana) {
  std::string s;
  std::uniform_int_distribution<int> kind(0, 9), row(14, 46), cell(1, 94), ascii(0x20, 0x7E),
      kana(0xA1, 0xDF), kanaCell(1, 83);
  for (size_t i = 0; i < chars; ++i) {
    const int k = kind(rng);
    if (k < 5) {
      // JIS row/cell to Shift-JIS by the textbook formula, independent of
      // the code under test.
      int r = row(rng);
      const int c = r < 16 ? kanaCell(rng) : cell(rng);
      if (r < 16) r -= 10;  // rows 4 and 5
      const int j1 = r + 0x20, j2 = c + 0x20;
      const int s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
      const int s2 = j2 + ((j1 & 1) ? (j2 >= 0x60 ? 0x20 : 0x1F) : 0x7E);
      s += static_cast<char>(s1);
      s += static_cast<char>(s2);
    } else if (k == 5) {
      s += "\r\n";
    } else if (k == 6 && withHalfKana) {
      s += static_cast<char>(kana(rng));
    } else {
      s += static_cast<char>(ascii(rng));
    }
  }
  return s;
}

TEST(KanjiDetect, ClassifiesTexts) {
  EXPECT_EQ(DetectKanjiCode("hello, world"), kCodeAscii);
  EXPECT_EQ(DetectKanjiCode(std::string("ab\0cd", 5)), kCodeBinary);
  EXPECT_EQ(DetectKanjiCode("ab\xFF" "cd"), kCodeBinary);
  EXPECT_EQ(DetectKanjiCode(SJ("日本語のテキスト")), kCodeSjis);
  EXPECT_EQ(DetectKanjiCode(SjisToEuc(SJ("日本語のテキスト"))), kCodeEuc);
  EXPECT_EQ(DetectKanjiCode(SjisToJis(SJ("日本語"))), kCodeJis);
  EXPECT_EQ(DetectKanjiCode("a\x1B$@\x46\x7C\x1B(J"), kCodeJisOld);
  // Bytes that both encodings allow stay undecided.
  EXPECT_EQ(DetectKanjiCode("\xB1\xB2\xB3\xB4"), kCodeEucOrSjis);
  // A lead byte at the very end is never read past.
  EXPECT_EQ(DetectKanjiCode("abc\x82"), kCodeAscii);
  EXPECT_EQ(DetectKanjiCode("\x1B$"), kCodeAscii);
  EXPECT_EQ(DetectKanjiCode(""), kCodeAscii);
}

TEST(KanjiDetect, BinaryOnlyWithinScanLimit) {
  std::string text(600, 'a');
  text[520] = '\0';
  text += SJ("あ");
  // Past the 512-byte binary scan, the walk still stops at the NUL.
  EXPECT_EQ(DetectKanjiCode(text), kCodeBinary);
  text[520] = 'a';
  EXPECT_EQ(DetectKanjiCode(text), kCodeSjis);
}

TEST(KanjiConvert, ExactBytes) {
  EXPECT_EQ(ConvertKanjiCode(SJ("aあ"), kCodeJis), "a\x1B$B\x24\x22\x1B(J");
  EXPECT_EQ(ConvertKanjiCode(SJ("あ"), kCodeEuc), "\xA4\xA2");
  EXPECT_EQ(ConvertKanjiCode("\xA4\xA2\xA4\xA4\xB0\xFE", kCodeSjis), SJ("あい") + "\x88\xFC");
  // Bytes valid in both stay as they are: the encoding is undecided.
  EXPECT_EQ(ConvertKanjiCode("\xA4\xA2\xA4\xA4", kCodeSjis), "\xA4\xA2\xA4\xA4");
  EXPECT_EQ(ConvertKanjiCode("\x1B$B\x24\x22\x1B(Jx", kCodeSjis), SJ("あx"));
  EXPECT_EQ(ConvertKanjiCode("\x1B$B\x24\x22\x1B(J", kCodeEuc), "\xA4\xA2");
  EXPECT_EQ(ConvertKanjiCode(SJ("表"), kCodeSjis), SJ("表"));  // already the target
  EXPECT_EQ(ConvertKanjiCode(SJ("表"), 7), SJ("表"));          // unknown target
  EXPECT_EQ(ConvertKanjiCode("", kCodeEuc), "");
  EXPECT_EQ(ConvertKanjiCode("plain ascii", kCodeJis), "plain ascii");
  const std::string binary("\x82\xA0\0a", 4);
  EXPECT_EQ(ConvertKanjiCode(binary, kCodeJis), binary);
}

TEST(KanjiConvert, JisEscapesAroundLineBreaks) {
  EXPECT_EQ(SjisToJis(SJ("あ\r\nい")),
            "\x1B$B\x24\x22\x1B(J\r\n\x1B$B\x24\x24\x1B(J");
}

TEST(KanjiConvert, HalfWidthKanaBecomeFullWidth) {
  // ｶﾞ -> ガ, ｳﾞ -> ヴ, ﾊﾟ -> パ, ｱﾞ stays ア + ゛, ｰ -> ー
  EXPECT_EQ(SjisToJis("\xB6\xDE"), "\x1B$B\x25\x2C\x1B(J");
  EXPECT_EQ(SjisToJis("\xB3\xDE"), "\x1B$B\x25\x74\x1B(J");
  EXPECT_EQ(SjisToJis("\xCA\xDF"), "\x1B$B\x25\x51\x1B(J");
  EXPECT_EQ(SjisToJis("\xB1\xDE"), "\x1B$B\x25\x22\x21\x2B\x1B(J");
  EXPECT_EQ(SjisToJis("\xB0"), "\x1B$B\x21\x3C\x1B(J");
  EXPECT_EQ(SjisToJis("\xB6"), "\x1B$B\x25\x2B\x1B(J");  // a kana at the very end
  // Every half-width kana alone maps to what iconv gives for its
  // compatibility (full-width) form.
  const std::string full = SJ(
      "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
      "ハヒフヘホマミムメモヤユヨラリルレロワン゛゜");
  for (int c = 0xA1; c <= 0xDF; ++c) {
    const std::string one(1, static_cast<char>(c));
    EXPECT_EQ(SjisToJis(one), SjisToJis(full.substr(2 * (c - 0xA1), 2))) << c;
  }
  // EUC half-width kana, with a voiced mark, to JIS.
  EXPECT_EQ(EucToJis("\x8E\xB6\x8E\xDE"), "\x1B$B\x25\x2C\x1B(J");
  EXPECT_EQ(SjisToEuc("\xB1"), "\x8E\xB1");
  EXPECT_EQ(EucToSjis("\x8E\xB1"), "\xB1");
}

TEST(KanjiConvert, TruncatedInputIsNeverReadPast) {
  EXPECT_EQ(SjisToJis("a\x82"), "a\x82");
  EXPECT_EQ(SjisToEuc("a\x82"), "a\x82");
  EXPECT_EQ(EucToSjis("a\xA4"), "a\xA4");
  EXPECT_EQ(EucToJis("a\x8E"), "a\x8E");
  EXPECT_EQ(JisToSjis("\x1B$B\x24"), "\x24");
  EXPECT_EQ(JisToEuc("\x1B$"), "\x1B$");
  EXPECT_EQ(JisToSjis("\x1B"), "\x1B");
}

TEST(KanjiConvert, AgreesWithIconvAndRoundTrips) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 20; ++round) {
    const std::string sjis = RandomSjis(rng, 400, false);
    const std::string jis = SjisToJis(sjis);
    const std::string euc = SjisToEuc(sjis);
    EXPECT_EQ(euc, Iconv(sjis, "SHIFT_JIS", "EUC-JP"));
    EXPECT_EQ(JisToSjis(jis), sjis);
    EXPECT_EQ(EucToSjis(euc), sjis);
    EXPECT_EQ(JisToEuc(jis), euc);
    EXPECT_EQ(EucToJis(euc), jis);
    EXPECT_EQ(ConvertKanjiCode(ConvertKanjiCode(sjis, kCodeJis), kCodeSjis), sjis);
    EXPECT_EQ(ConvertKanjiCode(ConvertKanjiCode(sjis, kCodeEuc), kCodeSjis), sjis);
  }
  // With half-width kana, EUC keeps them and comes back unchanged.
  const std::string kana = RandomSjis(rng, 400, true);
  EXPECT_EQ(EucToSjis(SjisToEuc(kana)), kana);
}

TEST(KanjiConvert, ArbitraryBytesAreSafe) {
  // Random bytes, rich in escapes and high bytes, through every converter:
  // no read past the end (the sanitizers watch), and kana-free Shift-JIS
  // output of the EUC converter always converts back.
  std::mt19937 rng(99);
  std::uniform_int_distribution<int> byte(0, 255), len(0, 40), pick(0, 7);
  for (int round = 0; round < 2000; ++round) {
    std::string s;
    const int n = len(rng);
    for (int i = 0; i < n; ++i) {
      const int k = pick(rng);
      s += k == 0 ? '\x1B' : k == 1 ? '$' : k == 2 ? '(' : static_cast<char>(byte(rng));
    }
    const int code = DetectKanjiCode(s);
    EXPECT_GE(code, kCodeAscii);
    EXPECT_LE(code, kCodeEucOrSjis);
    for (int target : {kCodeJis, kCodeEuc, kCodeSjis}) ConvertKanjiCode(s, target);
    JisToSjis(s);
    JisToEuc(s);
    EucToJis(s);
    SjisToJis(s);
    EucToSjis(s);
    SjisToEuc(s);
  }
}

}  // namespace
}  // namespace nura
