#include "support/regexp.h"

#include <gtest/gtest.h>

#include "platform/sjis.h"

namespace nura {
namespace {

TEST(TBRegExp, MatchGivesWholeMatchAndGroups) {
  TBRegExp re;
  ASSERT_TRUE(re.Available());
  ASSERT_TRUE(re.Match("m/a(.)c/", "abc"));
  EXPECT_EQ(re.GetCount(), 2);
  EXPECT_EQ(re.GetText(), "abc\r\nb\r\n");
  EXPECT_EQ(re.GetMatch(1), "b");
  EXPECT_THROW(re.GetMatch(2), EBRegExpError);  // group count + 1
  EXPECT_THROW(re.GetMatch(-1), EBRegExpError);
  EXPECT_THROW(re.GetSplitItem(0), EBRegExpError);
  EXPECT_FALSE(re.Match("m/a(.)c/", "xyz"));
  EXPECT_EQ(re.GetCount(), 0);
  EXPECT_EQ(re.GetText(), "");
  ASSERT_TRUE(re.Match("m/" + SJ("い") + "/", SJ("あいう")));
  EXPECT_EQ(re.GetMatch(0), SJ("い"));
  EXPECT_TRUE(re.Match("m/^$/", ""));  // an empty subject is still matched
}

TEST(TBRegExp, SameExpressionCompilesOnce) {
  TBRegExp re;
  ASSERT_TRUE(re.Match("m/b+/", "abbc"));
  ASSERT_TRUE(re.Match("m/b+/", "xbx"));
  EXPECT_EQ(re.GetMatch(0), "b");
  EXPECT_TRUE(re.Match("m/x/", "xbx"));
}

TEST(TBRegExp, SubstKeepsMatchesOfTheOriginal) {
  TBRegExp first;
  std::string text = "abcb";
  ASSERT_TRUE(first.Subst("s/(c)b/X$1/g", text));
  EXPECT_EQ(text, "abXc");
  text = "destroyed";  // the caller's text changes: the matches stay
  // A second object and a second substitution do not disturb the first.
  TBRegExp second;
  std::string other = "zzz";
  ASSERT_TRUE(second.Subst("s/z/y/g", other));
  EXPECT_EQ(other, "yyy");
  EXPECT_EQ(first.GetCount(), 2);
  EXPECT_EQ(first.GetMatch(0), "cb");
  EXPECT_EQ(first.GetMatch(1), "c");
  std::string again = "cb";
  ASSERT_TRUE(first.Subst("s/(c)b/X$1/g", again));
  EXPECT_EQ(second.GetMatch(0), "z");

  std::string empty;
  EXPECT_FALSE(first.Subst("s/^/x/", empty));
  EXPECT_EQ(empty, "");
  std::string unchanged = "abc";
  EXPECT_FALSE(first.Subst("s/q/x/", unchanged));
  EXPECT_EQ(unchanged, "abc");
}

TEST(TBRegExp, TransAndSplit) {
  TBRegExp re;
  std::string text = "abcd";
  ASSERT_TRUE(re.Trans("tr/a-c/A-C/", text));
  EXPECT_EQ(text, "ABCd");
  EXPECT_EQ(re.GetCount(), 0);
  std::string empty;
  EXPECT_TRUE(re.Trans("tr/ /_/", empty));  // an empty text becomes one space
  EXPECT_EQ(empty, "_");
  ASSERT_TRUE(re.Split("m/,/", "a,b,c", 1000));
  EXPECT_EQ(re.GetCount(), 3);
  EXPECT_EQ(re.GetSplitItem(2), "c");
  EXPECT_THROW(re.GetSplitItem(3), EBRegExpError);
  EXPECT_THROW(re.GetMatch(0), EBRegExpError);
  EXPECT_EQ(re.GetText(), "a\r\nb\r\nc\r\n");
  ASSERT_TRUE(re.Split("m/,/", "", 1000));
  EXPECT_EQ(re.GetText(), " \r\n");
}

TEST(TBRegExp, LibraryErrorsAreRaised) {
  TBRegExp re;
  try {
    re.Match("m/(a/", "a");
    FAIL() << "no error";
  } catch (const EBRegExpError& e) {
    EXPECT_GT(std::string(e.what()).size(), 0u);
  }
  EXPECT_EQ(re.GetCount(), 0);
  std::string text = "a";
  EXPECT_THROW(re.Subst("s/a/b/z", text), EBRegExpError);
  EXPECT_EQ(text, "a");
}

}  // namespace
}  // namespace nura
