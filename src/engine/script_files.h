// Finding and reading script files: the default script beside the
// program, reading a script as text, and resolving a file name that a
// script gives against the folders where its files are looked for.
#pragma once

#include <string>

namespace nura {

class TNuraEngine;

// The program's path with the extension ".nrs" when that file exists
// (native UTF-8), else empty.
std::string FindDefaultScript(const std::string& programPath);

// Reads a whole file (script path, Shift-JIS); false when it cannot be read.
bool ReadWholeFile(const std::string& scriptPath, std::string& bytes);

// Reads a script or an included file as Shift-JIS text; a UTF-8 file is
// converted (ScriptTextToSjis). False when it cannot be read: `error` is
// then empty, or, for a character that has no Shift-JIS form, a message
// that names the file (`name`, as the script wrote it) and the line.
bool ReadScriptFile(const std::string& scriptPath, const std::string& name, std::string& text,
                    std::string& error);

// The folder part of a script path, with its trailing separator ("" when
// the path has no folder). "\" and "/" both separate.
std::string FolderOfScriptPath(const std::string& path);

// The first existing of: the current folder, the script's base folder, the
// program's folder, the current file's folder, each + name; else the name
// as it stands. An absolute name is used as it stands.
std::string ResolveFilePath(TNuraEngine& engine, const std::string& name);

}  // namespace nura
