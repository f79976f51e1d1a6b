#include "platform/clipboard.h"
#include "platform/clipboard_image.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/sjis.h"

namespace nura {
namespace {

std::string& ProcessClipboard() {
  static std::string text;
  return text;
}

QImage& ProcessClipboardImage() {
  static QImage image;
  return image;
}

QClipboard* SystemClipboard() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard()
                                                                      : nullptr;
}

}  // namespace

std::string GetClipboardText() {
  if (QClipboard* clipboard = SystemClipboard()) return QStringToSjis(clipboard->text());
  return ProcessClipboard();
}

void SetClipboardText(const std::string& sjis) {
  if (QClipboard* clipboard = SystemClipboard()) {
    clipboard->setText(SjisToQString(sjis));
    return;
  }
  ProcessClipboard() = sjis;
}

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
