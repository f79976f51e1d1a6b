// What the program does before any script runs, in either mode.
#pragma once

#include <optional>

namespace nura {

// Reads the command line into ProgramCommandLine(); when the executable
// carries a self-extracting archive, unpacks it instead: its exit status.
std::optional<int> StartProgram(int argc, char** argv);

}  // namespace nura
