#include "platform/gui/qt_window_system.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"
#include "platform/window_system.h"

namespace nura {
namespace {

uint32_t ToBgr(const QColor& colour) {
  return static_cast<uint32_t>(colour.red()) | static_cast<uint32_t>(colour.green()) << 8 |
         static_cast<uint32_t>(colour.blue()) << 16;
}

class TQtSocketWatch : public TSocketWatch {
 public:
  TQtSocketWatch(int fd, std::function<void()> ready) : notifier_(new QSocketNotifier(fd, QSocketNotifier::Read)) {
    QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, std::move(ready));
  }
  ~TQtSocketWatch() override {
    notifier_->setEnabled(false);
    notifier_->deleteLater();  // its signal may be the one being handled
  }
  void SetEnabled(bool enabled) override { notifier_->setEnabled(enabled); }

 private:
  QSocketNotifier* notifier_;
};

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
  void ProcessEvents() override { QCoreApplication::processEvents(); }
  bool RunEventsUntil(const std::function<bool()>& done, int timeoutMs) override {
    if (done()) return true;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer step;
    step.setInterval(10);
    bool result = false;
    QObject::connect(&step, &QTimer::timeout, &loop, [&] {
      if (done()) {
        result = true;
        loop.quit();
      } else if (clock.elapsed() >= timeoutMs) {
        loop.quit();
      }
    });
    step.start();
    loop.exec();
    return result || done();
  }
  void QuitEventLoop() override { QCoreApplication::exit(0); }
  std::unique_ptr<TSocketWatch> WatchSocket(int fd, std::function<void()> ready) override {
    return std::make_unique<TQtSocketWatch>(fd, std::move(ready));
  }
};

}  // namespace

void InstallQtWindowSystem() {
  static TQtWindowSystem system;
  InstallWindowSystem(&system);
}

}  // namespace nura
