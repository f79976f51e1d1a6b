// Program modules: the parts of the program that need large libraries
// (Qt WebEngine for the browser, Qt Multimedia for sound and media) are
// shared modules beside the executable, "libnura_NAME.so", loaded the first
// time a script needs them, so that a script without them starts fast.
// A module finds the program's own functions in the executable.
#pragma once

#include <string>

namespace nura {

// The address of `symbol` (an extern "C" entry point) in the module `name`,
// which is loaded on the first call and stays loaded; nullptr when it
// cannot be loaded, with the reason in `error`.
void* ProgramModuleSymbol(const std::string& name, const char* symbol, std::string& error);

// True once the module `name` has been loaded.
bool ProgramModuleLoaded(const std::string& name);

// The file that holds the module `name`.
std::string ProgramModulePath(const std::string& name);

}  // namespace nura
