// Console mode: without a display the program talks over the terminal.
#pragma once

namespace nura {

// Before the application object exists: takes Qt's option "-platform NAME"
// out of the arguments (as the application object would) into
// QT_QPA_PLATFORM, so that the mode is known before Qt is loaded.
void TakePlatformOption(int& argc, char** argv);

// Before the application object exists: chooses Qt's offscreen platform
// when neither DISPLAY nor WAYLAND_DISPLAY is set.
void ChooseQtPlatform();

// Before the application object exists: true when the chosen platform is
// offscreen or minimal.
bool WillBeConsoleMode();

// True when the platform is (or will be) offscreen or minimal, so dialogs
// use the terminal; a console script may never make the application object.
bool IsConsoleMode();

}  // namespace nura
