#include "platform/system_info.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QStandardPaths>
#include <QSysInfo>
#include <filesystem>
#include <system_error>

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
  if (QCoreApplication::instance() != nullptr) return QCoreApplication::applicationDirPath();
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return QString::fromStdString(exe.parent_path().string());
}

QString SubFolder(QStandardPaths::StandardLocation base, const char* name) {
  const QString root = Writable(base);
  return root.isEmpty() ? QString() : root + "/" + name;
}

uint32_t ToBgr(const QColor& colour) {
  return static_cast<uint32_t>(colour.red()) | static_cast<uint32_t>(colour.green()) << 8 |
         static_cast<uint32_t>(colour.blue()) << 16;
}

uint32_t Rgb(int red, int green, int blue) {
  return static_cast<uint32_t>(red) | static_cast<uint32_t>(green) << 8 |
         static_cast<uint32_t>(blue) << 16;
}

// The classic Windows scheme, used without a GUI application.
uint32_t ClassicColour(int index) {
  switch (index) {
    case 1: return Rgb(58, 110, 165);
    case 2: return Rgb(10, 36, 106);
    case 3: return Rgb(128, 128, 128);
    case 4: return Rgb(212, 208, 200);
    case 13: return Rgb(10, 36, 106);
    default: return 0;
  }
}

uint32_t PaletteColour(const QPalette& palette, int index) {
  switch (index) {
    case 1: return ToBgr(palette.color(QPalette::Active, QPalette::Dark));
    case 2: return ToBgr(palette.color(QPalette::Active, QPalette::Highlight));
    case 3: return ToBgr(palette.color(QPalette::Inactive, QPalette::Mid));
    case 4: return ToBgr(palette.color(QPalette::Active, QPalette::Window));
    case 13: return ToBgr(palette.color(QPalette::Active, QPalette::Highlight));
    default: return 0;
  }
}

bool HaveGuiApplication() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

}  // namespace

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

ScreenSize PrimaryScreenSize() {
  if (HaveGuiApplication()) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QSize size = screen->size();
      if (size.width() > 0 && size.height() > 0) return {size.width(), size.height()};
    }
  }
  return {1024, 768};
}

uint32_t SystemColour(int index) {
  if (HaveGuiApplication()) return PaletteColour(QGuiApplication::palette(), index);
  return ClassicColour(index);
}

std::string PlatformName() { return QSysInfo::prettyProductName().toStdString(); }

}  // namespace nura
