#include "commands/string_commands.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "engine/command_registry.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// Runs string command handlers on arguments pushed as the binder leaves
// them: texts as raw literals, numbers and variable names as they stand.
class StringCommands : public ::testing::Test {
 protected:
  void SetUp() override { RegisterStringCommands(); }

  static std::string Text(const std::string& sjis) { return TNuraEngine::MakeRawLiteral(sjis); }

  // Pushes the arguments (first deepest) and runs command `id`; returns "それ".
  std::string Run(int id, std::initializer_list<std::string> args) {
    for (const auto& a : args) engine.Base().args.Push(a);
    CommandHandler handler = FindCommandHandler(id);
    EXPECT_NE(handler, nullptr) << id;
    handler(engine, id);
    return engine.ResultNode()->value;
  }
  std::string Kind() const { return engine.ResultKind(); }
  void SetVariable(const std::string& name, const std::string& value) {
    engine.Base().AddVariable(name, value, "s");
  }
  std::string Variable(const std::string& name) {
    return engine.Base().words.FindValue(name, false);
  }

  TNuraEngine engine;
};

// Dispatch ids of the vocabulary.
enum : int {
  kSplit = 36, kReplace = 46, kPos = 47, kMid = 48, kKeyCode = 75, kChar = 76, kLength = 92,
  kCut = 99, kExtractTags = 101, kByteLength = 122, kDropRight = 171, kDropLeft = 172,
  kMatch = 187, kRight = 188, kLeft = 189, kRegexSplit = 190, kSubst = 191, kTrans = 192,
  kParagraph = 214, kCutRange = 266, kCutLeft = 277, kCutRight = 278, kCutEscaped = 279,
  kIsUpper = 284, kIsDigit = 285, kIsWide = 286, kIsHiragana = 287, kToEuc = 290, kToJis = 291,
  kToSjis = 292, kCount = 410, kFold = 412, kMidBytes = 431, kReplaceOnce = 438,
  kHalfWidth = 27, kFullWidth = 80, kUpper = 197, kHiragana = 230,
};

TEST_F(StringCommands, LengthPositionAndCopies) {
  EXPECT_EQ(Run(kLength, {Text(SJ("あいa"))}), "3");
  EXPECT_EQ(Kind(), "e");
  EXPECT_EQ(Run(kByteLength, {Text(SJ("あいa"))}), "5");
  EXPECT_EQ(Run(kPos, {Text(SJ("あいう")), Text(SJ("う"))}), "3");
  EXPECT_EQ(Run(kPos, {Text("ab"), Text("abc")}), "0");  // longer than the text
  EXPECT_EQ(Run(kMid, {Text(SJ("あいうえ")), "2", "2"}), SJ("いう"));
  EXPECT_EQ(Kind(), "s");
  EXPECT_EQ(Run(kMid, {Text("abc"), "x", "2"}), "a");   // not an integer: 0
  EXPECT_EQ(Run(kMidBytes, {Text("abcdef"), "2", "3"}), "bcd");
  EXPECT_EQ(Run(kMidBytes, {Text("abc"), "3", "10"}), "c");
  EXPECT_EQ(Run(kMidBytes, {Text("abc"), "9", "1"}), "");
  EXPECT_EQ(Run(kLeft, {Text(SJ("あいう")), "2"}), SJ("あい"));
  EXPECT_EQ(Run(kLeft, {Text("abc"), "0"}), "");
  EXPECT_EQ(Run(kRight, {Text(SJ("あいう")), "2"}), SJ("いう"));
  EXPECT_EQ(Run(kRight, {Text("abc"), "9"}), "abc");
  EXPECT_EQ(Run(kRight, {Text("abc"), "0"}), "");
  EXPECT_EQ(Run(kDropRight, {Text(SJ("あいう")), "1"}), SJ("あい"));
  EXPECT_EQ(Run(kDropLeft, {Text(SJ("あいう")), "1"}), SJ("いう"));
  EXPECT_EQ(Run(kDropLeft, {Text("abc"), "5"}), "");
  EXPECT_THROW(Run(kLeft, {Text("abc"), "3000000000"}), ERangeError);
}

