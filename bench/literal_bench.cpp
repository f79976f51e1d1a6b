// Reading long string literals: a 2 MB literal assigned to a variable and
// one handed to a command, each through the whole statement loop. Reading
// is linear in the literal's length; the program fails (status 1) when the
// two statements take a second or more.
#include <chrono>
#include <cstdio>
#include <string>

#include "engine/control_commands.h"
#include "engine/command_api.h"
#include "engine/vocabulary.h"
#include "platform/sjis.h"

int main() {
  using namespace nura;
  constexpr size_t kBytes = 2 << 20;
  const std::string body(kBytes, 'a');
  EnginePtr owner = MakeEngine();
  TNuraEngine& engine = *owner;
  RegisterControlCommands();
  SetRegistrationHook(engine, RegisterBuiltinWords);
  PrepareRun(engine, SJ("A=「") + body + SJ("」\n「") + body + SJ("」をトリム\n"), "bench.nrs");
  const auto start = std::chrono::steady_clock::now();
  RunProgram(engine);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const size_t a = WordValue(engine, "A").size();
  const size_t result = ResultNode(engine)->Value().size();
  std::printf("literals: two of %zu bytes read in %.3f s (A: %zu bytes, result: %zu bytes)\n", kBytes,
              seconds, a, result);
  if (a != kBytes || result != kBytes) {
    std::printf("literals: wrong length\n");
    return 1;
  }
  return seconds < 1.0 ? 0 : 1;
}
