// How a backend reads the command lines that the format wrappers build:
// pieces separated by blanks, double quotes group (and are removed), a
// backslash is never an escape (so "DEST\" ends with the backslash), and
// "@file" names a response file with one quoted name a line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "archive/archiver_options.h"

namespace nura {

struct TCommandPiece {
  std::string text;
  bool quoted = false;  // some or all of it stood in double quotes
};

// The pieces of a Shift-JIS command line.
std::vector<TCommandPiece> SplitArchiverCommandLine(std::string_view line);

// The names of a response file (script path); false when it cannot be read.
bool ReadResponseFile(const std::string& path, std::vector<std::string>& names);

// One LHA switch without its "-": a numeric switch ("a1", "jso1") or a text
// switch ("wFOLDER\", "joDATE", "jobDATE", "jxNAME", "jzTEXT", "grTEXT").
// False when the name is unknown.
bool ApplyLhaSwitch(std::string_view piece, TArchiverOptions& options);

}  // namespace nura
