// Whether a window manager places the program's windows: without one (a
// bare X server, a kiosk session, the offscreen platform) nobody answers a
// request to maximize, and the program sets the geometry itself.
#pragma once

namespace nura {

// True where a window manager runs: on X when one announces itself on the
// root window, always on Wayland (the compositor), never offscreen.
bool WindowManagerRuns();

}  // namespace nura
