// Console mode: without a display the program talks over the terminal.
#pragma once

namespace nura {

// Before the application object exists: chooses Qt's offscreen platform
// when neither DISPLAY nor WAYLAND_DISPLAY is set.
void ChooseQtPlatform();

// Before the application object exists: true when the chosen platform is
// offscreen or minimal.
bool WillBeConsoleMode();

// After the application object exists: true when the platform is offscreen
// or minimal, so dialogs use the terminal.
bool IsConsoleMode();

}  // namespace nura
