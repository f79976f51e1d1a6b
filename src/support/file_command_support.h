// Pieces that the file and folder commands share: quoting for messages
// (Quoted, from engine/errors.h), the read-or-write error, path parts, and the security confirmation with
// the path made absolute the way the command will use it.
#pragma once

#include <string>

#include "engine/errors.h"

namespace nura {

class TNuraEngine;

// "ファイル"%s"の、読み込みか書き込みに、失敗しました。" + `tail`.
[[noreturn]] void RaiseFileError(TNuraEngine& engine, const std::string& name,
                                 const std::string& tail = "");

// True for a path that names its place fully: it begins with a separator
// or holds a drive colon.
bool IsAbsoluteScriptPath(const std::string& path);

// A relative path prefixed with the current folder, so that the security
// confirmation judges the place that the command really changes.
std::string AbsoluteScriptPath(const std::string& path);

// The security confirmation; true when the command may go on.
bool ConfirmChange(TNuraEngine& engine, const std::string& path, const std::string& message);

// The path of a two-path change that the confirmation judges: the source,
// unless it lies in the script's folder, then the destination.
std::string ConfirmTargetOf(TNuraEngine& engine, const std::string& source,
                            const std::string& destination);

// Path parts, "\", "/" and ":" ending the folder part (Shift-JIS aware).
std::string ExtractFolderPart(const std::string& path);
std::string ExtractNamePart(const std::string& path);
// The extension with its "."; "" when the name part has none.
std::string ExtractExtension(const std::string& path);
// The path with its extension replaced by `ext` (appended when none).
std::string ChangeExtension(const std::string& path, const std::string& ext);

// True when the text ends in "\" or "/".
bool EndsWithSeparator(const std::string& path);

}  // namespace nura
