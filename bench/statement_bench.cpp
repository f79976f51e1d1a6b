// Statements per second of a script that assigns and adds in a loop of one
// million rounds, with the same loop in python3 beside it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/control_commands.h"
#include "engine/engine.h"
#include "engine/vocabulary.h"
#include "platform/sjis.h"

int main() {
  using namespace nura;
  constexpr int kRounds = 1000000;
  TNuraEngine engine;
  RegisterControlCommands();
  engine.SetRegistrationHook(RegisterBuiltinWords);
  engine.PrepareRun(SJ("A=0\nIを1から" + std::to_string(kRounds) + "まで繰り返す(A=A+I)\n"), "bench.nrs");
  const auto start = std::chrono::steady_clock::now();
  engine.Run();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("engine: %d rounds of A=A+I in %.3f s: %.0f statements per second (A=%s)\n", kRounds,
              seconds, kRounds / seconds, engine.Base().words.FindValue("A", false).c_str());

  const std::string python =
      "python3 -c 'import time\nt=time.perf_counter()\na=0\nfor i in range(1," +
      std::to_string(kRounds + 1) +
      "):\n  a=a+i\nd=time.perf_counter()-t\nprint(\"python3: %d rounds in %.3f s: %.0f statements per second (a=%d)\" % (" +
      std::to_string(kRounds) + ", d, " + std::to_string(kRounds) + "/d, a))'";
  std::fflush(stdout);
  if (std::system(python.c_str()) != 0) std::printf("python3: not available\n");
  return 0;
}
