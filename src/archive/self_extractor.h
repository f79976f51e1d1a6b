// Self-extracting programs: a copy of this program's image with an LHA
// archive appended in a file-mix container whose first entry marks it as a
// self-extractor. Started, such a program extracts the archive it carries
// instead of running a script.
#pragma once

#include <string>
#include <vector>

#include "archive/archiver_options.h"

namespace nura {

// Writes the self-extractor `programNative` (executable, atomically) from
// the LHA archive `archiveNative`: paths dropped when `junkPaths`,
// existing files replaced without asking when `overwrite`. The library
// result code; messages (Shift-JIS lines) say what failed.
int WriteSelfExtractor(const std::string& archiveNative, const std::string& programNative,
                       bool junkPaths, bool overwrite, std::string& messages);

// When `executable` carries a self-extracting archive: extracts it (the
// arguments: a destination folder, "-y" to replace existing files without
// asking; without a folder it asks for one) and sets the exit status.
// False when the program carries none.
bool RunCarriedSelfExtractor(const std::string& executable, const std::vector<std::string>& arguments,
                             int& status);

}  // namespace nura
