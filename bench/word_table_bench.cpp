// Word-table look-ups of registered words, exact and okurigana-free, in
// nanoseconds per look-up.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/command_api.h"
#include "engine/vocabulary.h"

int main() {
  using namespace nura;
  EnginePtr owner = MakeEngine();
  TNuraEngine& engine = *owner;
  RegisterBuiltinWords(engine);
  const THash& words = WordTable(engine);
  std::vector<std::string> exact, loose;
  for (const auto& v : BuiltinVariables()) exact.push_back(v.name);
  for (const auto& c : BuiltinCommands()) loose.push_back(c.name);  // as written: "繰り返す"
  constexpr int kRounds = 1000000;
  auto measure = [&](const std::vector<std::string>& names, bool isLoose) {
    size_t found = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i) found += words.FindNode(names[i % names.size()], isLoose) != nullptr;
    const double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s look-up: %.1f ns per look-up (%zu of %d found, %d words in the table)\n",
                isLoose ? "okurigana-free" : "exact", ns / kRounds, found, kRounds, words.Count());
  };
  measure(exact, false);
  measure(loose, true);
  return 0;
}
