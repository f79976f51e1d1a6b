// Scripts that once took quadratic time or worse, each at two sizes run in
// the engine (no process start-up): one long line of words without blanks,
// a long chain of phrases, and every block form left unclosed and nested
// thousands deep, with and without parentheses. The ratio of the two
// times must stay near 2 (linear), far from 4.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/control_commands.h"
#include "engine/dialogs.h"
#include "engine/command_api.h"
#include "engine/vocabulary.h"
#include "platform/sjis.h"

namespace {

using namespace nura;

struct TShape {
  const char* title;
  const char* piece;  // UTF-8, repeated
  int smaller;        // repeats; the larger size is twice this
};

// Seconds of the best of three runs of `piece` repeated `times` times.
double Time(const std::string& piece, int times) {
  std::string script;
  for (int i = 0; i < times; ++i) script += piece;
  script += "\n";
  double best = 1e9;
  for (int run = 0; run < 3; ++run) {
    EnginePtr owner = MakeEngine();
    TNuraEngine& engine = *owner;
    SetRegistrationHook(engine, RegisterBuiltinWords);
    const auto start = std::chrono::steady_clock::now();
    try {
      PrepareRun(engine, script, "bench.nrs");
      RunProgram(engine);
    } catch (const std::exception&) {
    }
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main() {
  static TSilentDialogs dialogs(ErrorChoice::End);
  SetDialogs(&dialogs);
  RegisterControlCommands();
  const TShape shapes[] = {
      {"one line of \"Aの\" without blanks", "Aの", 16000},
      {"a chain of \"Aの \" phrases", "Aの ", 16000},
      {"もし unclosed", "もし1ならば\n", 8000},
      {"もし/違えば unclosed", "もし0ならば\n違えば\n", 8000},
      {"回 unclosed", "1回\n", 8000},
      {"反復 unclosed", "「a」を反復\n", 8000},
      {"ループ (間) unclosed", "0でループ\n", 8000},
      {"繰り返す unclosed", "Iを1から1まで繰り返す\n", 8000},
      {"条件分岐 unclosed", "1で条件分岐\n1の時\n", 8000},
      {"もし( unclosed", "もし1ならば(\n", 8000},
      {"違えば( unclosed", "もし0ならば\n違えば(\n", 8000},
      {"回( unclosed", "1回(\n", 8000},
      {"反復( unclosed", "「a」を反復(\n", 8000},
      {"ループ( unclosed", "0でループ(\n", 8000},
      {"繰り返す( unclosed", "Iを1から1まで繰り返す(\n", 8000},
      {"条件分岐( unclosed", "1で条件分岐\n1の時(\n", 8000},
  };
  std::printf("%-40s %10s %10s %7s\n", "script (best of 3)", "n", "2n", "ratio");
  for (const TShape& shape : shapes) {
    const std::string piece = SJ(shape.piece);
    const double small = Time(piece, shape.smaller);
    const double large = Time(piece, shape.smaller * 2);
    std::printf("%-40s %9.4fs %9.4fs %6.2fx  (n = %d)\n", shape.title, small, large,
                large / std::max(small, 1e-6), shape.smaller);
    std::fflush(stdout);
  }
  return 0;
}
