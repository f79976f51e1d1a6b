#include "platform/program_module.h"

#include "platform/shared_library.h"
#include "platform/system_info.h"

namespace nura {

std::string ProgramModulePath(const std::string& name) {
  static const std::string folder = SystemFolderPath(SystemFolder::Program);
  return (folder.empty() ? "./" : folder) + "libnura_" + name + ".so";
}

void* ProgramModuleSymbol(const std::string& name, const char* symbol, std::string& error) {
  return SharedLibrarySymbol(ProgramModulePath(name), symbol, error);
}

bool ProgramModuleLoaded(const std::string& name) { return SharedLibraryLoaded(ProgramModulePath(name)); }

}  // namespace nura
