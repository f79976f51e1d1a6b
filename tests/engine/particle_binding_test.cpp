// Every particle of the vocabulary's patterns, read by the statement loop
// and bound by the dispatcher: a value written before its particle binds
// the same with and without a blank between them, whether it is a new word,
// a registered variable, a label or a literal. The cases are generated from
// the command table; the command's handler is replaced by one that records
// what binding left on the stack.
#include <algorithm>
#include <map>
#include <set>

#include "engine/binding.h"
#include "engine_fixture.h"

namespace nura::test {
namespace {

std::vector<std::string> g_bound;

void RecordBound(TNuraEngine& e, CommandId) {
  g_bound.clear();
  for (const auto& text : e.Base().args.Items()) g_bound.push_back(SjisToUtf8(text));
  e.Base().args.Clear();
}

struct ValueKind {
  const char* written;  // UTF-8, as the script writes it
  const char* bound;    // the raw text that binding must deliver
};

// A new word, a variable (assigned in the program), a label (defined in the
// program) and a literal.
const ValueKind kKinds[] = {
    {"新語", "新語"}, {"変数", "変数"}, {"受け", "受け"}, {"「字」", "`字`"}};

class ParticleBinding : public EngineTest {
 protected:
  // Runs `statement` with the handler of `id` replaced; the texts bound.
  std::vector<std::string> Bound(CommandId id, const std::string& statement) {
    const CommandHandler saved = FindCommandHandler(static_cast<int>(id));
    RegisterCommandHandler(id, RecordBound);
    g_bound = {"(not reached)"};
    dialogs.errorLogs.clear();
    Run("変数=1\n" + statement + "\n*受け\n");
    RegisterCommandHandler(id, saved);
    if (!dialogs.errorLogs.empty()) return {dialogs.errorLogs.front()};
    return g_bound;
  }
};

TEST_F(ParticleBinding, EveryParticleBindsWithAndWithoutABlank) {
  // One command for each pattern; patterns with a bare particle slot
  // ("へ") take no value before it.
  std::map<std::string, const BuiltinCommand*> byPattern;
  for (const auto& c : BuiltinCommands()) {
    if (PatternParticles(c.pattern).empty()) continue;
    bool bare = false;
    for (size_t start = 0; start <= c.pattern.size();) {
      const size_t comma = std::min(c.pattern.find(',', start), c.pattern.size());
      bare = bare || c.pattern.substr(start, comma - start).find('?') == std::string::npos;
      start = comma + 1;
    }
    if (!bare) byPattern.emplace(c.pattern, &c);
  }
  std::set<std::string> covered, all;
  for (const auto& c : BuiltinCommands()) {
    if (c.pattern.find('?') == std::string::npos) continue;
    for (const auto& p : PatternParticles(c.pattern))
      if (!p.empty()) all.insert(SjisToUtf8(p));
  }
  for (const auto& [pattern, command] : byPattern) {
    const auto particles = PatternParticles(pattern);
    for (size_t slot = 0; slot < particles.size(); ++slot) {
      if (particles[slot].empty()) continue;
      for (const ValueKind& kind : kKinds) {
        // Blanks nowhere, after each particle only, around each particle.
        for (const auto& [blank, gap] : {std::pair{"", ""}, {"", " "}, {" ", " "}}) {
          std::string statement;
          std::vector<std::string> want;
          for (size_t j = 0; j < particles.size(); ++j) {
            const std::string particle = SjisToUtf8(particles[j]);
            const std::string filler = "a" + std::to_string(j + 1);
            if (j == slot) {
              statement += kind.written + std::string(blank) + particle + gap;
              want.push_back(kind.bound);
            } else {
              statement += "「" + filler + "」" + std::string(blank) + particle + gap;
              want.push_back("`" + filler + "`");
            }
          }
          statement += SjisToUtf8(command->name);
          EXPECT_EQ(Bound(static_cast<CommandId>(command->id), statement), want) << statement;
        }
      }
      covered.insert(SjisToUtf8(particles[slot]));
    }
  }
  EXPECT_EQ(covered, all);
}

// The statement that reaches the DDE server command, in both forms, with a
// label and with a name that is not one; "Aを呼ぶ" alone still calls A.
TEST_F(ParticleBinding, LongParticleHoldingACommand) {
  const std::pair<const char*, const char*> cases[] = {
      {"受けを呼ぶ 「t」という DDEサーバー作成", "受け"},
      {"受け を呼ぶ 「t」 という DDEサーバー作成", "受け"},
      {"ナイを呼ぶ 「t」という DDEサーバー作成", "ナイ"},
      {"ナイ を呼ぶ 「t」 という DDEサーバー作成", "ナイ"},
  };
  for (const auto& [statement, name] : cases) {
    EXPECT_EQ(Bound(CommandId::DdeCreateServer, statement), (std::vector<std::string>{name, "`t`"}))
        << statement;
  }
  ASSERT_TRUE(Run("受けを呼ぶ\n「後」と言う\n終わり\n*受け\n「中」と言う\n戻る\n"));
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"中", "後"}));
}

}  // namespace
}  // namespace nura::test
