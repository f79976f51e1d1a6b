#include "engine/command_line.h"

#include <cctype>

namespace nura {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

void TCommandLine::Parse(const std::vector<std::string>& arguments) {
  args = arguments;
  scriptIndex = -1;
  scriptName.clear();
  runFirst = !args.empty() && Lower(args[0]) == "-run";
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.empty() || a[0] != '-') {
      if (scriptIndex < 0) {
        scriptIndex = static_cast<int>(i);
        scriptName = a;
      }
      continue;
    }
    const std::string sw = Lower(a);
    const bool hasValue = i + 1 < args.size();
    if (sw == "-debug") {
      debug = true;
    } else if (sw == "-linestop") {
      lineStop = true;
    } else if (sw == "-runtime" && hasValue) {
      runtimeFile = args[++i];
    } else if ((sw == "-resource" || sw == kOwnedResourceSwitch) && hasValue) {
      resourceFile = args[++i];
      resourceOwned = sw == kOwnedResourceSwitch;
    } else if (sw == "-security" && hasValue) {
      const std::string level = Lower(args[++i]);
      if (level == "low") securityLevel = 0;
      else if (level == "mid") securityLevel = 1;
      else if (level == "high") securityLevel = 2;
    }
    // "-run" and anything else beginning with "-" are ignored here.
  }
}

std::string TCommandLine::ScriptArgumentsText() const {
  std::string out;
  if (scriptIndex < 0) return out;
  for (size_t i = static_cast<size_t>(scriptIndex); i < args.size(); ++i) {
    if (!out.empty()) out += "\r\n";
    out += args[i];
  }
  return out;
}

TCommandLine& ProgramCommandLine() {
  static TCommandLine commandLine;
  return commandLine;
}

}  // namespace nura
