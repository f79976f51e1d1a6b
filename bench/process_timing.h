// Whole-process timing for the benchmarks that run a script through the
// program and its twin through another program: the best CPU time (user +
// system) of a few runs, with the first line of the output.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace bench {

struct TTiming {
  double cpu = 1e9;   // best user + system seconds
  double wall = 1e9;  // wall seconds of that run
  std::string output;
};

// Runs `command` through the shell `runs` times; the best CPU time wins.
// `settle`, when given, runs through the shell before each run, untimed.
inline TTiming Measure(const std::string& command, const std::filesystem::path& outFile, int runs,
                       const std::string& settle = "") {
  TTiming best;
  for (int run = 0; run < runs; ++run) {
    if (!settle.empty() && std::system(settle.c_str()) != 0) return best;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
      execl("/bin/sh", "sh", "-c", (command + " >" + outFile.string() + " 2>&1").c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return best;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                       usage.ru_stime.tv_usec / 1e6;
    if (cpu < best.cpu) {
      best.cpu = cpu;
      best.wall = wall;
    }
  }
  std::ifstream in(outFile);
  std::getline(in, best.output);
  return best;
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The command that runs a script through the program in console mode.
inline std::string ProgramCommand(const std::filesystem::path& script) {
  return "QT_QPA_PLATFORM=offscreen " + std::string(NURA_BIN_DIR) + "/nurasera " + script.string();
}

}  // namespace bench
