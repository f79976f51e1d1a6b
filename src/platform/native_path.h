// Script paths (Shift-JIS, "\" or "/" separators, maybe a drive letter)
// and native Linux paths (UTF-8, "/").
#pragma once

#include <string>
#include <string_view>

namespace nura {

// "C:\tmp\a.txt" -> "/tmp/a.txt". Converts to UTF-8 first so that a
// two-byte character whose second byte is 0x5C is never split.
std::string ScriptPathToNative(std::string_view sjisPath);

// A native UTF-8 path as a script sees it (Shift-JIS, "/" kept).
std::string NativePathToScript(std::string_view nativePath);

// The folder part of a native path ("" without a "/", "/" for a name at the
// root) and its name after the last "/", as std::filesystem::path splits a
// path without "//" or a "/" at its end; views into `path`.
inline std::string_view NativeFolderPart(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash == 0 ? 1 : slash);
}
inline std::string_view NativeNamePart(std::string_view path) { return path.substr(path.rfind('/') + 1); }

}  // namespace nura