TEST_F(StringCommands, CutsWriteTheRestBack) {
  SetVariable("A", "abcde");
  EXPECT_EQ(Run(kCutLeft, {"A", "2"}), "ab");
  EXPECT_EQ(Variable("A"), "cde");
  EXPECT_EQ(Run(kCutRight, {"A", "1"}), "e");
  EXPECT_EQ(Variable("A"), "cd");
  // A count beyond the text gives what there is.
  EXPECT_EQ(Run(kCutLeft, {"A", "10"}), "cd");
  EXPECT_EQ(Variable("A"), "");
  SetVariable("B", SJ("あいう"));
  EXPECT_EQ(Run(kCutRight, {"B", "10"}), SJ("あいう"));
  EXPECT_EQ(Variable("B"), "");
  SetVariable("B", "xyz");
  EXPECT_EQ(Run(kCutLeft, {"B", "0"}), "");
  EXPECT_EQ(Variable("B"), "xyz");
  // On "それ" itself: the cut part only, no write-back.
  engine.SetResult("hello", "s");
  EXPECT_EQ(Run(kCutLeft, {SJ("それ"), "2"}), "he");
  // A literal is cut but nothing is written anywhere.
  EXPECT_EQ(Run(kCutLeft, {Text("literal"), "3"}), "lit");
  EXPECT_EQ(Kind(), "s");
}

TEST_F(StringCommands, CutAtDelimiters) {
  SetVariable("A", "a,b,c");
  EXPECT_EQ(Run(kCut, {"A", Text(",")}), "a");
  EXPECT_EQ(Variable("A"), "b,c");
  EXPECT_EQ(Run(kCut, {"A", Text("")}), "");
  EXPECT_EQ(Variable("A"), "b,c");
  EXPECT_THROW(Run(kCut, {Text(""), Text(",")}), ENura);  // no word, empty value
  SetVariable("E", "a\\,b,c");
  EXPECT_EQ(Run(kCutEscaped, {"E", Text(","), Text("\\")}), "a\\,b");
  EXPECT_EQ(Variable("E"), "c");
  EXPECT_THROW(Run(kCutEscaped, {"E", Text(","), Text("ab")}), ENura);

  SetVariable("H", "x<b>bold</b>y");
  EXPECT_EQ(Run(kCutRange, {"H", Text("<b>"), Text("</b>")}), "<b>bold</b>");
  EXPECT_EQ(Variable("H"), "xy");
  SetVariable("H", "x<b>y");
  EXPECT_EQ(Run(kCutRange, {"H", Text("<b>"), Text(">")}), "<b>");  // end inside the start
  EXPECT_EQ(Variable("H"), "xy");
  SetVariable("H", "abc");
  EXPECT_EQ(Run(kCutRange, {"H", Text("q"), Text("c")}), "");
  EXPECT_EQ(Variable("H"), "abc");
  EXPECT_EQ(Run(kCutRange, {"H", Text("b"), Text("zz")}), "bc");  // no end: to the end
  EXPECT_EQ(Variable("H"), "a");
  EXPECT_THROW(Run(kCutRange, {Text("abc"), Text("a"), Text("b")}), ENura);
}

TEST_F(StringCommands, ReplaceCountAndTags) {
  EXPECT_EQ(Run(kReplace, {Text("abab"), Text("b"), Text("bb")}), "abbabb");
  EXPECT_EQ(Run(kReplaceOnce, {Text("abab"), Text("b"), Text("X")}), "aXab");
  EXPECT_EQ(Run(kCount, {Text("abababa"), Text("aba")}), "2");
  EXPECT_EQ(Run(kCount, {Text("abc"), Text("")}), "0");
  EXPECT_EQ(Run(kExtractTags, {Text("<a>1</a><b>2</b><a>3</a>"), Text("a")}),
            "<a>1</a>\r\n<a>3</a>\r\n");
}

TEST_F(StringCommands, ParagraphsAndSplitting) {
  const std::string text = "a\r\n\r\nb";
  EXPECT_EQ(Run(kParagraph, {Text(text), "2"}), "b");
  EXPECT_EQ(Run(kParagraph, {Text(text), "1"}), "a\r\n\r\n");
  EXPECT_EQ(Run(kParagraph, {Text(text), "3"}), "");
  EXPECT_EQ(Run(kParagraph, {Text(text), "0"}), "");
  EXPECT_EQ(Run(kParagraph, {Text("a\r\nb\r\rc"), "1"}), "a\r\nb\r\r");
  EXPECT_EQ(Run(kParagraph, {Text("a\n\nb"), "1"}), "a\n\nb");  // LF alone is no break

  EXPECT_EQ(Run(kSplit, {Text("a,b"), Text(",")}), "a\r\nb\r\n");
  EXPECT_EQ(Run(kSplit, {Text("x\"y,z"), Text(",")}), "\"x\"\"y\"\r\nz\r\n");
  EXPECT_EQ(Run(kSplit, {Text(""), Text(",")}), "");
  EXPECT_EQ(Run(kSplit, {Text("abc"), Text("")}), "abc\r\n");  // never loops
  // A delimiter byte inside a two-byte character is no delimiter.
  EXPECT_EQ(Run(kSplit, {Text(SJ("表\\x")), Text("\\")}), SJ("表") + "\r\nx\r\n");

  engine.Base().AddVariable(SJ("タブ文字の個数"), "8", "");
  engine.Base().AddVariable(SJ("禁則処理の行頭禁止文字"), SJ("。"), "");
  EXPECT_EQ(Run(kFold, {Text("abcdef"), "4"}), "abcd\r\nef");
}

