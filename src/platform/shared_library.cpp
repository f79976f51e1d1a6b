#include "platform/shared_library.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

namespace nura {
namespace {

std::mutex& LibrariesMutex() {
  static std::mutex mutex;
  return mutex;
}

// Loaded libraries by file; never closed, since objects they made may live
// until the program ends.
std::map<std::string, void*>& Libraries() {
  static std::map<std::string, void*> libraries;
  return libraries;
}

}  // namespace

void* SharedLibrarySymbol(const std::string& file, const char* symbol, std::string& error, bool shared) {
  std::lock_guard lock(LibrariesMutex());
  void*& handle = Libraries()[file];
  if (!handle) handle = dlopen(file.c_str(), RTLD_NOW | (shared ? RTLD_GLOBAL : RTLD_LOCAL) | RTLD_NODELETE);
  if (!handle) {
    const char* reason = dlerror();
    error = reason ? reason : file + ": cannot be loaded";
    Libraries().erase(file);
    return nullptr;
  }
  void* address = dlsym(handle, symbol);
  if (!address) error = file + ": no " + symbol;
  return address;
}

bool SharedLibraryLoaded(const std::string& file) {
  std::lock_guard lock(LibrariesMutex());
  return Libraries().count(file) != 0;
}

}  // namespace nura
