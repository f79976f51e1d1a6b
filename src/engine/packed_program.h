// Programs and files packed into a file-mix container: the container
// appended to the program file (or to the file given with "-runtime"), the
// container given with "-resource", and files extracted from it on demand.
#pragma once

#include <string>

namespace nura {

class TNuraEngine;

// A new empty file in the temporary folder named `stem` + n + `extension`
// with the first free n from 1, created exclusively. Native path.
std::string CreateNumberedTempFile(const std::string& stem, const std::string& extension);

// Reads the program "nurasera.nrs" from the container appended to
// `executable` (native path) into `source`; false when the file carries no
// container. The container is copied to a temporary file and kept open as
// the state's container reader. A damaged container raises ENura
// "ファイルの展開に失敗しました。" with the reason.
bool LoadAppendedProgram(TNuraEngine& engine, const std::string& executable, std::string& source);

// Opens the container file `scriptPath` as the state's container reader;
// ENura "リソースファイルの取り込みに失敗しました。" when it cannot. The file
// stays the user's and is never deleted, unless `owned` is set and it is a
// numbered copy "TMPn.TMP" directly in the temporary folder (made for us by
// the program that started this one): that copy is deleted with the state.
void OpenResourceContainer(TNuraEngine& engine, const std::string& scriptPath,
                           bool owned = false);

// True for a path of the form <temporary folder>/TMPn.TMP (n digits).
bool IsNumberedContainerCopy(const std::string& nativePath);

// When the container holds `name`, extracts it once into the run's private
// folder (mode 0700; the file new, mode 0600, never through a link) and
// returns that path (Shift-JIS script path); otherwise empty. The file lies
// directly in that folder whatever the name holds, and is deleted with the
// state.
std::string ExtractPackedFile(TNuraEngine& engine, const std::string& name);

}  // namespace nura
