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
  std::string Run(CommandId id, std::initializer_list<std::string> args) {
    for (const auto& a : args) engine.Base().args.Push(a);
    CommandHandler handler = FindCommandHandler(IdNumber(id));
    EXPECT_NE(handler, nullptr) << IdNumber(id);
    handler(engine, id);
    return engine.ResultNode()->Value();
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

TEST_F(StringCommands, LengthPositionAndCopies) {
  EXPECT_EQ(Run(CommandId::Length, {Text(SJ("あいa"))}), "3");
  EXPECT_EQ(Kind(), "e");
  EXPECT_EQ(Run(CommandId::ByteLength, {Text(SJ("あいa"))}), "5");
  EXPECT_EQ(Run(CommandId::Pos, {Text(SJ("あいう")), Text(SJ("う"))}), "3");
  EXPECT_EQ(Run(CommandId::Pos, {Text("ab"), Text("abc")}), "0");  // longer than the text
  EXPECT_EQ(Run(CommandId::Mid, {Text(SJ("あいうえ")), "2", "2"}), SJ("いう"));
  EXPECT_EQ(Kind(), "s");
  EXPECT_EQ(Run(CommandId::Mid, {Text("abc"), "x", "2"}), "a");   // not an integer: 0
  EXPECT_EQ(Run(CommandId::MidBytes, {Text("abcdef"), "2", "3"}), "bcd");
  EXPECT_EQ(Run(CommandId::MidBytes, {Text("abc"), "3", "10"}), "c");
  EXPECT_EQ(Run(CommandId::MidBytes, {Text("abc"), "9", "1"}), "");
  EXPECT_EQ(Run(CommandId::Left, {Text(SJ("あいう")), "2"}), SJ("あい"));
  EXPECT_EQ(Run(CommandId::Left, {Text("abc"), "0"}), "");
  EXPECT_EQ(Run(CommandId::Right, {Text(SJ("あいう")), "2"}), SJ("いう"));
  EXPECT_EQ(Run(CommandId::Right, {Text("abc"), "9"}), "abc");
  EXPECT_EQ(Run(CommandId::Right, {Text("abc"), "0"}), "");
  EXPECT_EQ(Run(CommandId::DropRight, {Text(SJ("あいう")), "1"}), SJ("あい"));
  EXPECT_EQ(Run(CommandId::DropLeft, {Text(SJ("あいう")), "1"}), SJ("いう"));
  EXPECT_EQ(Run(CommandId::DropLeft, {Text("abc"), "5"}), "");
  EXPECT_THROW(Run(CommandId::Left, {Text("abc"), "3000000000"}), ERangeError);
}

TEST_F(StringCommands, CutsWriteTheRestBack) {
  SetVariable("A", "abcde");
  EXPECT_EQ(Run(CommandId::CutLeft, {"A", "2"}), "ab");
  EXPECT_EQ(Variable("A"), "cde");
  EXPECT_EQ(Run(CommandId::CutRight, {"A", "1"}), "e");
  EXPECT_EQ(Variable("A"), "cd");
  // A count beyond the text gives what there is.
  EXPECT_EQ(Run(CommandId::CutLeft, {"A", "10"}), "cd");
  EXPECT_EQ(Variable("A"), "");
  SetVariable("B", SJ("あいう"));
  EXPECT_EQ(Run(CommandId::CutRight, {"B", "10"}), SJ("あいう"));
  EXPECT_EQ(Variable("B"), "");
  SetVariable("B", "xyz");
  EXPECT_EQ(Run(CommandId::CutLeft, {"B", "0"}), "");
  EXPECT_EQ(Variable("B"), "xyz");
  // On "それ" itself: the cut part only, no write-back.
  engine.SetResult("hello", "s");
  EXPECT_EQ(Run(CommandId::CutLeft, {SJ("それ"), "2"}), "he");
  // A literal is cut but nothing is written anywhere.
  EXPECT_EQ(Run(CommandId::CutLeft, {Text("literal"), "3"}), "lit");
  EXPECT_EQ(Kind(), "s");
}

TEST_F(StringCommands, CutAtDelimiters) {
  SetVariable("A", "a,b,c");
  EXPECT_EQ(Run(CommandId::Cut, {"A", Text(",")}), "a");
  EXPECT_EQ(Variable("A"), "b,c");
  EXPECT_EQ(Run(CommandId::Cut, {"A", Text("")}), "");
  EXPECT_EQ(Variable("A"), "b,c");
  EXPECT_THROW(Run(CommandId::Cut, {Text(""), Text(",")}), ENura);  // no word, empty value
  SetVariable("E", "a\\,b,c");
  EXPECT_EQ(Run(CommandId::CutEscaped, {"E", Text(","), Text("\\")}), "a\\,b");
  EXPECT_EQ(Variable("E"), "c");
  EXPECT_THROW(Run(CommandId::CutEscaped, {"E", Text(","), Text("ab")}), ENura);

  SetVariable("H", "x<b>bold</b>y");
  EXPECT_EQ(Run(CommandId::CutRange, {"H", Text("<b>"), Text("</b>")}), "<b>bold</b>");
  EXPECT_EQ(Variable("H"), "xy");
  SetVariable("H", "x<b>y");
  EXPECT_EQ(Run(CommandId::CutRange, {"H", Text("<b>"), Text(">")}), "<b>");  // end inside the start
  EXPECT_EQ(Variable("H"), "xy");
  SetVariable("H", "abc");
  EXPECT_EQ(Run(CommandId::CutRange, {"H", Text("q"), Text("c")}), "");
  EXPECT_EQ(Variable("H"), "abc");
  EXPECT_EQ(Run(CommandId::CutRange, {"H", Text("b"), Text("zz")}), "bc");  // no end: to the end
  EXPECT_EQ(Variable("H"), "a");
  EXPECT_THROW(Run(CommandId::CutRange, {Text("abc"), Text("a"), Text("b")}), ENura);
}

TEST_F(StringCommands, ReplaceCountAndTags) {
  EXPECT_EQ(Run(CommandId::Replace, {Text("abab"), Text("b"), Text("bb")}), "abbabb");
  EXPECT_EQ(Run(CommandId::ReplaceOnce, {Text("abab"), Text("b"), Text("X")}), "aXab");
  EXPECT_EQ(Run(CommandId::Count, {Text("abababa"), Text("aba")}), "2");
  EXPECT_EQ(Run(CommandId::Count, {Text("abc"), Text("")}), "0");
  EXPECT_EQ(Run(CommandId::ExtractTags, {Text("<a>1</a><b>2</b><a>3</a>"), Text("a")}),
            "<a>1</a>\r\n<a>3</a>\r\n");
}

TEST_F(StringCommands, ParagraphsAndSplitting) {
  const std::string text = "a\r\n\r\nb";
  EXPECT_EQ(Run(CommandId::Paragraph, {Text(text), "2"}), "b");
  EXPECT_EQ(Run(CommandId::Paragraph, {Text(text), "1"}), "a\r\n\r\n");
  EXPECT_EQ(Run(CommandId::Paragraph, {Text(text), "3"}), "");
  EXPECT_EQ(Run(CommandId::Paragraph, {Text(text), "0"}), "");
  EXPECT_EQ(Run(CommandId::Paragraph, {Text("a\r\nb\r\rc"), "1"}), "a\r\nb\r\r");
  EXPECT_EQ(Run(CommandId::Paragraph, {Text("a\n\nb"), "1"}), "a\n\nb");  // LF alone is no break

  EXPECT_EQ(Run(CommandId::Split, {Text("a,b"), Text(",")}), "a\r\nb\r\n");
  EXPECT_EQ(Run(CommandId::Split, {Text("x\"y,z"), Text(",")}), "\"x\"\"y\"\r\nz\r\n");
  EXPECT_EQ(Run(CommandId::Split, {Text(""), Text(",")}), "");
  EXPECT_EQ(Run(CommandId::Split, {Text("abc"), Text("")}), "abc\r\n");  // never loops
  // A delimiter byte inside a two-byte character is no delimiter.
  EXPECT_EQ(Run(CommandId::Split, {Text(SJ("表\\x")), Text("\\")}), SJ("表") + "\r\nx\r\n");

  engine.Base().AddVariable(SJ("タブ文字の個数"), "8", "");
  engine.Base().AddVariable(SJ("禁則処理の行頭禁止文字"), SJ("。"), "");
  EXPECT_EQ(Run(CommandId::Fold, {Text("abcdef"), "4"}), "abcd\r\nef");
}

TEST_F(StringCommands, ConversionsAndClasses) {
  EXPECT_EQ(Run(CommandId::HalfWidth, {Text(SJ("ＡＢ１"))}), "AB1");
  EXPECT_EQ(Run(CommandId::FullWidth, {Text("A1")}), SJ("Ａ１"));
  EXPECT_EQ(Run(CommandId::UpperCase, {Text("abc")}), "ABC");
  EXPECT_EQ(Run(CommandId::Hiragana, {Text(SJ("カタカナ"))}), SJ("かたかな"));
  EXPECT_EQ(Run(CommandId::IsUpper, {Text(SJ("Ａb"))}), "1");
  EXPECT_EQ(Kind(), "e");
  EXPECT_EQ(Run(CommandId::IsUpper, {Text("")}), "0");
  EXPECT_EQ(Run(CommandId::IsDigit, {Text(SJ("５"))}), "1");
  EXPECT_EQ(Run(CommandId::IsDigit, {Text("x5")}), "0");
  EXPECT_EQ(Run(CommandId::IsWide, {Text(SJ("あ"))}), "1");
  EXPECT_EQ(Run(CommandId::IsWide, {Text("a")}), "0");
  EXPECT_EQ(Run(CommandId::IsHiragana, {Text(SJ("あ"))}), "1");
  EXPECT_EQ(Run(CommandId::Character, {"33440"}), "\x82\xA0");
  EXPECT_EQ(Run(CommandId::Character, {"65"}), "A");
  EXPECT_EQ(Run(CommandId::KeyCode, {Text("\x82\xA0")}), "33440");
  EXPECT_EQ(Run(CommandId::KeyCode, {Text("A")}), "65");
  EXPECT_THROW(Run(CommandId::KeyCode, {Text("")}), ENura);
  EXPECT_THROW(Run(CommandId::Character, {"-1"}), ENura);
  EXPECT_THROW(Run(CommandId::Character, {Text("x")}), ENura);
  EXPECT_THROW(Run(CommandId::Character, {"65536"}), ERangeError);
}

TEST_F(StringCommands, EncodingCommands) {
  EXPECT_EQ(Run(CommandId::ToJis, {Text(SJ("aあ"))}), "a\x1B$B\x24\x22\x1B(J");
  EXPECT_EQ(Run(CommandId::ToEuc, {Text(SJ("あ"))}), "\xA4\xA2");
  EXPECT_EQ(Run(CommandId::ToEuc, {Text("")}), "");
  EXPECT_EQ(Run(CommandId::ToSjis, {Text("\x1B$B\x24\x22\x1B(J")}), SJ("あ"));
}

TEST_F(StringCommands, RegularExpressions) {
  const std::string count = SJ("マッチ数");
  EXPECT_EQ(Run(CommandId::RegexMatch, {Text("abc"), Text("a(.)c")}), "abc\r\nb\r\n");
  EXPECT_EQ(Kind(), "s");
  EXPECT_EQ(Variable(count), "2");
  EXPECT_EQ(Run(CommandId::RegexMatch, {Text("abc"), Text("m/a.c/")}), "abc\r\n");
  EXPECT_EQ(Run(CommandId::RegexMatch, {Text(SJ("あいう")), Text(SJ("い"))}), SJ("い") + "\r\n");
  EXPECT_EQ(Run(CommandId::RegexMatch, {Text("a/b"), Text("a/b")}), "a/b\r\n");      // slashes escaped
  EXPECT_EQ(Run(CommandId::RegexMatch, {Text("xmany"), Text("many")}), "many\r\n");  // a leading m
  EXPECT_EQ(Run(CommandId::RegexMatch, {Text("abc"), Text("z")}), "");
  EXPECT_EQ(Variable(count), "0");
  EXPECT_EQ(Run(CommandId::RegexReplace, {Text("abcb"), Text("s/b/X/g")}), "aXcX");
  EXPECT_EQ(Variable(count), "1");
  EXPECT_EQ(Run(CommandId::RegexReplace, {Text("abc"), Text("s/q/X/g")}), "abc");
  EXPECT_EQ(Run(CommandId::RegexTranslate, {Text("abcd"), Text("tr/a-c/A-C/")}), "ABCd");
  EXPECT_EQ(Run(CommandId::RegexSplit, {Text("a, b,c"), Text(",\\s*")}), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(Variable(count), "3");
  try {
    Run(CommandId::RegexMatch, {Text("abc"), Text("(")});
    FAIL() << "no error";
  } catch (const ENura& e) {
    EXPECT_NE(std::string(e.what()).find(SJ("\"正規表現マッチ\"で、Bregexp.dllのエラー。")),
              std::string::npos);
  }
}

}  // namespace
}  // namespace nura
