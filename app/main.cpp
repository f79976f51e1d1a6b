// The program: finds its script and runs it. With a display it runs in the
// main window of the window module; without one, in console mode, it runs
// the script without Qt's GUI libraries until the script needs them.
#include <cstdio>
#include <string>

#include "app/console_host.h"
#include "app/program_start.h"
#include "app/window_module.h"
#include "engine/dialogs.h"
#include "platform/console_mode.h"
#include "platform/program_module.h"

namespace {

int RunInConsole(int argc, char** argv) {
  if (const std::optional<int> extracted = nura::StartProgram(argc, argv)) return *extracted;
  nura::RegisterConsoleCommands();
  int status = 0;
  {
    nura::TConsoleHost host(argc, argv);
    status = host.Run();
  }
  return nura::ConsoleRunFailed() ? 1 : status;
}

int RunInWindow(int argc, char** argv) {
  std::string error;
  const auto windowMain =
      reinterpret_cast<nura::TWindowMain>(nura::ProgramModuleSymbol(nura::kWindowModule, "NuraWindowMain", error));
  if (!windowMain) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  return windowMain(argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
  nura::TakePlatformOption(argc, argv);
  nura::ChooseQtPlatform();
  if (!nura::WillBeConsoleMode()) return RunInWindow(argc, argv);
  return RunInConsole(argc, argv);
}
