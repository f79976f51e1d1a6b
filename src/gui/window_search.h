// Top-level windows by their titles: this program's own windows and, on
// X11, every other program's (platform/desktop_windows.h). Finding one by
// its title, bringing it to the front, typing into it and taking its
// picture.
#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

namespace nura {

class TNuraEngine;

// A window of this program (`own`) or of another (`other`, an X window).
struct TFoundWindow {
  QPointer<QWidget> own;
  uint64_t other = 0;
  std::string title;  // Shift-JIS
  explicit operator bool() const { return own || other; }
};

// The visible top-level windows with a non-empty title, the topmost first.
std::vector<TFoundWindow> TitledWindows();

// The window whose title is `title`, else the first whose title begins with
// it, brought to the front; waits (letting events run) until it is the
// active window. An empty result when none has the title or it did not
// come to the front.
TFoundWindow ActivateWindowByTitle(TNuraEngine& engine, const std::string& title);

// Types a key string into another program's window that has the focus.
void SendKeysToOtherWindow(const std::string& keys);

// The client area of a window as it shows now.
QImage GrabClientArea(const TFoundWindow& window);

}  // namespace nura
