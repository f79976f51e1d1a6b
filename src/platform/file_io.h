// Whole-file reading and crash-safe writing of native files.
#pragma once

#include <string>
#include <string_view>

namespace nura {

// Reads the whole file; false when it cannot be read or is a folder.
bool ReadNativeFile(const std::string& nativePath, std::string& bytes);

// Replaces the file's content with `bytes` so that a crash leaves either the
// old or the new content: the bytes go to a temporary file beside it, are
// flushed to disk and renamed over the target. A symbolic link is followed
// (its target is replaced); an existing file keeps its permissions. False
// on any failure, the old file then unchanged.
bool WriteFileAtomically(const std::string& nativePath, std::string_view bytes);

}  // namespace nura
