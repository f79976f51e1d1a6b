#include "platform/system_info.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/window_system.h"

namespace nura {
namespace {

namespace fs = std::filesystem;

// A folder path with "." and ".." parts and doubled "/" taken out, ending
// in "/"; empty for an empty path.
std::string WithTrailingSlash(const std::string& path) {
  if (path.empty()) return {};
  std::string result = fs::path(path).lexically_normal().string();
  if (result.empty() || result.back() != '/') result += '/';
  return result;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  const passwd* user = ::getpwuid(::getuid());
  return user && user->pw_dir ? user->pw_dir : "/";
}

// An XDG base folder: the variable when it holds an absolute path (others
// are invalid), else `fallback` under the home folder.
std::string XdgFolder(const char* variable, const char* fallback) {
  if (const char* value = std::getenv(variable); value && value[0] == '/') return value;
  return HomeFolder() + "/" + fallback;
}

// A user folder of xdg-user-dirs ("DESKTOP", "DOCUMENTS"): the line
// XDG_<NAME>_DIR="..." of user-dirs.dirs, "$HOME" replaced; else `fallback`
// under the home folder.
std::string UserFolder(const std::string& name, const char* fallback) {
  std::ifstream dirs(XdgFolder("XDG_CONFIG_HOME", ".config") + "/user-dirs.dirs");
  const std::string key = "XDG_" + name + "_DIR=";
  for (std::string line; std::getline(dirs, line);) {
    if (line.rfind(key, 0) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) value = HomeFolder() + value.substr(5);
    if (!value.empty()) return value;
  }
  return HomeFolder() + "/" + fallback;
}

std::string TempFolder() {
  const char* temp = std::getenv("TMPDIR");
  return temp && *temp ? temp : "/tmp";
}

std::string ProgramFolder() {
  const std::string program = ProgramFilePath();
  return program.empty() ? std::string() : fs::path(program).parent_path().string();
}

uint32_t Rgb(int red, int green, int blue) {
  return static_cast<uint32_t>(red) | static_cast<uint32_t>(green) << 8 |
         static_cast<uint32_t>(blue) << 16;
}

// The palette of Qt's own style, which its offscreen platform uses.
uint32_t OffscreenColour(int index) {
  switch (index) {
    case 1: return Rgb(159, 159, 159);
    case 2: return Rgb(48, 140, 198);
    case 3: return Rgb(184, 184, 184);
    case 4: return Rgb(239, 239, 239);
    case 13: return Rgb(48, 140, 198);
    default: return 0;
  }
}

}  // namespace

std::string ProgramFilePath() {
  static const std::string path = [] {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.string();
  }();
  return path;
}

std::string SystemFolderPath(SystemFolder folder) {
  switch (folder) {
    case SystemFolder::Desktop: return WithTrailingSlash(UserFolder("DESKTOP", "Desktop"));
    case SystemFolder::RecycleBin: return WithTrailingSlash(XdgFolder("XDG_DATA_HOME", ".local/share") + "/Trash/files");
    case SystemFolder::Documents: return WithTrailingSlash(UserFolder("DOCUMENTS", "Documents"));
    case SystemFolder::StartMenu: return WithTrailingSlash(XdgFolder("XDG_DATA_HOME", ".local/share") + "/applications");
    case SystemFolder::Startup: return WithTrailingSlash(XdgFolder("XDG_CONFIG_HOME", ".config") + "/autostart");
    case SystemFolder::Temp: return WithTrailingSlash(TempFolder());
    case SystemFolder::Program: return WithTrailingSlash(ProgramFolder());
    case SystemFolder::SendTo:
    case SystemFolder::Favorites:
    case SystemFolder::Windows:
    case SystemFolder::System: return {};
  }
  return {};
}

// Without the window system (a console script that has not needed it yet,
// unit tests) the answers are those of Qt's offscreen platform, so that a
// console script sees the same before and after the window system comes up.
ScreenSize PrimaryScreenSize() {
  if (TWindowSystem* system = InstalledWindowSystem()) return system->PrimaryScreenSize();
  return {800, 800};
}

uint32_t SystemColour(int index) {
  if (TWindowSystem* system = InstalledWindowSystem()) return system->SystemColour(index);
  return OffscreenColour(index);
}

// PRETTY_NAME of os-release ("Debian GNU/Linux 12 (bookworm)").
std::string PlatformName() {
  for (const char* file : {"/etc/os-release", "/usr/lib/os-release"}) {
    std::ifstream release(file);
    for (std::string line; std::getline(release, line);) {
      if (line.rfind("PRETTY_NAME=", 0) != 0) continue;
      std::string value = line.substr(12);
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
      }
      if (!value.empty()) return value;
    }
  }
  return "Linux";
}

}  // namespace nura
