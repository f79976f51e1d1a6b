// Scripts made to break the statement reader: very long lines, long chains
// of phrases, and runs ended from inside the statements that keep their
// reading for the next time.
#include <chrono>
#include <string>

#include "engine_fixture.h"

namespace nura::test {
namespace {

std::string Repeated(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

// A chain of 10,000 phrases on one line is read word by word, not by
// recursion: it ends with the error of its statement, and the next
// statement is not reached.
TEST_F(EngineTest, LongPhraseChainEndsWithAnError) {
  ASSERT_TRUE(Run(Repeated("Aの ", 10000) + "Bは 1\n「次」と言う\n"));
  ASSERT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_NE(dialogs.errorLogs[0].find("は未定義の命令です。"), std::string::npos);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(engine.Base().args.Count(), 0);
}

// Words written without blanks on one long line: each is found without
// scanning the rest of the line again, so 6,000 of them take well under
// the seconds a rescan of the rest per word took.
TEST_F(EngineTest, LongLineIsReadQuickly) {
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(Run(Repeated("Aの", 6000) + "\n"));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(dialogs.errorLogs.size(), 1u);
  EXPECT_LT(seconds, 5.0);
}

// "終わり" frees the program text while the statement that ran it still
// stands in it: a one-line もし, a loop body, a switch arm, an else branch
// and a label all end cleanly (AddressSanitizer checks the reads).
TEST_F(EngineTest, EndInsideKeptStatements) {
  const char* scripts[] = {
      "もし 1ならば 終わり\n「後」と言う\n",
      "もし1ならば終わり\n",
      "もし 1ならば 「前」と言って終わり\n",
      "もし 0ならば「a」と言う\n違えば 終わり\n",
      "3回\n　　終わり\n",
      "「a\nb」を反復\n　　終わり\n",
      "Iを1から3まで繰り返す\n  もし 1ならば 終わり\n",
      "1で条件分岐\n  1の時、終わり\n",
      "*f\nもし1ならば終わり\n",
  };
  for (const char* script : scripts) {
    dialogs.messages.clear();
    ASSERT_TRUE(Run(script)) << script;
    EXPECT_TRUE(dialogs.errorLogs.empty()) << script << dialogs.errorLogs[0];
    for (const std::string& said : dialogs.messages) EXPECT_NE(said, "後") << script;
  }
}

}  // namespace
}  // namespace nura::test
