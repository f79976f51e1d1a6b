#include "gui/window_search.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QThread>

#include "support/key_string.h"
#include "engine/command_api.h"
#include "platform/gui/desktop_windows.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// How often and how long activation looks whether the window came to the
// front.
constexpr int kActivationChecks = 512;
constexpr int kActivationPauseMs = 10;

// This program's visible top-level windows with a title.
std::vector<QWidget*> OwnWindows() {
  std::vector<QWidget*> windows;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible() && !widget->windowTitle().isEmpty()) windows.push_back(widget);
  }
  return windows;
}

QWidget* OwnWindowWithId(const std::vector<QWidget*>& own, uint64_t id) {
  for (QWidget* widget : own) {
    if (widget->internalWinId() == id) return widget;
  }
  return nullptr;
}

bool IsActive(const TFoundWindow& window) {
  if (window.own) return QApplication::activeWindow() == window.own;
  return ActiveDesktopWindow() == window.other;
}

void Activate(const TFoundWindow& window) {
  if (window.own) {
    window.own->raise();
    window.own->activateWindow();
  } else {
    ActivateDesktopWindow(window.other);
  }
}

// The virtual keys that type no character, by their X key names.
std::string XKeyName(uint8_t vk) {
  static const std::pair<uint8_t, const char*> kNames[] = {
      {0x03, "Break"},  {0x08, "BackSpace"}, {0x09, "Tab"},     {0x0C, "Clear"},   {0x0D, "Return"},
      {0x14, "Caps_Lock"}, {0x19, "Kanji"},  {0x1B, "Escape"},  {0x20, "space"},   {0x21, "Prior"},
      {0x22, "Next"},   {0x23, "End"},       {0x24, "Home"},    {0x25, "Left"},    {0x26, "Up"},
      {0x27, "Right"},  {0x28, "Down"},      {0x2C, "Print"},   {0x2D, "Insert"},  {0x2E, "Delete"},
      {0x2F, "Help"},   {0x90, "Num_Lock"},  {0x91, "Scroll_Lock"}};
  for (const auto& [code, name] : kNames) {
    if (code == vk) return name;
  }
  if (vk >= 0x70 && vk <= 0x7F) return "F" + std::to_string(vk - 0x70 + 1);
  if ((vk >= '0' && vk <= '9')) return std::string(1, static_cast<char>(vk));
  if (vk >= 'A' && vk <= 'Z') return std::string(1, static_cast<char>(vk - 'A' + 'a'));
  return "";
}

}  // namespace

std::vector<TFoundWindow> TitledWindows() {
  const std::vector<QWidget*> own = OwnWindows();
  std::vector<TFoundWindow> windows;
  if (!DesktopWindowsReachable()) {
    for (QWidget* widget : own) windows.push_back({widget, 0, QStringToSjis(widget->windowTitle())});
    return windows;
  }
  std::vector<QWidget*> unlisted = own;
  for (const TDesktopWindow& window : DesktopWindows()) {
    QWidget* mine = OwnWindowWithId(own, window.id);
    if (mine) windows.push_back({mine, 0, QStringToSjis(mine->windowTitle())});
    else windows.push_back({nullptr, window.id, Utf8ToSjis(window.title)});
    std::erase(unlisted, mine);
  }
  // Our windows that the window manager has not taken up yet.
  for (QWidget* widget : unlisted) windows.push_back({widget, 0, QStringToSjis(widget->windowTitle())});
  return windows;
}

TFoundWindow ActivateWindowByTitle(TNuraEngine& engine, const std::string& title) {
  if (title.empty()) return {};
  const std::vector<TFoundWindow> windows = TitledWindows();
  TFoundWindow found;
  for (const TFoundWindow& window : windows) {
    if (window.title == title) {
      found = window;
      break;
    }
  }
  for (size_t i = 0; !found && i < windows.size(); ++i) {
    if (windows[i].title.compare(0, title.size(), title) == 0) found = windows[i];
  }
  if (!found) return {};
  Activate(found);
  for (int check = 0; check < kActivationChecks; ++check) {
    if (IsActive(found)) return found;
    EngineHost(engine).ProcessEvents();
    if (found.own.isNull() && !found.other) return {};
    QThread::msleep(kActivationPauseMs);
  }
  return {};
}

void SendKeysToOtherWindow(const std::string& keys) {
  bool shift = false, control = false, alt = false;
  std::string lead;
  SendKeyString(keys, [&](const TKeyEvent& key) {
    if (key.kind == TKeyEvent::Char) {
      const std::string bytes = lead + static_cast<char>(key.code);
      lead.clear();
      if (bytes.size() == 1 && IsSjisLead(key.code)) lead = bytes;
      else TypeDesktopText(SjisToUtf8(bytes));
      return;
    }
    bool* modifier = key.code == kVkShift ? &shift : key.code == kVkControl ? &control : key.code == kVkMenu ? &alt : nullptr;
    if (modifier) {
      *modifier = key.kind == TKeyEvent::Press;
      return;
    }
    if (key.kind != TKeyEvent::Press) return;
    const char typed = TypedChar(key.code, shift);
    if (!control && !alt && typed && typed != '\r' && typed != ' ') {
      TypeDesktopText(std::string(1, typed));
      return;
    }
    const std::string name = XKeyName(key.code);
    if (name.empty()) return;
    SendDesktopKeySequence(std::string(control ? "ctrl+" : "") + (alt ? "alt+" : "") + (shift ? "shift+" : "") + name);
  });
}

QImage GrabClientArea(const TFoundWindow& window) {
  if (window.own) {
    auto* main = qobject_cast<QMainWindow*>(window.own.data());
    QWidget* client = main && main->centralWidget() ? main->centralWidget() : window.own.data();
    return client->grab().toImage();
  }
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->grabWindow(window.other).toImage() : QImage();
}

}  // namespace nura
