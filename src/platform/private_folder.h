// The program's private folder for one run, for files that other users
// must neither read nor plant: packed files extracted on demand and the
// copy of an appended container.
#pragma once

#include <string>
#include <string_view>

namespace nura {

// The folder of this run (native, without a trailing "/"): made on first
// use with mkdtemp, mode 0700, under $XDG_RUNTIME_DIR when that is a folder
// of this user's, else under the temporary folder; removed with everything
// in it when the program ends. Empty when it cannot be made.
std::string PrivateRunFolder();

// Writes `bytes` to a new file, created exclusively with mode 0600 and
// never through a symbolic link; false when the name exists or the file
// cannot be written whole (nothing is left behind then).
bool WriteNewPrivateFile(const std::string& nativePath, std::string_view bytes);

}  // namespace nura
