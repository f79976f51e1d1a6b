// The program's command line: the switches, the script name, and the
// arguments that the script sees in "コマンドライン引数".
#pragma once

#include <string>
#include <vector>

namespace nura {

// "-resourcecopy FILE": like "-resource", for a temporary copy of a
// container that the starting program made for this one; this program
// deletes it when it ends.
inline constexpr const char* kOwnedResourceSwitch = "-resourcecopy";

struct TCommandLine {
  std::string programPath;         // the executable, native UTF-8
  std::vector<std::string> args;   // arguments after the program name, Shift-JIS
  int scriptIndex = -1;            // index in args of the script name, -1 when none
  std::string scriptName;          // the script name as given (Shift-JIS)
  bool debug = false;              // "-debug"
  bool lineStop = false;           // "-linestop"
  bool runFirst = false;           // "-run" as the first argument
  std::string runtimeFile;         // "-runtime FILE"
  std::string resourceFile;        // "-resource FILE" or "-resourcecopy FILE"
  bool resourceOwned = false;      // "-resourcecopy": the file is a copy made for us
  int securityLevel = -1;          // "-security low|mid|high": 0, 1, 2; -1 when not given

  // Reads the arguments once, left to right.
  void Parse(const std::vector<std::string>& arguments);

  // The arguments from the script's own argument onward, joined by CR LF.
  std::string ScriptArgumentsText() const;
};

// The command line of this process, filled by the program's entry point.
TCommandLine& ProgramCommandLine();

}  // namespace nura
