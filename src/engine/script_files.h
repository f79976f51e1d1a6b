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

// Makes script text as read from a file or a container entry Shift-JIS:
// UTF-8 text is converted (ScriptTextToSjis). False when a character has no
// Shift-JIS form: `error` is then a message that names the file (`name`, as
// the script wrote it) and the line, and `text` is cleared.
bool ScriptTextFromFile(std::string& text, const std::string& name, std::string& error);

// Reads a script or an included file as Shift-JIS text (ScriptTextFromFile).
// False when it cannot be read: `error` is then empty, or the conversion's
// message.
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
