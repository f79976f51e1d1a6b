#include "engine/binding.h"

#include <algorithm>
#include <random>

#include <gtest/gtest.h>

#include "platform/sjis.h"

namespace nura {
namespace {

using Stack = std::vector<std::string>;

std::string BindError(Stack stack, const std::string& pattern) {
  try {
    BindArguments(stack, SJ("置換"), pattern, false);
  } catch (const EBinding& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(Binding, MissingSubjectBecomesSore) {
  Stack stack;
  EXPECT_TRUE(BindArguments(stack, SJ("言う"), SJ("?を"), false));
  EXPECT_EQ(stack, Stack{SJ("それ")});

  Stack two = {SJ("Bに")};
  EXPECT_TRUE(BindArguments(two, SJ("書く"), SJ("?を,?に"), false));
  EXPECT_EQ(two, (Stack{SJ("それ"), "B"}));

  Stack lenient;
  EXPECT_TRUE(BindArguments(lenient, SJ("言う"), SJ("?と"), true));
  EXPECT_EQ(lenient, Stack{SJ("それ")});
}

TEST(Binding, BindsByParticleNotPosition) {
  Stack stack = {SJ("Bに"), SJ("Aを")};
  EXPECT_FALSE(BindArguments(stack, SJ("書く"), SJ("?を,?に"), false));
  EXPECT_EQ(stack, (Stack{"A", "B"}));

  Stack three = {SJ("Xの"), SJ("Zに"), SJ("Yを")};
  BindArguments(three, SJ("置換"), SJ("?の,?を,?に"), false);
  EXPECT_EQ(three, (Stack{"X", "Y", "Z"}));
}

TEST(Binding, ParticleEquivalences) {
  Stack he = {SJ("Aを"), SJ("Bへ")};
  BindArguments(he, "c", SJ("?を,?に"), false);
  EXPECT_EQ(he, (Stack{"A", "B"}));
  Stack ni = {SJ("Bに")};
  BindArguments(ni, "c", SJ("?へ"), false);
  EXPECT_EQ(ni, Stack{"B"});
  Stack to = {SJ("Aを")};
  BindArguments(to, "c", SJ("?と"), false);
  EXPECT_EQ(to, Stack{"A"});
  Stack no = {SJ("Aを"), SJ("Bを")};
  BindArguments(no, "c", SJ("?の,?を"), false);
  EXPECT_EQ(no, (Stack{"A", "B"}));
  Stack wo = {SJ("Aと"), SJ("Bの")};
  BindArguments(wo, "c", SJ("?を,?を"), false);
  EXPECT_EQ(wo, (Stack{"A", "B"}));
  EXPECT_FALSE(ParticleMatches(SJ("へ"), SJ("を")));
  EXPECT_FALSE(ParticleMatches(SJ("を"), SJ("に")));
}

TEST(Binding, BareSlotTakesTopmostAndLongParticles) {
  Stack stack = {SJ("Aを"), SJ("3秒後に")};
  BindArguments(stack, "c", "?", false);
  EXPECT_EQ(stack, (Stack{SJ("Aを"), SJ("3秒後に")}));

  Stack longer = {SJ("Tの"), SJ("2列目から"), SJ("Xを")};
  BindArguments(longer, "c", SJ("?の,?列目から,?を"), false);
  EXPECT_EQ(longer, (Stack{"T", "2", "X"}));

  Stack bare = {SJ("Aを"), SJ("から")};  // a slot without "?" binds the same
  BindArguments(bare, "c", SJ("?を,から"), false);
  EXPECT_EQ(bare, (Stack{"A", ""}));
}

TEST(Binding, LongParticleReadAsHeadAndWord) {
  // "受けを呼ぶ" comes as "受けを" and "呼ぶ": the slot "を呼ぶ" takes both.
  Stack stack = {SJ("受けを"), SJ("呼ぶ"), SJ("`t`という")};
  BindArguments(stack, "c", SJ("?を呼ぶ,?という"), false);
  EXPECT_EQ(stack, (Stack{SJ("受け"), "`t`"}));
  // The head must be the particle's own, and the word directly above it.
  EXPECT_NE(BindError({SJ("受けと"), SJ("呼ぶ")}, SJ("?を呼ぶ")), "(no error)");
  EXPECT_NE(BindError({SJ("受けを"), SJ("Xと"), SJ("呼ぶ")}, SJ("?を呼ぶ")), "(no error)");
}

TEST(Binding, UnboundTextsStayBelow) {
  Stack stack = {SJ("余分で"), SJ("Aを")};
  BindArguments(stack, "c", SJ("?を"), false);
  EXPECT_EQ(stack, (Stack{SJ("余分で"), "A"}));
}

TEST(Binding, LenientTakesTopmostAndKeepsForeignEndings) {
  Stack stack = {"1", "2"};
  BindArguments(stack, "c", SJ("?を,?に"), true);
  EXPECT_EQ(stack, (Stack{"1", "2"}));
}

TEST(Binding, Errors) {
  const std::string head = SJ("\"置換\"命令の引数に誤りがあります。\"?の,?を,?に\"の形式で指定してください。");
  EXPECT_EQ(BindError({SJ("Aを")}, SJ("?の,?を,?に")), head + SJ("引数が少ないです。"));
  EXPECT_EQ(BindError({}, SJ("?の,?を,?に")), head + SJ("引数が少ないです。"));
  EXPECT_EQ(BindError({SJ("Aの"), SJ("Bを"), SJ("Cで")}, SJ("?の,?を,?に")), head + SJ("\"に\""));
  // A two-byte character whose second byte looks like a particle's is not one.
  EXPECT_EQ(BindError({"\x88\x82\xF0"}, SJ("?を")),
            SJ("\"置換\"命令の引数に誤りがあります。\"?を\"の形式で指定してください。\"を\""));

  Stack full(5000, SJ("x"));
  full.push_back(SJ("Aを"));
  try {
    BindArguments(full, "c", SJ("?を"), false);
    ADD_FAILURE();
  } catch (const EBinding& e) {
    EXPECT_EQ(std::string(e.what()), SJ("スタックが一杯になりました。ラベルなどに再帰呼び出しがないか確認！"));
  }
  Stack exactly(4999, SJ("x"));
  exactly.push_back(SJ("Aを"));
  EXPECT_NO_THROW(BindArguments(exactly, "c", SJ("?を"), false));
}

TEST(Binding, NoArgumentsNeverPushesAnything) {
  Stack stack;
  EXPECT_FALSE(BindArguments(stack, "c", "", false));
  EXPECT_TRUE(stack.empty());
}

TEST(NumericLineCompare, SignOfDifferenceAndSafeSorting) {
  EXPECT_EQ(CompareNumericLines("1", "1.5"), -1);  // differ by less than one
  EXPECT_EQ(CompareNumericLines("10", "9"), 1);
  EXPECT_EQ(CompareNumericLines("abc", "0"), 0);
  EXPECT_EQ(CompareNumericLines("1.0e300", "-1.0e300"), 1);
  const std::vector<std::string> list = {"3", "1"};
  EXPECT_EQ(NumericLineCompare(list, 0, 1), 1);
  EXPECT_EQ(NumericLineCompare(list, 0, 5), 0);

  std::vector<std::string> lines;
  std::mt19937 random(7);
  for (int i = 0; i < 2000; ++i) {
    lines.push_back(std::to_string(static_cast<int>(random() % 50)) + "." +
                    std::to_string(random() % 10) + (i % 7 == 0 ? "x" : ""));
  }
  std::sort(lines.begin(), lines.end(),
            [](const std::string& a, const std::string& b) { return CompareNumericLines(a, b) < 0; });
  EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
    return CompareNumericLines(a, b) < 0;
  }));
}

}  // namespace
}  // namespace nura
