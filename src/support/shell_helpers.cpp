#include "support/shell_helpers.h"

#include <filesystem>
#include <functional>
#include <system_error>

#include "support/dir_util.h"
#include "engine/dialogs.h"
#include "engine/sjis_text.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/shell.h"
#include "platform/sjis.h"
#include "platform/system_info.h"

namespace nura {
namespace fs = std::filesystem;

namespace {

std::string Folder(SystemFolder which) { return NativePathToScript(SystemFolderPath(which)); }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Runs `op` on every entry that the source names: each match of a
// wildcard name, or the one path. True when there was one and all worked.
bool ForEachSource(const std::string& from, const std::function<bool(const std::string&)>& op) {
  std::string folder, name;
  SplitScriptPath(from, folder, name);
  if (!HasFileWildcard(name)) return op(ScriptPathToNative(from));
  const TGlob glob(from);
  bool ok = !glob.Files().empty() || !glob.Folders().empty();
  for (const auto* list : {&glob.Files(), &glob.Folders()}) {
    for (const std::string& entry : *list) {
      if (!op(ScriptPathToNative(glob.Folder() + entry))) ok = false;
    }
  }
  return ok;
}

}  // namespace

std::string WindowsVersionName(int major, int minor, int platform, uint32_t packed) {
  switch (major) {
    case 3: return "Windows NT 3.51";
    case 4:
      if (platform == 2) return "Windows NT 4.0";
      if (platform != 1) return "";
      if (minor == 0) return "Windows 95";
      if (minor == 10) return "Windows 98";
      if (minor == 90) return "Windows Me";
      return "";
    case 5:
      if (minor == 0) return "Windows 2000";
      if (minor == 1) return "Windows XP";
      return "";
    default: return SJ("不明 Version = ") + std::to_string(packed);
  }
}

std::string GetWindowsVersionName() { return Utf8ToSjis(PlatformName()); }

std::string GetWindowsFolder() { return Folder(SystemFolder::Windows); }
std::string GetSystemFolder() { return Folder(SystemFolder::System); }
std::string GetTempFolder() { return Folder(SystemFolder::Temp); }
std::string GetProgramFolder() { return Folder(SystemFolder::Program); }

std::string GetSpecialFolderPath(int csidl) {
  switch (csidl) {
    case 0x10: return Folder(SystemFolder::Desktop);
    case 9: return Folder(SystemFolder::SendTo);
    case 7: return Folder(SystemFolder::Startup);
    case 11: return Folder(SystemFolder::StartMenu);
    case 5: return Folder(SystemFolder::Documents);
    case 10: return Folder(SystemFolder::RecycleBin);
    case 6: return Folder(SystemFolder::Favorites);
    default: return "";
  }
}

std::string MakeNumberedFileName(const std::string& folder, const std::string& name,
                                 const std::string& otherExtension) {
  std::string dir = folder.empty() ? GetTempFolder() : folder;
  if (!dir.empty() && !IsSeparator(dir.back())) dir += '/';
  std::string unused, base;
  SplitScriptPath(name, unused, base);
  std::string ext;
  const size_t dot = base.rfind('.');
  if (dot != std::string::npos) {
    ext = base.substr(dot);
    base.erase(dot);
  }
  const auto taken = [](const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(ScriptPathToNative(path), ec));
  };
  for (long n = 1; n < 1000000; ++n) {
    const std::string stem = dir + base + std::to_string(n);
    if (!taken(stem + ext) && (otherExtension.empty() || !taken(stem + otherExtension))) {
      return stem + ext;
    }
  }
  return "";
}

std::string ExpandToLongFileName(const std::string& path) {
  if (path.empty()) return "";
  return NativePathToScript(ExpandLongPathName(ScriptPathToNative(path)));
}

bool CreateShellLink(const std::string& linkFile, const std::string& target,
                     const std::string& arguments, int showState,
                     const std::string& workingFolder) {
  const LinkShowState show = showState == kShowMinimized   ? LinkShowState::Minimized
                             : showState == kShowMaximized ? LinkShowState::Maximized
                                                           : LinkShowState::Normal;
  return WriteDesktopLink(ScriptPathToNative(linkFile), ScriptPathToNative(target),
                          SjisToUtf8(arguments), show, ScriptPathToNative(workingFolder));
}

bool ShellCopyFile(const std::string& from, const std::string& to) {
  const std::string dest = ScriptPathToNative(to);
  return ForEachSource(from, [&](const std::string& src) { return CopyPath(src, dest); });
}

bool ShellCopyNestsInItself(const std::string& from, const std::string& to) {
  const std::string dest = ScriptPathToNative(to);
  bool nests = false;
  ForEachSource(from, [&](const std::string& src) {
    nests = nests || CopyNestsInItself(src, dest);
    return true;
  });
  return nests;
}

bool ShellMoveFile(const std::string& from, const std::string& to) {
  const std::string dest = ScriptPathToNative(to);
  return ForEachSource(from, [&](const std::string& src) { return MovePath(src, dest); });
}

bool ShellDeleteFile(const std::string& name, bool toTrash) {
  return ForEachSource(name, [&](const std::string& path) {
    if (toTrash) return MoveToTrash(path);
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(path, ec))) return false;
    return RemovePath(path);
  });
}

bool AskYesNo(const std::string& text) { return Dialogs().AskYesNo(text, ""); }

void ShowWarningBox(const std::string& text, const std::string& caption) {
  Dialogs().ShowWarning(text, caption);
}

bool SaveTextToFile(const std::string& file, const std::string& text) {
  return WriteFileAtomically(ScriptPathToNative(file), JoinLines(SplitLines(text)));
}

}  // namespace nura