TEST_F(StringCommands, ConversionsAndClasses) {
  EXPECT_EQ(Run(kHalfWidth, {Text(SJ("ＡＢ１"))}), "AB1");
  EXPECT_EQ(Run(kFullWidth, {Text("A1")}), SJ("Ａ１"));
  EXPECT_EQ(Run(kUpper, {Text("abc")}), "ABC");
  EXPECT_EQ(Run(kHiragana, {Text(SJ("カタカナ"))}), SJ("かたかな"));
  EXPECT_EQ(Run(kIsUpper, {Text(SJ("Ａb"))}), "1");
  EXPECT_EQ(Kind(), "e");
  EXPECT_EQ(Run(kIsUpper, {Text("")}), "0");
  EXPECT_EQ(Run(kIsDigit, {Text(SJ("５"))}), "1");
  EXPECT_EQ(Run(kIsDigit, {Text("x5")}), "0");
  EXPECT_EQ(Run(kIsWide, {Text(SJ("あ"))}), "1");
  EXPECT_EQ(Run(kIsWide, {Text("a")}), "0");
  EXPECT_EQ(Run(kIsHiragana, {Text(SJ("あ"))}), "1");
  EXPECT_EQ(Run(kChar, {"33440"}), "\x82\xA0");
  EXPECT_EQ(Run(kChar, {"65"}), "A");
  EXPECT_EQ(Run(kKeyCode, {Text("\x82\xA0")}), "33440");
  EXPECT_EQ(Run(kKeyCode, {Text("A")}), "65");
  EXPECT_THROW(Run(kKeyCode, {Text("")}), ENura);
  EXPECT_THROW(Run(kChar, {"-1"}), ENura);
  EXPECT_THROW(Run(kChar, {Text("x")}), ENura);
  EXPECT_THROW(Run(kChar, {"65536"}), ERangeError);
}

TEST_F(StringCommands, EncodingCommands) {
  EXPECT_EQ(Run(kToJis, {Text(SJ("aあ"))}), "a\x1B$B\x24\x22\x1B(J");
  EXPECT_EQ(Run(kToEuc, {Text(SJ("あ"))}), "\xA4\xA2");
  EXPECT_EQ(Run(kToEuc, {Text("")}), "");
  EXPECT_EQ(Run(kToSjis, {Text("\x1B$B\x24\x22\x1B(J")}), SJ("あ"));
}

TEST_F(StringCommands, RegularExpressions) {
  const std::string count = SJ("マッチ数");
  EXPECT_EQ(Run(kMatch, {Text("abc"), Text("a(.)c")}), "abc\r\nb\r\n");
  EXPECT_EQ(Kind(), "s");
  EXPECT_EQ(Variable(count), "2");
  EXPECT_EQ(Run(kMatch, {Text("abc"), Text("m/a.c/")}), "abc\r\n");
  EXPECT_EQ(Run(kMatch, {Text(SJ("あいう")), Text(SJ("い"))}), SJ("い") + "\r\n");
  EXPECT_EQ(Run(kMatch, {Text("a/b"), Text("a/b")}), "a/b\r\n");      // slashes escaped
  EXPECT_EQ(Run(kMatch, {Text("xmany"), Text("many")}), "many\r\n");  // a leading m
  EXPECT_EQ(Run(kMatch, {Text("abc"), Text("z")}), "");
  EXPECT_EQ(Variable(count), "0");
  EXPECT_EQ(Run(kSubst, {Text("abcb"), Text("s/b/X/g")}), "aXcX");
  EXPECT_EQ(Variable(count), "1");
  EXPECT_EQ(Run(kSubst, {Text("abc"), Text("s/q/X/g")}), "abc");
  EXPECT_EQ(Run(kTrans, {Text("abcd"), Text("tr/a-c/A-C/")}), "ABCd");
  EXPECT_EQ(Run(kRegexSplit, {Text("a, b,c"), Text(",\\s*")}), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(Variable(count), "3");
  try {
    Run(kMatch, {Text("abc"), Text("(")});
    FAIL() << "no error";
  } catch (const ENura& e) {
    EXPECT_NE(std::string(e.what()).find(SJ("\"正規表現マッチ\"で、Bregexp.dllのエラー。")),
              std::string::npos);
  }
}

}  // namespace
}  // namespace nura
