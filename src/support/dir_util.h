// Folder scans for the file commands: one folder listed by a wildcard
// pattern (TGlob), recursive file lists and recursive folder deletion.
// Paths in and out are script paths (Shift-JIS); "\" and "/" both separate.
// Folders that the scan produces are native paths that end in "/".
// Symbolic links count as files: a scan never enters one.
#pragma once

#include <string>
#include <vector>

#include "engine/sjis_text.h"  // JoinLines

namespace nura {

// True when `name` matches the file-name pattern: "*" any run, "?" one
// character (a two-byte character is one), ASCII letters without regard
// to case; "*.*" matches every name.
bool MatchFileName(const std::string& pattern, const std::string& name);

// True when the text holds "*" or "?".
bool HasFileWildcard(const std::string& text);

class TGlob {
 public:
  // Scans the folder of `pattern` for the entries that match its name
  // part; a pattern that ends in a separator gets "*". Subfolders whose
  // name begins with "." are left out. Names are sorted.
  explicit TGlob(const std::string& pattern);

  // The scanned folder with its trailing "/" ("" for the current folder).
  const std::string& Folder() const { return folder_; }
  const std::vector<std::string>& Folders() const { return folders_; }
  const std::vector<std::string>& Files() const { return files_; }

 private:
  std::string folder_;
  std::vector<std::string> folders_;
  std::vector<std::string> files_;
};

// The folder part of a script path with its separator, and the name part.
void SplitScriptPath(const std::string& path, std::string& folder, std::string& name);

// The full paths of the files that match the pattern's name in its folder,
// then those of every subfolder, depth first.
std::vector<std::string> ListFilesRecursive(const std::string& pattern);

// Deletes the subfolders' trees, then the files, then the folder itself;
// true only when every step succeeded (a failed step does not stop the
// others). A link to a folder is removed alone.
bool DeleteFolderTree(const std::string& folder);

}  // namespace nura
