#include "platform/program_module.h"

#include "platform/shared_library.h"
#include "platform/system_info.h"
#include "platform/window_system.h"

namespace nura {

std::string ProgramModulePath(const std::string& name) {
  static const std::string folder = SystemFolderPath(SystemFolder::Program);
  return (folder.empty() ? "./" : folder) + "libnura_" + name + ".so";
}

// Every module but the window module runs under Qt's application, and
// finds the window module's functions as it finds the executable's.
void* ProgramModuleSymbol(const std::string& name, const char* symbol, std::string& error) {
  const bool window = name == "window";
  if (!window) RequireWindowSystem();
  return SharedLibrarySymbol(ProgramModulePath(name), symbol, error, window);
}

bool ProgramModuleLoaded(const std::string& name) { return SharedLibraryLoaded(ProgramModulePath(name)); }

}  // namespace nura
