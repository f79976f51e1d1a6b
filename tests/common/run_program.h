// Runs the built `nurasera` executable in console mode for tests.
#pragma once

#include <string>
#include <vector>

namespace nura::test {

struct ProgramResult {
  int status = -1;
  std::string out;  // standard output (UTF-8)
  std::string err;  // standard error (UTF-8)
};

// Runs `exe` (default: the built nurasera) with `args` in folder `cwd`,
// feeding `input` to standard input; offscreen, so in console mode.
ProgramResult RunProgram(const std::vector<std::string>& args, const std::string& cwd,
                         const std::string& input = "", const std::string& exe = "");

// Writes `utf8` converted to Shift-JIS into `path`.
void WriteSjisFile(const std::string& path, const std::string& utf8);

// A fresh empty folder under the system temporary folder.
std::string MakeTempFolder();

}  // namespace nura::test
