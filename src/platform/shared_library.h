// Shared libraries loaded on first use (libarchive, libcurl, the program
// modules), so that a script that does not need them starts without them.
#pragma once

#include <string>

namespace nura {

// The address of `symbol` in the shared library `file` (a name the dynamic
// loader looks up, or a path), which is loaded on the first call and stays
// loaded; nullptr when it cannot be loaded or lacks the symbol, with the
// reason in `error`. A library loaded `shared` lends its symbols to the
// libraries loaded after it (as the executable does); else it keeps them.
void* SharedLibrarySymbol(const std::string& file, const char* symbol, std::string& error,
                          bool shared = false);

// True once the shared library `file` has been loaded.
bool SharedLibraryLoaded(const std::string& file);

}  // namespace nura
