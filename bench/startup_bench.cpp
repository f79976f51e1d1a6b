// Start-up time: runs the program on a script that ends at once, many
// times, and prints the mean wall time per run (console mode).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

int main() {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "nura-startup-bench";
  fs::create_directories(dir);
  const fs::path script = dir / "end.nrs";
  std::ofstream(script, std::ios::binary) << "A=1\r\n";
  const std::string command = "QT_QPA_PLATFORM=offscreen " + std::string(NURA_BIN_DIR) +
                              "/nurasera " + script.string() + " >/dev/null 2>&1";
  constexpr int kRuns = 20;
  if (std::system(command.c_str()) != 0) {  // warm the file cache once
    std::fprintf(stderr, "the program failed\n");
    return 1;
  }
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRuns; ++i) {
    if (std::system(command.c_str()) != 0) return 1;
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("start-up to the end of a one-line script: %.1f ms per run (%d runs)\n",
              elapsed.count() * 1000.0 / kRuns, kRuns);
  fs::remove_all(dir);
  return 0;
}
