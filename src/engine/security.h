// The security confirmation that every file-changing command asks before
// it acts. Its answer depends on the security level (command line and the
// "security.ini" file in the script's folder, read again at every
// confirmation) and, at the default level, on the user.
#pragma once

#include <string>
#include <string_view>

namespace nura {

enum : int { kSecurityLow = 0, kSecurityDefault = 1, kSecurityHigh = 2 };

// An answer to the confirmation that holds for the rest of the run.
enum class TSecurityAnswer { None, AllYes, AllNo };

// Where the run stands: the script's folder and file name (Shift-JIS
// script paths; folders of the file name are dropped), the security level
// of the interpreter state and the answer for all.
struct TSecurityContext {
  std::string baseFolder;
  std::string scriptFileName;
  int& level;
  TSecurityAnswer& answer;
};

// Reads the value of "security" in the section of the script's file name
// from baseFolder + "security.ini": "H..." high, "L..." low, anything else
// default (any case). Without the file or the value the level stays.
void ReadSecurityLevel(const std::string& baseFolder, std::string_view scriptFileName, int& level);

// 0 allows the operation on `path` (a script path); any other value refuses
// it. `message` is the question shown when the user must decide.
int ConfirmFileOperation(TSecurityContext& context, std::string_view path, std::string_view message);

// True when the native path lies inside the native folder: both are made
// canonical and compared by whole components, case-sensitively; a path
// whose last component is a symbolic link is never inside.
bool IsInsideFolder(const std::string& nativeFolder, const std::string& nativePath);

}  // namespace nura
