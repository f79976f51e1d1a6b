#include "platform/gui/clipboard_image.h"

#include <QClipboard>
#include <QGuiApplication>

namespace nura {
namespace {

QImage& ProcessClipboardImage() {
  static QImage image;
  return image;
}

QClipboard* SystemClipboard() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard()
                                                                      : nullptr;
}

}  // namespace

QImage GetClipboardImage() {
  if (QClipboard* clipboard = SystemClipboard()) return clipboard->image();
  return ProcessClipboardImage();
}

void SetClipboardImage(const QImage& image) {
  if (QClipboard* clipboard = SystemClipboard()) {
    clipboard->setImage(image);
    return;
  }
  ProcessClipboardImage() = image;
}

}  // namespace nura
