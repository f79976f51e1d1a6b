#include "support/wildcard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "platform/sjis.h"

namespace nura {
namespace {

TEST(Wildcard, StarQuestionAndDigit) {
  EXPECT_TRUE(WildcardMatch("ab", "a*b"));
  EXPECT_TRUE(WildcardMatch("a12b", "a*b"));
  EXPECT_FALSE(WildcardMatch("ab", "a?b"));
  EXPECT_TRUE(WildcardMatch("axb", "a?b"));
  EXPECT_FALSE(WildcardMatch("a12", "a*b"));
  EXPECT_TRUE(WildcardMatch("03-1234", "##-####"));
  EXPECT_FALSE(WildcardMatch("03-123", "##-####"));
  EXPECT_FALSE(WildcardMatch("0a-1234", "##-####"));
  EXPECT_TRUE(WildcardMatch(SJ("あいう"), SJ("あ?う")));
  EXPECT_TRUE(WildcardMatch("", "*"));
  EXPECT_FALSE(WildcardMatch("a", "a?"));
  EXPECT_FALSE(WildcardMatch("a", "a?*"));
}

TEST(Wildcard, StarBacktracksForWholeMatch) {
  EXPECT_TRUE(WildcardMatch("abcbc", "a*c"));
  EXPECT_TRUE(WildcardMatch("abcbcd", "a*c*d"));
  EXPECT_FALSE(WildcardMatch("abcbce", "a*c*d"));
  EXPECT_TRUE(WildcardMatch("x.txt.txt", "*.txt"));
  // Many stars on a long text stay fast.
  std::string text(3000, 'a');
  EXPECT_FALSE(WildcardMatch(text, "*a*a*a*a*a*a*b"));
}

// Every (element, position) trial is made once, so many stars answer at
// once where plain backtracking would try exponentially many splits.
TEST(Wildcard, ManyStarsStayFast) {
  const auto start = std::chrono::steady_clock::now();
  const std::string stars(30, '*');
  EXPECT_TRUE(WildcardMatch("b", stars + "b"));
  EXPECT_TRUE(WildcardMatch("b", stars + "?"));
  EXPECT_FALSE(WildcardMatch("b", stars + "a"));
  EXPECT_TRUE(WildcardMatch(std::string(3000, 'a'), stars + "a"));
  EXPECT_FALSE(WildcardMatch(std::string(3000, 'a') + "b", stars + "a"));
  std::string captured;
  for (int i = 0; i < 15; ++i) captured += "(*)";
  TWString w(captured + "c");
  EXPECT_TRUE(w.MatchWhole("abcbc"));
  // Captures at a position already captured are not taken again.
  ASSERT_EQ(w.Captures().size(), 2u);
  EXPECT_EQ(w.Captures()[0], "");
  EXPECT_EQ(w.Captures()[1], "abcb");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(Wildcard, TextIsNeverAPattern) {
  EXPECT_TRUE(WildcardMatch("C:\\new", "C:\\\\new"));
  EXPECT_TRUE(WildcardMatch("C:\\new", "C:*"));
  EXPECT_TRUE(WildcardMatch("[x]", "\\[x\\]"));
  EXPECT_TRUE(WildcardMatch("(#)", "\\(\\#\\)"));
  EXPECT_FALSE(WildcardMatch("#", "\\("));
  std::string text = "C:\\new";
  std::string matched;
  std::vector<std::string> caps;
  ASSERT_TRUE(WildcardMatchCut(text, "C*", matched, caps));
  EXPECT_EQ(matched, "C:\\new");
  EXPECT_EQ(text, "");
}

TEST(Wildcard, Classes) {
  const std::string yen = SJ("円");
  EXPECT_TRUE(WildcardMatch("12" + yen, "[+0-9]" + yen));
  EXPECT_FALSE(WildcardMatch("1a2" + yen, "[+0-9]" + yen));
  EXPECT_FALSE(WildcardMatch(yen, "[+0-9]" + yen));
  EXPECT_TRUE(WildcardMatch(yen, "[*0-9]" + yen));
  EXPECT_TRUE(WildcardMatch("x", "[!0-9]"));
  EXPECT_TRUE(WildcardMatch(SJ("あ"), "[!0-9]"));
  EXPECT_FALSE(WildcardMatch("5", "[!0-9]"));
  EXPECT_FALSE(WildcardMatch("", "[!0-9]"));
  EXPECT_TRUE(WildcardMatch(SJ("い"), SJ("[あ-う]")));
  EXPECT_TRUE(WildcardMatch("b", "[c-a]"));
  EXPECT_TRUE(WildcardMatch("\t", "[\\t]"));
  EXPECT_TRUE(WildcardMatch("\r", "[\\n]"));
  EXPECT_THROW(WildcardMatch("a", "[\\a]"), EWildcard);
  EXPECT_THROW(WildcardMatch("a", "[*0-9]?"), EWildcard);
  try {
    WildcardMatch("a", "[\\x]");
  } catch (const EWildcard& e) {
    EXPECT_EQ(e.what(), SJ("ワイルドカードの[ ]中で\\記号を使うときは、\\t,\\nしか許されていません。"));
  }
}

TEST(Wildcard, AlternativesInReorderedOrder) {
  EXPECT_TRUE(WildcardMatch("cat", "[=dog|cat]"));
  EXPECT_FALSE(WildcardMatch("cow", "[=dog|cat]"));
  // The first alternative that matches in trial order is taken.
  std::string text = "abc";
  std::string matched;
  std::vector<std::string> caps;
  ASSERT_TRUE(WildcardMatchCut(text, "[=a|ab]", matched, caps));
  EXPECT_EQ(matched, "a");
  text = "abc";
  ASSERT_TRUE(WildcardMatchCut(text, "[=ab|a]", matched, caps));
  EXPECT_EQ(matched, "ab");
  // Three entries: "x|a|ab" is tried as x, ab, a after reordering.
  text = "abc";
  ASSERT_TRUE(WildcardMatchCut(text, "[=x|a|ab]", matched, caps));
  EXPECT_EQ(matched, "ab");
}

TEST(Wildcard, CutAndCaptures) {
  std::string text = "abbcdef";
  std::string matched;
  std::vector<std::string> caps;
  ASSERT_TRUE(WildcardMatchCut(text, "a(*)c", matched, caps));
  EXPECT_EQ(matched, "abbc");
  EXPECT_EQ(text, "def");
  ASSERT_EQ(caps.size(), 1u);
  EXPECT_EQ(caps[0], "bb");

  text = "key=value;rest";
  ASSERT_TRUE(WildcardMatchCut(text, "(*)=(*);", matched, caps));
  ASSERT_EQ(caps.size(), 2u);
  EXPECT_EQ(caps[0], "key");
  EXPECT_EQ(caps[1], "value");
  EXPECT_EQ(text, "rest");

  text = "xyz";
  EXPECT_FALSE(WildcardMatchCut(text, "a*", matched, caps));
  EXPECT_EQ(text, "xyz");

  text = "name:abc";
  ASSERT_TRUE(WildcardMatchCut(text, "name:(*)", matched, caps));
  ASSERT_EQ(caps.size(), 1u);
  EXPECT_EQ(caps[0], "abc");
}

TEST(Wildcard, RandomPatternsNeverCrash) {
  std::mt19937 rng(99);
  const std::string alphabet = "ab1*?#()[]!+=|-\\nt\x82\xA0\x83\x5C";
  auto random = [&](size_t max) {
    std::string s;
    for (size_t n = rng() % max; n > 0; --n) s += alphabet[rng() % alphabet.size()];
    return s;
  };
  for (int i = 0; i < 20000; ++i) {
    const std::string pattern = random(10), text = random(12);
    try {
      WildcardMatch(text, pattern);
      std::string rest = text, matched;
      std::vector<std::string> caps;
      if (WildcardMatchCut(rest, pattern, matched, caps)) {
        EXPECT_EQ(matched + rest, text);
      }
    } catch (const EWildcard&) {
    }
  }
}

TEST(Wildcard, CompiledForm) {
  TWString w("a[0-9]*\\n");
  EXPECT_EQ(w.Count(), 5);
  EXPECT_EQ(w.CopyText(1, 3), "a[0-9]*");
  EXPECT_EQ(w.CopyText(4, 2), "\r\n");
  EXPECT_NE(w.NextElement(), nullptr);
}

}  // namespace
}  // namespace nura
