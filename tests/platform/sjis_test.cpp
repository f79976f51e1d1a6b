#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

#include <QString>
#include <gtest/gtest.h>

#include "platform/native_path.h"

namespace nura {
namespace {

TEST(SjisConvert, RoundTripsJapaneseText) {
  const std::string utf8 = "こんにちは、ソ表能①～ｱｲｳ abc";
  const std::string sjis = Utf8ToSjis(utf8);
  EXPECT_EQ(sjis.substr(0, 2), "\x82\xB1");
  EXPECT_EQ(SjisToUtf8(sjis), utf8);
  EXPECT_EQ(Utf8ToSjis("ソ"), "\x83\x5C");
  EXPECT_EQ(Utf8ToSjis("ｱ"), "\xB1");
  EXPECT_EQ(Utf8ToSjis("①"), "\x87\x40");
}

TEST(SjisConvert, UnmappableBecomesQuestionMark) {
  EXPECT_EQ(Utf8ToSjis("a😀b"), "a?b");
  EXPECT_EQ(Utf8ToSjis("a\xE2\x82"), "a??");   // truncated sequence
  EXPECT_EQ(Utf8ToSjis("\xC0\xAF"), "??");       // overlong
  EXPECT_EQ(SjisToUtf8("a\x82"), "a?");          // lone lead byte at the end
  EXPECT_EQ(SjisToUtf8("\x85\x40"), "?");        // undefined code
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  EXPECT_FALSE(SjisToUtf8(all).empty());
  EXPECT_FALSE(Utf8ToSjis(all).empty());
}

TEST(SjisConvert, ScriptTextFromUtf8OrShiftJis) {
  int line = 0;
  // Shift-JIS and plain ASCII stay as they are.
  for (std::string text : {Utf8ToSjis("「表」と言う\r\nソ"), std::string("A=1\n")}) {
    const std::string before = text;
    EXPECT_TRUE(ScriptTextToSjis(text, line));
    EXPECT_EQ(text, before);
  }
  std::string text = "\xEF\xBB\xBF" "a\r\n";
  EXPECT_TRUE(ScriptTextToSjis(text, line));
  EXPECT_EQ(text, "a\r\n");
  text = "表〜−\n";
  EXPECT_TRUE(ScriptTextToSjis(text, line));
  EXPECT_EQ(text, Utf8ToSjis("表～－\n"));
  // The line of a character without a Shift-JIS form; CR LF, LF and CR end lines.
  text = "あ\r\nい\nう\rえ한\n";
  EXPECT_FALSE(ScriptTextToSjis(text, line));
  EXPECT_EQ(line, 4);
  EXPECT_EQ(text, "あ\r\nい\nう\rえ한\n");
}

TEST(SjisConvert, QStringBothWays) {
  const std::string sjis = Utf8ToSjis("表示テスト");
  const QString q = SjisToQString(sjis);
  EXPECT_EQ(q, QString::fromUtf8("表示テスト"));
  EXPECT_EQ(QStringToSjis(q), sjis);
  EXPECT_EQ(QStringToSjis(QString::fromUtf8("x😀")), "x?");
}

// Every single byte and every pair of a lead and a trail byte gives the
// same UTF-8 as Qt makes of the UTF-16 text; half-width kana alone take the
// most room (three bytes for one).
TEST(SjisConvert, EveryCharacterGivesTheUtf8OfItsCodePoint) {
  std::string all;
  for (int c = 0; c < 256; ++c) {
    all += static_cast<char>(c);
    if (c >= 0x81 && c <= 0xFC) all += '.';  // a lead byte takes a trail of its own
  }
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      all += static_cast<char>(lead);
      all += static_cast<char>(trail);
    }
  }
  EXPECT_EQ(SjisToUtf8(all), SjisToQString(all).toStdString());
  const std::string kana(1000, '\xB1');
  std::string expected;
  for (int i = 0; i < 1000; ++i) expected += "ｱ";
  EXPECT_EQ(SjisToUtf8(kana), expected);
  EXPECT_EQ(SjisToUtf8(""), "");
}

// ASCII runs are copied in steps of eight bytes: every length of a run,
// before a two-byte character, a lead byte left alone at the end, or a
// second byte that is a backslash, converts as the same text byte by byte.
TEST(SjisConvert, AsciiRunsOfEveryLengthBeforeOtherText) {
  for (size_t n = 0; n <= 17; ++n) {
    const std::string run(n, 'a');
    EXPECT_EQ(SjisToUtf8(run), run);
    EXPECT_EQ(Utf8ToSjis(run), run);
    EXPECT_EQ(SjisToUtf8(run + "\x83\x5C" + "b"), run + "ソb");
    EXPECT_EQ(Utf8ToSjis(run + "ソb"), run + "\x83\x5C" + "b");
    EXPECT_EQ(SjisToUtf8(run + "\x82"), run + "?");
    EXPECT_EQ(Utf8ToSjis(run + "\xE2\x82"), run + "??");
    EXPECT_EQ(ScriptPathToNative("C:" + run + "\\\x83\x5C"), run + "/ソ");
  }
}

TEST(NativePath, DropsDriveAndTurnsSeparators) {
  EXPECT_EQ(ScriptPathToNative("C:\\tmp\\a.txt"), "/tmp/a.txt");
  EXPECT_EQ(ScriptPathToNative("d:/x/y"), "/x/y");
  EXPECT_EQ(ScriptPathToNative("rel\\Dir\\F.txt"), "rel/Dir/F.txt");
  // The second byte of "ソ" is 0x5C: it must not become a separator.
  EXPECT_EQ(ScriptPathToNative(Utf8ToSjis("\\tmp\\ソフト")), "/tmp/ソフト");
  EXPECT_EQ(NativePathToScript("/tmp/ソ"), Utf8ToSjis("/tmp/ソ"));
}

}  // namespace
}  // namespace nura
