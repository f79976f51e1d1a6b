#include "engine/security.h"

#include <filesystem>
#include <system_error>

#include "engine/dialogs.h"
#include "engine/errors.h"
#include "platform/ini_file.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {

namespace fs = std::filesystem;

namespace {

constexpr int kAllowed = 0;
constexpr int kRefused = 1;

// The canonical form of `p`, symbolic links of its existing part resolved;
// empty when it cannot be made.
fs::path Resolve(const fs::path& p) {
  std::error_code ec;
  fs::path r = fs::weakly_canonical(p, ec);
  if (ec) return fs::path();
  if (!r.has_filename() && r.has_relative_path()) r = r.parent_path();
  return r;
}

bool IsSecurityIni(std::string_view name) { return SjisEqualsIgnoreAsciiCase(name, "security.ini"); }

// The security.ini file itself, also when reached through a link.
bool TargetsSecurityIni(std::string_view path, const std::string& nativePath) {
  if (IsSecurityIni(SjisFileName(path))) return true;
  fs::path resolved = Resolve(nativePath);
  return !resolved.empty() && IsSecurityIni(resolved.filename().string());
}

std::string FolderOf(const std::string& baseFolder) {
  std::string folder = ScriptPathToNative(baseFolder);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

void ReadSecurityLevel(const std::string& baseFolder, std::string_view scriptFileName, int& level) {
  TIniFile ini;
  if (!ini.Load(FolderOf(baseFolder) + "security.ini")) return;
  std::optional<std::string> value = ini.ReadString(SjisFileName(scriptFileName), "security");
  if (!value || value->empty()) return;
  switch ((*value)[0]) {
    case 'H': case 'h': level = kSecurityHigh; break;
    case 'L': case 'l': level = kSecurityLow; break;
    default: level = kSecurityDefault; break;
  }
}

bool IsInsideFolder(const std::string& nativeFolder, const std::string& nativePath) {
  if (nativeFolder.empty()) return false;
  const fs::path base = Resolve(nativeFolder);
  if (base.empty()) return false;
  fs::path target(nativePath);
  if (target.is_relative()) target = fs::path(nativeFolder) / target;
  const fs::path name = target.filename();
  if (name.empty() || name == "." || name == "..") {
    target = Resolve(target);
  } else {
    const fs::path parent = Resolve(target.parent_path());
    if (parent.empty()) return false;
    target = parent / name;
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) return false;
  }
  auto t = target.begin();
  for (auto b = base.begin(); b != base.end(); ++b, ++t) {
    if (t == target.end() || *b != *t) return false;
  }
  return true;
}

int ConfirmFileOperation(TSecurityContext& context, std::string_view path, std::string_view message) {
  ReadSecurityLevel(context.baseFolder, context.scriptFileName, context.level);
  const std::string folder = FolderOf(context.baseFolder);
  std::string native = ScriptPathToNative(path);
  if (!native.empty() && native[0] != '/') native = folder + native;
  // The file that sets the level is never changed by a script, at any level.
  if (TargetsSecurityIni(path, native)) {
    Dialogs().ShowWarning(SJ("このプログラムは、\"security.ini\"を、操作出来ません！"),
                          SJ("セキュリティの警告"));
    return kRefused;
  }
  // "全ていいえ" refuses and "全てはい" allows for the rest of the run, even
  // though the file is read again; only a high level from the file overrides.
  if (context.answer == TSecurityAnswer::AllNo) return kRefused;
  if (context.answer == TSecurityAnswer::AllYes && context.level != kSecurityHigh)
    context.level = kSecurityLow;
  if (context.level == kSecurityHigh) return kRefused;

  const bool inside = path.find('*') == std::string_view::npos && IsInsideFolder(folder, native);
  if (inside || context.level != kSecurityDefault) return kAllowed;

  static const std::string yes = SJ("はい"), no = SJ("いいえ"), allYes = SJ("全てはい"),
                           allNo = SJ("全ていいえ");
  const std::string choice = Dialogs().AskButtons(std::string(message), "", {yes, no, allYes, allNo});
  if (choice.empty() || choice == no) return kRefused;
  if (choice == allYes) {
    context.answer = TSecurityAnswer::AllYes;
    context.level = kSecurityLow;
    return kAllowed;
  }
  if (choice == allNo) {
    context.answer = TSecurityAnswer::AllNo;
    context.level = kSecurityHigh;
    return kRefused;
  }
  return kAllowed;
}

}  // namespace nura
