#include "platform/system_info.h"

#include <QDir>
#include <QStandardPaths>
#include <QSysInfo>
#include <filesystem>
#include <system_error>

#include "platform/window_system.h"

namespace nura {
namespace {

std::string WithTrailingSlash(const QString& path) {
  if (path.isEmpty()) return {};
  std::string result = QDir::cleanPath(path).toStdString();
  if (result.empty() || result.back() != '/') result += '/';
  return result;
}

QString Writable(QStandardPaths::StandardLocation location) {
  return QStandardPaths::writableLocation(location);
}

QString ProgramFolder() {
  const std::string program = ProgramFilePath();
  if (program.empty()) return {};
  return QString::fromStdString(std::filesystem::path(program).parent_path().string());
}

QString SubFolder(QStandardPaths::StandardLocation base, const char* name) {
  const QString root = Writable(base);
  return root.isEmpty() ? QString() : root + "/" + name;
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
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : exe.string();
}

std::string SystemFolderPath(SystemFolder folder) {
  switch (folder) {
    case SystemFolder::Desktop: return WithTrailingSlash(Writable(QStandardPaths::DesktopLocation));
    case SystemFolder::RecycleBin:
      return WithTrailingSlash(SubFolder(QStandardPaths::GenericDataLocation, "Trash/files"));
    case SystemFolder::Documents:
      return WithTrailingSlash(Writable(QStandardPaths::DocumentsLocation));
    case SystemFolder::StartMenu:
      return WithTrailingSlash(Writable(QStandardPaths::ApplicationsLocation));
    case SystemFolder::Startup:
      return WithTrailingSlash(SubFolder(QStandardPaths::GenericConfigLocation, "autostart"));
    case SystemFolder::Temp: return WithTrailingSlash(QDir::tempPath());
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

std::string PlatformName() { return QSysInfo::prettyProductName().toStdString(); }

}  // namespace nura
