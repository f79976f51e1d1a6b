// The top-level windows of every program on the X server: listed through
// the window manager's client list (or, without one, the root's mapped
// children), brought to the front, and typed into with the XTest
// extension. Where the session is not X11 (Wayland, offscreen) nothing is
// reachable and the window commands act on this program's own windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nura {

struct TDesktopWindow {
  uint64_t id;        // the X window
  std::string title;  // UTF-8
};

// Whether other programs' windows can be reached (an X11 session with
// XTest).
bool DesktopWindowsReachable();

// The top-level windows with a non-empty title, the topmost first.
std::vector<TDesktopWindow> DesktopWindows();

// Asks for `id` to become the active window: through the window manager,
// else raised and given the input focus.
void ActivateDesktopWindow(uint64_t id);

// The active window (the input focus without a window manager); 0 for
// none.
uint64_t ActiveDesktopWindow();

// Presses and releases a key with modifiers, written as xdotool's key
// sequences ("Tab", "shift+Tab", "ctrl+c"), for the focused window.
void SendDesktopKeySequence(const std::string& sequence);

// Types UTF-8 text into the focused window, also characters that no key
// of the keyboard's map carries.
void TypeDesktopText(const std::string& utf8);

}  // namespace nura
