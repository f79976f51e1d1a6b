#include "platform/clipboard.h"

#include "platform/window_system.h"

namespace nura {
namespace {

std::string& ProcessClipboard() {
  static std::string text;
  return text;
}

}  // namespace

std::string GetClipboardText() {
  if (TWindowSystem* system = WindowSystem()) return system->ClipboardText();
  return ProcessClipboard();
}

void SetClipboardText(const std::string& sjis) {
  if (TWindowSystem* system = WindowSystem()) {
    system->SetClipboardText(sjis);
    return;
  }
  ProcessClipboard() = sjis;
}

}  // namespace nura
