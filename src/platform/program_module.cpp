#include "platform/program_module.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

#include "platform/system_info.h"

namespace nura {
namespace {

std::mutex& ModulesMutex() {
  static std::mutex mutex;
  return mutex;
}

// Loaded modules by name; never closed, since objects they made may live
// until the program ends.
std::map<std::string, void*>& Modules() {
  static std::map<std::string, void*> modules;
  return modules;
}

}  // namespace

std::string ProgramModulePath(const std::string& name) {
  static const std::string folder = SystemFolderPath(SystemFolder::Program);
  return (folder.empty() ? "./" : folder) + "libnura_" + name + ".so";
}

void* ProgramModuleSymbol(const std::string& name, const char* symbol, std::string& error) {
  std::lock_guard lock(ModulesMutex());
  void*& handle = Modules()[name];
  if (!handle) handle = dlopen(ProgramModulePath(name).c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!handle) {
    const char* reason = dlerror();
    error = reason ? reason : ProgramModulePath(name) + ": cannot be loaded";
    Modules().erase(name);
    return nullptr;
  }
  void* address = dlsym(handle, symbol);
  if (!address) error = ProgramModulePath(name) + ": no " + symbol;
  return address;
}

bool ProgramModuleLoaded(const std::string& name) {
  std::lock_guard lock(ModulesMutex());
  return Modules().count(name) != 0;
}

}  // namespace nura
