#include "platform/gui/qt_window_system.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

#include "platform/sjis.h"
#include "platform/window_system.h"

namespace nura {
namespace {

uint32_t ToBgr(const QColor& colour) {
  return static_cast<uint32_t>(colour.red()) | static_cast<uint32_t>(colour.green()) << 8 |
         static_cast<uint32_t>(colour.blue()) << 16;
}

class TQtWindowSystem : public TWindowSystem {
 public:
  std::string ClipboardText() override { return QStringToSjis(QGuiApplication::clipboard()->text()); }
  void SetClipboardText(const std::string& sjis) override {
    QGuiApplication::clipboard()->setText(SjisToQString(sjis));
  }
  ScreenSize PrimaryScreenSize() override {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QSize size = screen->size();
      if (size.width() > 0 && size.height() > 0) return {size.width(), size.height()};
    }
    return {1024, 768};
  }
  uint32_t SystemColour(int index) override {
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
      case 1: return ToBgr(palette.color(QPalette::Active, QPalette::Dark));
      case 2: return ToBgr(palette.color(QPalette::Active, QPalette::Highlight));
      case 3: return ToBgr(palette.color(QPalette::Inactive, QPalette::Mid));
      case 4: return ToBgr(palette.color(QPalette::Active, QPalette::Window));
      case 13: return ToBgr(palette.color(QPalette::Active, QPalette::Highlight));
      default: return 0;
    }
  }
  std::vector<std::string> InstalledFontFamilies() override {
    std::vector<std::string> names;
    for (const QString& name : QFontDatabase::families()) names.push_back(QStringToSjis(name));
    return names;
  }
};

}  // namespace

void InstallQtWindowSystem() {
  static TQtWindowSystem system;
  InstallWindowSystem(&system);
}

}  // namespace nura
