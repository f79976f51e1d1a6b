#include <atomic>
#include <chrono>

#include "engine_fixture.h"
#include "common/run_program.h"
#include "platform/vector_state.h"

namespace nura::test {
namespace {

using Strings = std::vector<std::string>;

TEST_F(EngineTest, CountedLoops) {
  ASSERT_TRUE(Run("Iを1から3まで繰り返す(Iと言う)\nIを5から1まで繰り返す(「x」と言う)\n"
                  "0回(「y」と言う)\n-2回(「y」と言う)\n2回(回数と言う)"));
  EXPECT_EQ(dialogs.messages, (Strings{"1", "2", "3", "1", "2"}));
  EXPECT_TRUE(dialogs.errorLogs.empty());
}

TEST_F(EngineTest, LoopBlockOnTheFollowingLines) {
  ASSERT_TRUE(Run("2回\n  「a」と言う\n「b」と言う\nIを1から2まで繰り返す(\n  Iと言う\n  「-」と言う\n)\n「c」と言う"));
  EXPECT_EQ(dialogs.messages, (Strings{"a", "a", "b", "1", "-", "2", "-", "c"}));
}

TEST_F(EngineTest, IterateAndWhile) {
  ASSERT_TRUE(Run("「x\ny」を反復(それと言う)\nA=0\n「A<2」でループ(A=A+1;Aと言う)\n"
                  "「p\nq\nr」を反復(\nもしそれ=「q」ならば(抜ける)\nそれと言う\n)\n「end」と言う"));
  EXPECT_EQ(dialogs.messages, (Strings{"x", "y", "1", "2", "p", "end"}));
}

TEST_F(EngineTest, ConditionsPickTheirBlock) {
  ASSERT_TRUE(Run("A=5\nもしAが5以上ならば「大」と言う\nもしA<3ならば「小」と言う\n違えば「中」と言う\n"
                  "(A=5)?ならば「真」と言う\nもし、Aが5ならば、「読点」と言う"));
  EXPECT_EQ(dialogs.messages, (Strings{"大", "中", "真", "読点"}));
}

// A condition is translated once per place in the text while the same
// names exist: "甲が1" is cut at が until a word of that whole name appears.
TEST_F(EngineTest, KeptConditionsFollowNewWords) {
  ASSERT_TRUE(Run("甲=1\n2回(もし甲が1ならば「真」と言う\n違えば「偽」と言う)"));
  engine.Base().AddVariable(SJ("甲が1"), "0", "e");
  engine.Run();
  EXPECT_EQ(dialogs.messages, (Strings{"真", "真", "偽", "偽"}));
  EXPECT_TRUE(dialogs.errorLogs.empty());
}

// From its third run a もし statement enters its kept blocks: each round
// still takes the block its condition chooses, and errors behind it or in
// its blocks report the lines the statement was read from.
TEST_F(EngineTest, KeptConditionBlocksKeepTheirLines) {
  dialogs.choice = ErrorChoice::Continue;
  ASSERT_TRUE(Run("4回(\nもし回数%2=0ならば(「a」と言う)\n違えば\n  「b」と言う\n謎一\n)\n"
                  "4回(もし回数>2ならば(謎二)違えば(\n謎三))"));
  EXPECT_EQ(dialogs.messages, (Strings{"b", "a", "b", "a"}));
  ASSERT_FALSE(dialogs.errorLogs.empty());
  std::string lines;  // the line and the word of each error
  const std::string& log = dialogs.errorLogs.back();
  for (size_t at = log.find("行目"); at != std::string::npos; at = log.find("行目", at + 1)) {
    lines += log.substr(at - 1, 1) + log.substr(log.find("謎", at), std::string("謎一").size());
  }
  EXPECT_EQ(lines, "5謎一5謎一5謎一5謎一7謎三7謎三7謎二7謎二");
}

// What a line end reads is kept per position: a statement that goes on
// behind "," and the lines of errors after it stay the same every round.
TEST_F(EngineTest, KeptLineEndsKeepContinuationAndLines) {
  dialogs.choice = ErrorChoice::Continue;
  ASSERT_TRUE(Run("3回(\n「x」と,\n言う\n謎\n)\n謎"));
  EXPECT_EQ(dialogs.messages, (Strings{"x", "x", "x"}));
  ASSERT_FALSE(dialogs.errorLogs.empty());
  std::string lines;
  const std::string& log = dialogs.errorLogs.back();
  for (size_t at = log.find("行目"); at != std::string::npos; at = log.find("行目", at + 1)) {
    lines += log.substr(at - 1, 1);
  }
  EXPECT_EQ(lines, "4446");
}

TEST_F(EngineTest, BreakLeavesTheLoopFromNestedConditions) {
  ASSERT_TRUE(Run("Iを1から5まで繰り返す(\nもしI=3ならば(もしI>0ならば(抜ける))\nIと言う\n)\n「end」と言う"));
  EXPECT_EQ(dialogs.messages, (Strings{"1", "2", "end"}));
}

TEST_F(EngineTest, ContinueGoesToTheNextRound) {
  ASSERT_TRUE(Run("Iを1から3まで繰り返す(\nもしI=2ならば(続ける)\nIと言う\n)"));
  EXPECT_EQ(dialogs.messages, (Strings{"1", "3"}));
}

TEST_F(EngineTest, SwitchArms) {
  ASSERT_TRUE(Run("3で条件分岐\n1の時、「one」と言う\n3の時、「three」と言う\nその他の時、「other」と言う\n"
                  "9で条件分岐\n5以上の時、「big」と言う\nその他の時、「other」と言う"));
  EXPECT_EQ(dialogs.messages, (Strings{"three", "big"}));
}

TEST_F(EngineTest, ReturnAtTopLevelEndsQuietly) {
  ASSERT_TRUE(Run("「a」と言う\n戻る\n「b」と言う"));
  EXPECT_EQ(dialogs.messages, Strings{"a"});
  EXPECT_TRUE(dialogs.errorLogs.empty());
}

TEST_F(EngineTest, ReturnWithoutACall) {
  ASSERT_TRUE(Run("1回(戻る)"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_EQ(dialogs.errorLogs[0], "[エラー] test.nrs(1行目): 「戻る」べき場所がありません。\r\n");
}

TEST_F(EngineTest, JumpToAnUnknownLabel) {
  ASSERT_TRUE(Run("「a」と言う\nなしへ飛ぶ\n「b」と言う", "/tmp/t.nrs"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  const std::string want = "[エラー] t.nrs(2行目): 未定義のラベル\"なし\"に、ジャンプしようとしました。";
  EXPECT_EQ(dialogs.errorLogs[0], want + "\r\n");
  EXPECT_EQ(Var("エラーメッセージ"), want);
}

TEST_F(EngineTest, JumpsGlobalAndLocal) {
  ASSERT_TRUE(Run("先へ飛ぶ\n「no」と言う\n*先\n「yes」と言う\n"
                  "1回(\n局所へ飛ぶ\n「no」と言う\n*局所\n「local」と言う\n)\nA=3*2\nAと言う"));
  EXPECT_EQ(dialogs.messages, (Strings{"yes", "local", "6"}));
}

TEST_F(EngineTest, DuplicateLabelsFailBeforeTheRun) {
  EXPECT_FALSE(Run("「a」と言う\n*a\n*a"));
  EXPECT_EQ(prepareError,
            "[エラー] test.nrs(3行目): ラベル\"a\"の定義に失敗しました。既に単語として使われています。");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(EngineTest, LabelsOnlyWhereTheStarBeginsTheLine) {
  ASSERT_TRUE(Run("A=3*x\n「*b」と言う\n  *c\n**d"));
  EXPECT_EQ(engine.Base().words.FindNode("x", false), nullptr);
  EXPECT_EQ(engine.Base().words.FindNode("b", false), nullptr);
  ASSERT_NE(engine.Base().words.FindNode("c", false), nullptr);
  EXPECT_EQ(engine.Base().words.FindNode("d", false), nullptr);
}

TEST_F(EngineTest, SubroutinesReturnTheirValue) {
  ASSERT_TRUE(Run("「倍」を「?を」で関数定義\n3を倍\nそれと言う\nX=倍(5)\nXと言う\nそれと言う\n"
                  "下を呼ぶ\n「後」と言う\n終わり\n"
                  "*倍\n引数取得\nそれ=それ*2\n戻る\n*下\n「下」と言う\n戻る"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << dialogs.errorLogs[0];
  EXPECT_EQ(dialogs.messages, (Strings{"6", "10", "6", "下", "後"}));
}

TEST_F(EngineTest, CallFormNeedsItsParenthesesDirectly) {
  ASSERT_TRUE(Run("倍 (5)\n終わり\n*倍\n戻る"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("関数\"倍\"の呼び出しで、引数の()は、すぐ後ろに書いてください。"),
            std::string::npos);
}

TEST_F(EngineTest, EndlessCallRecursionIsAnError) {
  ASSERT_TRUE(Run("aを呼ぶ\n*a\naを呼ぶ"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("実行が無限ループしている可能性があるので終了します。"),
            std::string::npos);
}

TEST_F(EngineTest, EndlessNestedRunsAreAnError) {
  ASSERT_TRUE(Run("X=f()\n終わり\n*f\nY=f()\n戻る"));
  ASSERT_FALSE(dialogs.errorLogs.empty());
  EXPECT_NE(dialogs.errorLogs[0].find("実行が無限ループしている可能性があるので終了します。"),
            std::string::npos);
  EXPECT_EQ(engine.NestedRunDepth(), 0);
}

// A long run of signs nests like parentheses: on every path into the
// evaluator it is the nesting error, never a stack overflow.
TEST_F(EngineTest, RunsOfSignsGiveTheNestingError) {
  const std::string signs(50000, '-');
  for (const std::string& script :
       {"A=" + signs + "1", "(" + signs + "1)を言う", "「{" + signs + "1}」を言う",
        signs + "1と言う", "もし" + signs + "1が1ならば「x」と言う"}) {
    dialogs.errorLogs.clear();
    ASSERT_TRUE(Run(script));
    ASSERT_EQ(dialogs.errorLogs.size(), 1u) << script.substr(0, 8);
    EXPECT_NE(dialogs.errorLogs[0].find("計算式の入れ子が深すぎます。"), std::string::npos);
  }
}

#if defined(__SANITIZE_ADDRESS__)
// The allocator's count of live bytes, sampled at every allocation.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
std::atomic<size_t> peakBytes{0};
void NotePeak(const volatile void*, size_t) {
  const size_t now = __sanitizer_get_current_allocated_bytes();
  size_t seen = peakBytes.load();
  while (now > seen && !peakBytes.compare_exchange_weak(seen, now)) {
  }
}
void IgnoreFree(const volatile void*) {}
#endif

// Each open block holds a copy of its body: deeply nested blocks would
// hold copies of copies. Memory stays bounded; the nesting beyond the
// bound is the runaway error.
TEST_F(EngineTest, DeeplyNestedBlocksStayBounded) {
#if defined(__SANITIZE_ADDRESS__)
  std::string script;
  for (int i = 0; i < 10000; ++i) script += "1回(";
  script += std::string(10000, ')') + "\n「end」と言う";
  const size_t before = __sanitizer_get_current_allocated_bytes();
  peakBytes = before;
  __sanitizer_install_malloc_and_free_hooks(NotePeak, IgnoreFree);
  Run(script);
  __sanitizer_install_malloc_and_free_hooks(nullptr, nullptr);
  EXPECT_LT(peakBytes.load() - before, size_t{100} << 20);
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("実行が無限ループしている可能性があるので終了します。"),
            std::string::npos);
#else
  GTEST_SKIP() << "needs the address sanitizer's allocation counts";
#endif
}

TEST_F(EngineTest, EndlessTextRunsContinuedStillEnd) {
  dialogs.choice = ErrorChoice::Continue;
  ASSERT_TRUE(Run("A=「Aをぬらせらする」\nAをぬらせらする\n「end」と言う"));
  ASSERT_FALSE(dialogs.errorLogs.empty());
  EXPECT_EQ(dialogs.messages, Strings{"end"});
  EXPECT_EQ(engine.NestedRunDepth(), 0);
  EXPECT_EQ(engine.Base().runControl.NestedLevels(), 0);
}

TEST_F(EngineTest, TextRunsAndIncludes) {
  const std::string dir = test::MakeTempFolder() + "/";
  {
    FILE* f = std::fopen((dir + "inc.nrs").c_str(), "wb");
    const std::string text = SJ("「inc」と言う\r\n*incl\r\n「label」と言う\r\n戻る\r\n");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  ASSERT_TRUE(Run("「『run』と言う」をぬらせらする\n「" + dir + "inc.nrs」を取り込む\ninclを呼ぶ\n"
                  "「" + dir + "none.nrs」を取り込む"));
  EXPECT_EQ(dialogs.messages, (Strings{"run", "inc", "label", "label"}));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("none.nrs\"が、ありません。"), std::string::npos);
}

TEST_F(EngineTest, EndStopsNestedRuns) {
  ASSERT_TRUE(Run("「『a』と言う;終わり」をぬらせらする\n「b」と言う"));
  EXPECT_EQ(dialogs.messages, Strings{"a"});
  EXPECT_TRUE(engine.Base().stopRequest);
}

TEST_F(EngineTest, WaitTakesItsTime) {
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(Run("0.5秒待つ"));
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(ms, 500);
  EXPECT_LT(ms, 3000);
}

TEST_F(EngineTest, SmallWordCommands) {
  ASSERT_TRUE(Run("A=「x\ny\nz」\nAの行数\nそれと言う\n「ab」を3度リフレイン\nそれと言う\n"
                  "「  q　」をトリム\nそれと言う\nBに4バイトを確保\n「言う」を「?と,しゃべる」に名義変更\n「r」としゃべる"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << dialogs.errorLogs[0];
  EXPECT_EQ(dialogs.messages, (Strings{"3", "ababab", "q", "r"}));
  EXPECT_EQ(engine.Base().words.FindValue("B", false), std::string(4, '\0'));
}

TEST_F(EngineTest, EventCodeRunsWhenIdleAndReturns) {
  ASSERT_TRUE(Run("「main」と言う\n待機\n*押\n「event」と言う\n戻る\n*他\n「other」と言う"));
  NodePtr label = engine.Base().words.FindNode(SJ("押"), false);
  engine.RunEventCode(label->Position(), label->Annotation());
  EXPECT_EQ(dialogs.messages, (Strings{"main", "event"}));
  EXPECT_EQ(engine.Base().runControl.Count(), 0);
  // While a run is active the event only queues its code in front.
  engine.Base().cursor = engine.Base().words.FindNode(SJ("他"), false)->Position();
  engine.RunEventCode(label->Position(), label->Annotation());
  engine.RunLoop();
  EXPECT_EQ(dialogs.messages, (Strings{"main", "event", "event", "other"}));
}

#if defined(__x86_64__)
// Whether the upper halves of the AVX registers are in use, where the
// processor tells (XGETBV with ECX=1).
bool UpperVectorStateInUse() {
  unsigned lo = 0, hi = 0;
  __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(1));
  return (lo & 4) != 0;
}
void DirtyUpperVectorState() { __asm__ volatile("vpcmpeqb %%ymm0, %%ymm0, %%ymm0" ::: "xmm0"); }
// True where the processor tells, and tells in use after a 256-bit
// instruction and not in use after a clear (a processor may report the
// state in use whenever it likes).
bool CanReadVectorState() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__builtin_cpu_supports("avx")) return false;
  __asm__("cpuid" : "=a"(eax), "=b"(ebx), "=c"(ecx), "=d"(edx) : "a"(0xD), "c"(1));
  if ((eax & 4) == 0) return false;
  DirtyUpperVectorState();
  const bool dirty = UpperVectorStateInUse();
  ClearUpperVectorState();
  return dirty && !UpperVectorStateInUse();
}

// A command that calls code leaving the upper halves in use (as Qt's
// painting does) must not leave the statements after it in that state, in
// which short copies of the C library stall.
TEST_F(EngineTest, StatementsStartWithTheUpperVectorStateClear) {
  if (!CanReadVectorState()) GTEST_SKIP() << "the processor does not tell its vector state";
  static std::vector<bool> dirtyAtSay;
  dirtyAtSay.clear();
  RegisterCommandHandler(CommandId::Say, [](TNuraEngine& e, CommandId) {
    dirtyAtSay.push_back(UpperVectorStateInUse());
    e.PopArgumentText();
    DirtyUpperVectorState();
  });
  ASSERT_TRUE(Run("「a」と言う\n「b」と言う\n3回(「c」と言う)\n"));
  EXPECT_EQ(dirtyAtSay, std::vector<bool>(5, false));
}
#endif

TEST_F(EngineTest, TimerTargetRunsWhenIdle) {
  ASSERT_TRUE(Run("終わり\n*t\n「tick」と言う"));
  engine.Base().stopRequest = false;
  engine.RunTimerTarget(engine.Base().words.FindNode("t", false)->Position());
  EXPECT_EQ(dialogs.messages, Strings{"tick"});
}

}  // namespace
}  // namespace nura::test
