// Statement speed against python3: five small programs (a counted loop, text
// building, calls of a label with an argument, a condition chain, hash
// writes and reads), each run as a whole process through the program in
// console mode and the same program in /usr/bin/python3 written as a python
// user would (in a function). Prints the CPU time (user + system) of each,
// the best of a few runs, and their ratio; the outputs must agree. Then the
// hash program at 50,000 and 100,000 keys, whose times must grow linearly.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sjis.h"
#include "process_timing.h"

namespace {

namespace fs = std::filesystem;

struct TProgram {
  std::string title;
  std::string script;  // UTF-8; written as Shift-JIS
  std::string python;
};

using bench::TTiming;

constexpr int kRuns = 3;

TTiming Measure(const std::string& command, const fs::path& outFile) {
  return bench::Measure(command, outFile, kRuns);
}

// The five programs, each loop at `scale` times its usual rounds.
std::vector<TProgram> Programs(int hashKeys, int scale) {
  const std::string keys = std::to_string(hashKeys);
  const auto rounds = [scale](int usual) { return std::to_string(usual * scale); };
  return {
      {"counted loop, " + rounds(1000000) + " rounds of A=A+1",
       "A=0\n" + rounds(1000000) + "回(A=A+1)\nAと言う\n",
       "def main():\n  a = 0\n  for _ in range(" + rounds(1000000) + "):\n    a = a + 1\n  print(a)\nmain()\n"},
      {"text building, " + rounds(100000) + " appends of \"ab\"",
       "S=\"\"\n" + rounds(100000) + "回(S=S&\"ab\")\nSの文字数\nそれを言う\n",
       "def main():\n  s = ''\n  for _ in range(" + rounds(100000) + "):\n    s = s + 'ab'\n  print(len(s))\nmain()\n"},
      {"calls, a label with an argument " + rounds(200000) + " times",
       "「加算」を「?を」で関数定義\nT=0\n" + rounds(200000) + "回(回数を加算)\nTと言う\n終わり\n*加算\n引数取得\nT=T+それ\n戻る\n",
       "def add(t, n):\n  return t + n\ndef main():\n  t = 0\n  for i in range(1, " + rounds(200000) + " + 1):\n"
       "    t = add(t, i)\n  print(t)\nmain()\n"},
      {"condition chain with I%3, " + rounds(300000) + " rounds",
       "A=0\nB=0\nC=0\n" + rounds(300000) + "回(\n  もし回数%3=0ならば(A=A+1)\n"
       "  違えば(もし回数%3=1ならば(B=B+1)違えば(C=C+1))\n)\nA&\",\"&B&\",\"&Cと言う\n",
       "def main():\n  a = b = c = 0\n  for i in range(1, " + rounds(300000) + " + 1):\n    if i % 3 == 0:\n"
       "      a = a + 1\n    elif i % 3 == 1:\n      b = b + 1\n    else:\n      c = c + 1\n"
       "  print('%d,%d,%d' % (a, b, c))\nmain()\n"},
      {"hash, " + keys + " keys written, read back and summed",
       keys + "回(Hの(\"k\"&回数)=回数)\nS=0\n" + keys + "回(S=S+Hの(\"k\"&回数))\nSと言う\n",
       "def main():\n  h = {}\n  for i in range(1, " + keys + " + 1):\n    h['k' + str(i)] = i\n"
       "  s = 0\n  for i in range(1, " + keys + " + 1):\n    s = s + h['k' + str(i)]\n  print(s)\nmain()\n"},
  };
}

using bench::WriteFile;

struct TPair {
  TTiming engine, python;
};

TPair RunPair(const TProgram& program, const fs::path& dir, int index) {
  const fs::path script = dir / ("p" + std::to_string(index) + ".nrs");
  const fs::path python = dir / ("p" + std::to_string(index) + ".py");
  WriteFile(script, nura::SJ(program.script));
  WriteFile(python, program.python);
  const std::string engine = bench::ProgramCommand(script);
  TPair pair;
  pair.engine = Measure(engine, dir / "engine.out");
  pair.python = Measure("/usr/bin/python3 " + python.string(), dir / "python.out");
  return pair;
}

}  // namespace

// An optional argument multiplies every program's rounds (and the hash's
// keys), so that start-up does not hide the loops: "10" for ten times.
int main(int argc, char** argv) {
  const int scale = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
  const fs::path dir = fs::temp_directory_path() / ("nura-statement-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::printf("CPU seconds (user + system), best of %d whole-process runs\n", kRuns);
  std::printf("%-52s %9s %9s %7s\n", "program", "engine", "python3", "ratio");
  bool agree = true;
  const std::vector<TProgram> programs = Programs(50000 * scale, scale);
  for (size_t i = 0; i < programs.size(); ++i) {
    const TPair pair = RunPair(programs[i], dir, static_cast<int>(i));
    std::printf("%-52s %8.3fs %8.3fs %6.1fx\n", programs[i].title.c_str(), pair.engine.cpu, pair.python.cpu,
                pair.engine.cpu / std::max(pair.python.cpu, 1e-3));
    if (pair.engine.output != pair.python.output) {
      std::printf("  outputs differ: engine \"%s\", python3 \"%s\"\n", pair.engine.output.c_str(),
                  pair.python.output.c_str());
      agree = false;
    }
    std::fflush(stdout);
  }
  const TPair half = RunPair(Programs(50000 * scale, scale).back(), dir, 10);
  const TPair full = RunPair(Programs(100000 * scale, scale).back(), dir, 11);
  std::printf("hash writes and reads: %d keys %.3fs, %d keys %.3fs: %.2fx\n", 50000 * scale, half.engine.cpu,
              100000 * scale, full.engine.cpu, full.engine.cpu / std::max(half.engine.cpu, 1e-3));
  fs::remove_all(dir);
  return agree ? 0 : 1;
}
