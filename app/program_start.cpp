#include "app/program_start.h"

#include <string>
#include <vector>

#include "archive/self_extractor.h"
#include "engine/command_line.h"
#include "platform/sjis.h"
#include "platform/system_info.h"

namespace nura {

std::optional<int> StartProgram(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(Utf8ToSjis(argv[i]));
  TCommandLine& commandLine = ProgramCommandLine();
  commandLine.programPath = ProgramFilePath();
  commandLine.Parse(args);
  int extracted = 0;
  if (RunCarriedSelfExtractor(commandLine.programPath, std::vector<std::string>(argv + 1, argv + argc),
                              extracted))
    return extracted;
  return std::nullopt;
}

}  // namespace nura
