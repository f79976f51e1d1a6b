#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/sjis.h"

namespace nura {
namespace {

std::string& ProcessClipboard() {
  static std::string text;
  return text;
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

}  // namespace nura
