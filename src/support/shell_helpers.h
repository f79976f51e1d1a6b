// The shell and system helpers that the file, window and system commands
// share: version name, the system's folders, numbered and long file names,
// shortcuts, shell-style copy, move and delete (wildcards allowed in the
// last component), and two message boxes. Paths are script paths
// (Shift-JIS); folder results end in "/". Failures are reported by the
// result (false or empty), never raised.
#pragma once

#include <cstdint>
#include <string>

namespace nura {

// The Windows version name of a version record: major 3 "Windows NT 3.51",
// 4 with platform 1 by minor (0 "Windows 95", 10 "Windows 98", 90
// "Windows Me"), 4 with platform 2 "Windows NT 4.0", 5 by minor (0 "Windows
// 2000", 1 "Windows XP", other minors empty), any other major "不明 Version
// = " and the packed version number.
std::string WindowsVersionName(int major, int minor, int platform, uint32_t packed);
// The running system's name (Linux has no Windows version record).
std::string GetWindowsVersionName();

std::string GetWindowsFolder();
std::string GetSystemFolder();
std::string GetTempFolder();
std::string GetProgramFolder();
// The folder of a CSIDL number: desktop 0x10, Send To 9, start-up 7,
// start menu 11, documents 5, recycle bin 10, favourites 6; empty for the
// others and where Linux has none.
std::string GetSpecialFolderPath(int csidl);

// folder + base + N + extension for the first N from 1 that names no
// existing file; an empty folder means the temporary folder. With
// `otherExtension` (such as ".eml") the name with that extension must be
// free too.
std::string MakeNumberedFileName(const std::string& folder, const std::string& name,
                                 const std::string& otherExtension = "");

// The full path with each component in the case that the file system has.
std::string ExpandToLongFileName(const std::string& path);

// Show states of a shortcut's window (as the window-state numbers).
enum : int { kShowNormal = 0, kShowMinimized = 1, kShowMaximized = 2 };
bool CreateShellLink(const std::string& linkFile, const std::string& target,
                     const std::string& arguments, int showState,
                     const std::string& workingFolder);

bool ShellCopyFile(const std::string& from, const std::string& to);
// True when one of the sources that ShellCopyFile would copy is a folder
// that the copy would put inside itself.
bool ShellCopyNestsInItself(const std::string& from, const std::string& to);
bool ShellMoveFile(const std::string& from, const std::string& to);
// Into the trash when `toTrash`; else files are deleted for good and
// folders are left.
bool ShellDeleteFile(const std::string& name, bool toTrash = true);

bool AskYesNo(const std::string& text);
void ShowWarningBox(const std::string& text, const std::string& caption);

// Saves the text with every line ended by CR LF.
bool SaveTextToFile(const std::string& file, const std::string& text);

}  // namespace nura
