#include "platform/bregexp.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/sjis.h"

namespace nura {
namespace {

// Runs one entry point on a text and keeps the record and message.
struct Regexp {
  BRegexpRecord* record = nullptr;
  char message[kBRegexpMessageSize] = {};
  std::string target;
  ~Regexp() { BRegfree(record); }

  int Match(const std::string& expr, const std::string& text) {
    target = text;
    return BMatch(expr.c_str(), target.data(), target.data() + target.size(), &record, message);
  }
  std::string Subst(const std::string& expr, const std::string& text) {
    target = text;
    const int r = BSubst(expr.c_str(), target.data(), target.data() + target.size(), &record, message);
    return r > 0 ? record->output : r == 0 ? "<none>" : "<error>";
  }
  std::string Trans(const std::string& expr, const std::string& text) {
    target = text;
    const int r = BTrans(expr.c_str(), target.data(), target.data() + target.size(), &record, message);
    return r >= 0 ? record->output : "<error>";
  }
  std::vector<std::string> Split(const std::string& expr, const std::string& text, int limit) {
    target = text;
    std::vector<std::string> out;
    if (BSplit(expr.c_str(), target.data(), target.data() + target.size(), limit, &record, message) < 0) {
      out.push_back("<error>");
      return out;
    }
    for (int i = 0; i < record->split_count; ++i) {
      out.emplace_back(record->split_pointers[2 * i], record->split_pointers[2 * i + 1]);
    }
    return out;
  }
  std::string Group(int i) const {
    const char* s = record->start_pointers[i];
    return s ? std::string(s, record->end_pointers[i]) : "<unset>";
  }
};

using Pieces = std::vector<std::string>;

TEST(BRegexpLayer, MatchFillsGroups) {
  Regexp re;
  ASSERT_EQ(re.Match("m/a(.)c/", "xxabcx"), 1);
  EXPECT_EQ(re.record->group_count, 1);
  EXPECT_EQ(re.Group(0), "abc");
  EXPECT_EQ(re.Group(1), "b");
  EXPECT_EQ(re.Match("m/a(.)c/", "xyz"), 0);
  EXPECT_EQ(re.message[0], '\0');
  EXPECT_EQ(re.Match("m/(x)|(y)/", "y"), 1);
  EXPECT_EQ(re.Group(1), "<unset>");
  EXPECT_EQ(re.Group(2), "y");
  EXPECT_EQ(re.Match("/b+/", "abbbc"), 1);  // a bare /.../ is a match too
  EXPECT_EQ(re.Group(0), "bbb");
  EXPECT_EQ(re.Match("m#a/b#", "xa/b"), 1);  // another delimiter
  EXPECT_EQ(re.Match("m/a\\/b/", "xa/b"), 1);  // an escaped delimiter
}

TEST(BRegexpLayer, ShiftJisCharactersAreNeverSplit) {
  Regexp re;
  ASSERT_EQ(re.Match("m/" + SJ("い") + "/", SJ("あいう")), 1);
  EXPECT_EQ(re.Group(0), SJ("い"));
  // ア is 0x83 0x41: its trail byte is no "A".
  EXPECT_EQ(re.Match("m/A/i", SJ("ア")), 0);
  EXPECT_EQ(re.Match("m/A./", "x" + SJ("アア")), 0);
  // The trail byte of 表 (0x95 0x5C) is never taken for a backslash.
  EXPECT_EQ(re.Match("m/\\\\/", SJ("表")), 0);
  EXPECT_EQ(re.Match("m/\\\\/", SJ("表") + "\\"), 1);
  // "." takes a whole two-byte character; ソ's trail byte is a backslash.
  ASSERT_EQ(re.Match("m/^(.)(.)$/", SJ("ソa")), 1);
  EXPECT_EQ(re.Group(1), SJ("ソ"));
  EXPECT_EQ(re.Match("m/" + SJ("ソ") + "/", SJ("表ソ")), 1);
  EXPECT_EQ(re.Group(0), SJ("ソ"));
  EXPECT_EQ(re.Subst("s/" + SJ("表") + "/x/g", SJ("表示表")), "x" + SJ("示") + "x");
}

TEST(BRegexpLayer, Options) {
  Regexp re;
  EXPECT_EQ(re.Match("m/ABC/", "xabc"), 0);
  EXPECT_EQ(re.Match("m/ABC/i", "xabc"), 1);
  EXPECT_EQ(re.Match("m/^b/", "a\nb"), 0);
  EXPECT_EQ(re.Match("m/^b/m", "a\nb"), 1);
  EXPECT_EQ(re.Match("m/a.b/", "a\nb"), 0);
  EXPECT_EQ(re.Match("m/a.b/s", "a\nb"), 1);
  EXPECT_EQ(re.Match("m/a b # comment\n/x", "ab"), 1);
  EXPECT_EQ(re.Match("m/a/q", "a"), -1);
  EXPECT_STRNE(re.message, "");
}

TEST(BRegexpLayer, Substitution) {
  Regexp re;
  EXPECT_EQ(re.Subst("s/b/X/g", "abcb"), "aXcX");
  EXPECT_EQ(re.Subst("s/b/X/", "abcb"), "aXcb");
  EXPECT_EQ(re.Subst("s/(\\w+)@(\\w+)/$2 at $1 [$&]/", "me@host"), "host at me [me@host]");
  EXPECT_EQ(re.Subst("s/(a)/\\1\\n\\t\\$/", "a"), "a\n\t$");
  EXPECT_EQ(re.Subst("s/x*/-/g", "abc"), "-a-b-c-");
  EXPECT_EQ(re.Subst("s/b*/-/g", "abc"), "-a--c-");
  EXPECT_EQ(re.Subst("s/q/X/g", "abc"), "<none>");
  EXPECT_EQ(re.Subst("s/(a)/[$9]/", "a"), "[]");  // a group that does not exist
  EXPECT_EQ(re.Subst("s/^/> /mg", "a\nb"), "> a\n> b");
  // The empty-match step moves by whole characters.
  EXPECT_EQ(re.Subst("s//|/g", SJ("あい")), "|" + SJ("あ") + "|" + SJ("い") + "|");
  // The groups of the last replacement point into the target.
  EXPECT_EQ(re.Subst("s/(.)b/X/g", "abcb"), "XX");
  EXPECT_EQ(re.Group(1), "c");
}

TEST(BRegexpLayer, Translation) {
  Regexp re;
  EXPECT_EQ(re.Trans("tr/a-c/A-C/", "abcd"), "ABCd");
  EXPECT_EQ(re.Trans("tr/a-z/*/", "ab1"), "**1");          // short list repeats its last
  EXPECT_EQ(re.Trans("tr/a-z//d", "ab1c"), "1");
  EXPECT_EQ(re.Trans("tr/a//s", "aaab"), "ab");
  EXPECT_EQ(re.Trans("tr/a-z/_/c", "ab1!c"), "ab__c");
  EXPECT_EQ(re.Trans("tr/" + SJ("ぁ-ん") + "/" + SJ("ァ-ン") + "/", SJ("かなa")), SJ("カナa"));
  EXPECT_EQ(re.Trans("tr/\\-\\//+|/", "a-/"), "a+|");
  EXPECT_EQ(re.Trans("tr/z-a/x/", "a"), "<error>");
}

TEST(BRegexpLayer, Split) {
  Regexp re;
  EXPECT_EQ(re.Split("m/,/", "a,b,,c", 1000), (Pieces{"a", "b", "", "c"}));
  EXPECT_EQ(re.Split("m/,/", "a,b,,c", 2), (Pieces{"a", "b,,c"}));
  EXPECT_EQ(re.Split("m/,/", "a,b,,", 0), (Pieces{"a", "b"}));
  EXPECT_EQ(re.Split("m/,/", "a,b,,", 1000), (Pieces{"a", "b", "", ""}));
  EXPECT_EQ(re.Split("m//", SJ("あiう"), 1000), (Pieces{SJ("あ"), "i", SJ("う")}));
  EXPECT_EQ(re.Split("m/\\s*/", "a b", 1000), (Pieces{"a", "b"}));
  EXPECT_EQ(re.Split("m/x/", "abc", 1000), (Pieces{"abc"}));
}

TEST(BRegexpLayer, ErrorsAndRecordReuse) {
  Regexp re;
  EXPECT_EQ(re.Match("m/(a/", "a"), -1);
  EXPECT_STRNE(re.message, "");
  EXPECT_LT(std::string(re.message).size(), static_cast<size_t>(kBRegexpMessageSize));
  EXPECT_EQ(re.Match("m/abc", "abc"), -1);     // no closing delimiter
  EXPECT_EQ(re.Match("q/abc/", "abc"), -1);    // no such command
  EXPECT_EQ(re.Match("s/a/b/", "abc"), -1);    // not a match expression
  ASSERT_EQ(re.Match("m/b/", "abc"), 1);
  BRegexpRecord* first = re.record;
  ASSERT_EQ(re.Match("m/b/", "xbx"), 1);
  EXPECT_EQ(re.record, first);
  EXPECT_EQ(re.record->expression, "m/b/");
  EXPECT_EQ(re.Subst("s/b/c/", "b"), "c");     // recompiled in the same record
  EXPECT_FALSE(std::string(BRegexpVersion()).empty());
}

TEST(BRegexpLayer, TruncatedCharactersAreNeverReadPast) {
  // Targets in buffers of their exact size, so the sanitizer sees any read
  // beyond the end; many end in a lone lead byte.
  std::mt19937 rng(3);
  const char alphabet[] = {'a', 'b', '\x82', '\xA0', '\x5C', '\n', '\xE0', '\xFC', '\xB1'};
  std::uniform_int_distribution<int> pick(0, 8), len(1, 12);
  const char* expressions[] = {"m/./", "m/a.$/", "m/[^a]+/", "m/\\x82/", "m/b*/", "s/./x/g",
                               "s/b*/-/g", "tr/a-z/A-Z/", "m/./i", "s/$/e/mg"};
  for (int round = 0; round < 3000; ++round) {
    const int n = len(rng);
    std::unique_ptr<char[]> buffer(new char[static_cast<size_t>(n)]);
    for (int i = 0; i < n; ++i) buffer[static_cast<size_t>(i)] = alphabet[pick(rng)];
    const char* expr = expressions[round % 10];
    BRegexpRecord* record = nullptr;
    char message[kBRegexpMessageSize] = {};
    const char* end = buffer.get() + n;
    if (expr[0] == 's') BSubst(expr, buffer.get(), end, &record, message);
    else if (expr[0] == 't') BTrans(expr, buffer.get(), end, &record, message);
    else if (round % 3 == 0) BSplit(expr, buffer.get(), end, 0, &record, message);
    else BMatch(expr, buffer.get(), end, &record, message);
    BRegfree(record);
  }
}

}  // namespace
}  // namespace nura
