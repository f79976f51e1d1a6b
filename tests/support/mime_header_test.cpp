#include "support/mime_header.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>

#include "support/base64.h"
#include "support/jconvert.h"
#include "platform/sjis.h"

namespace nura {
namespace {

TEST(Base64, EncodesWithPadding) {
  EXPECT_EQ(Base64Encode("ABCD"), "QUJDRA==");
  EXPECT_EQ(Base64Encode("ABC"), "QUJD");
  EXPECT_EQ(Base64Encode("AB"), "QUI=");
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode(std::string("\xFF\xFE\0", 3)), "//4A");
}

TEST(Base64, DecodesAndRoundTrips) {
  EXPECT_EQ(Base64Decode("QUJDRA=="), "ABCD");
  EXPECT_EQ(Base64Decode("QUI="), "AB");
  EXPECT_EQ(Base64Decode("QUJD"), "ABC");
  EXPECT_EQ(Base64Decode("QUJDRA"), "ABCD");  // padding left off
  std::mt19937 rng(7);
  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes += static_cast<char>(rng());
  const std::string code = Base64Encode(bytes);
  EXPECT_EQ(Base64Decode(code), bytes);
  // Line breaks every 76 characters change nothing.
  std::string wrapped;
  for (size_t i = 0; i < code.size(); i += 76) wrapped += code.substr(i, 76) + "\r\n";
  EXPECT_EQ(Base64Decode(wrapped), bytes);
}

TEST(Base64, UntrustedInputIsSkippedNotTrusted) {
  // Blanks and breaks anywhere, characters outside the alphabet ignored.
  EXPECT_EQ(Base64Decode(" Q U\r\nJ\tD*R!A = ="), "ABCD");
  EXPECT_EQ(Base64Decode("===="), "");
  EXPECT_EQ(Base64Decode("Q"), "");  // a lone sextet holds no whole byte
  EXPECT_EQ(Base64Decode("=QUJD"), "ABC");
  // Much padding and little data never produces more than the data holds.
  EXPECT_EQ(Base64Decode("QQ=================="), "A");
  std::string junk;
  for (int i = 0; i < 256; ++i) junk += static_cast<char>(i);
  EXPECT_LE(Base64Decode(junk).size(), 48u);
}

TEST(MimeHeader, EncodesEachJapaneseRun) {
  EXPECT_EQ(EncodeMimeHeader(SJ("abc 日本 def")), "abc =?ISO-2022-JP?B?GyRCRnxLXBsoSg==?= def");
  EXPECT_EQ(EncodeMimeHeader(SJ("あ and い")),
            "=?ISO-2022-JP?B?GyRCJCIbKEo=?= and =?ISO-2022-JP?B?GyRCJCQbKEo=?=");
  EXPECT_EQ(EncodeMimeHeader("plain"), "plain");
  EXPECT_EQ(EncodeMimeHeader("x =?ISO-2022-JP?B?"), "x =?ISO-2022-JP?B?" "?=");
}

TEST(MimeHeader, DecodesToJis) {
  const std::string subject = SJ("件名 テスト です");
  const std::string decoded = DecodeMimeHeader(EncodeMimeHeader(subject));
  EXPECT_EQ(ConvertKanjiCode(decoded, kCodeSjis), subject);
  EXPECT_EQ(DecodeMimeHeader("a =?iso-2022-jp?b?GyRCJCIbKEo=?= b"),
            "a \x1B$B\x24\x22\x1B(J\x1B(J b");
  // Without a closing "?=" only the prefix goes.
  EXPECT_EQ(DecodeMimeHeader("=?ISO-2022-JP?B?abc =?ISO-2022-JP?B?def"), "abc def");
  // Decoded bytes are not decoded again.
  const std::string inner = "=?ISO-2022-JP?B?" + Base64Encode("x") + "?=";
  EXPECT_EQ(DecodeMimeHeader("=?ISO-2022-JP?B?" + Base64Encode(inner) + "?="), inner + "\x1B(J");
}

// The in-place form: each encoded word replaced where it stands.
std::string SimpleDecode(std::string out) {
  const std::string start = "=?ISO-2022-JP?B?";
  auto findNoCase = [](const std::string& text, const std::string& word, size_t from) {
    for (size_t i = from; i + word.size() <= text.size(); ++i) {
      if (std::equal(word.begin(), word.end(), text.begin() + static_cast<std::ptrdiff_t>(i),
                     [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) ==
                                                 std::toupper(static_cast<unsigned char>(b)); }))
        return i;
    }
    return std::string::npos;
  };
  size_t from = 0;
  for (size_t at; (at = findNoCase(out, start, from)) != std::string::npos;) {
    out.erase(at, start.size());
    const size_t end = out.find("?=", at);
    from = at;
    if (end == std::string::npos) continue;
    const std::string decoded = Base64Decode(out.substr(at, end - at)) + "\x1B(J";
    out.replace(at, end + 2 - at, decoded);
    from = at + decoded.size();
  }
  return out;
}

TEST(MimeHeader, DecodingAgreesWithInPlaceReplacement) {
  std::mt19937 rng(39);
  const std::string pieces[] = {"=?ISO-2022-JP?B?", "?=", "=?iso-2022-jp?b?", "QUJD", "PT9J", "=",
                                "?", "\x82", "a", "U08tMjAyMi1KUD9CPw=="};
  for (int round = 0; round < 5000; ++round) {
    std::string header;
    for (int i = static_cast<int>(rng() % 14); i > 0; --i) header += pieces[rng() % 10];
    ASSERT_EQ(DecodeMimeHeader(header), SimpleDecode(header)) << header;
  }
}

TEST(MimeHeader, ArbitraryHeadersAreSafe) {
  std::mt19937 rng(5);
  const std::string pieces[] = {"=?ISO-2022-JP?B?", "?=", "=?iso-2022-jp?b?", "QUJD", "=", "\r\n",
                                "\x82", "\xA0", " ", "?"};
  std::uniform_int_distribution<int> pick(0, 9), len(0, 12);
  for (int round = 0; round < 2000; ++round) {
    std::string header;
    for (int i = len(rng); i > 0; --i) header += pieces[pick(rng)];
    const std::string decoded = DecodeMimeHeader(header);
    EXPECT_EQ(decoded.find("=?ISO-2022-JP?B?"), std::string::npos) << header;
    EncodeMimeHeader(header);
    CutAtBinary(header);
  }
}

TEST(MimeHeader, CutAtBinary) {
  EXPECT_EQ(CutAtBinary(SJ("表示\tok\r\n")), SJ("表示\tok\r\n"));
  EXPECT_EQ(CutAtBinary(std::string("abc\0def", 7)), "abc");
  EXPECT_EQ(CutAtBinary("ab\x7F" "c"), "ab");
  EXPECT_EQ(CutAtBinary("ab\xB1"), "ab");   // half-width kana is not text here
  EXPECT_EQ(CutAtBinary("ab\x82"), "ab");   // a lead byte without its trail
}

}  // namespace
}  // namespace nura
