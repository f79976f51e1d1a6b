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

}  // namespace nura
