#include "screen_check.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdlib>

namespace nura::test {

QImage Shot(QWidget& widget, const char* name) {
  const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
  if (const char* folder = std::getenv("NURA_SCREENSHOTS")) {
    image.save(QDir(QString::fromLocal8Bit(folder)).filePath(QString::fromUtf8(name) + ".png"));
  }
  return image;
}

QColor PixelAt(const QImage& image, QPoint at) {
  return image.rect().contains(at) ? image.pixelColor(at) : QColor();
}

bool Near(const QColor& a, const QColor& b, int tolerance) {
  return a.isValid() && b.isValid() && std::abs(a.red() - b.red()) <= tolerance &&
         std::abs(a.green() - b.green()) <= tolerance && std::abs(a.blue() - b.blue()) <= tolerance;
}

QRect InkBox(const QImage& image, const QRect& area, const QColor& background) {
  QRect box;
  const QRect inside = area & image.rect();
  for (int y = inside.top(); y <= inside.bottom(); ++y)
    for (int x = inside.left(); x <= inside.right(); ++x)
      if (!Near(image.pixelColor(x, y), background, 60)) box |= QRect(x, y, 1, 1);
  return box;
}

int CountNear(const QImage& image, const QRect& area, const QColor& colour) {
  int n = 0;
  const QRect inside = area & image.rect();
  for (int y = inside.top(); y <= inside.bottom(); ++y)
    for (int x = inside.left(); x <= inside.right(); ++x)
      if (Near(image.pixelColor(x, y), colour)) ++n;
  return n;
}

int InkRuns(const QImage& image, const QRect& area, const QColor& background) {
  int runs = 0;
  bool inRun = false;
  const QRect inside = area & image.rect();
  for (int x = inside.left(); x <= inside.right(); ++x) {
    const bool ink = !InkBox(image, QRect(x, inside.top(), 1, inside.height()), background).isEmpty();
    if (ink && !inRun) ++runs;
    inRun = ink;
  }
  return runs;
}

bool OnRealDisplay() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

}  // namespace nura::test
