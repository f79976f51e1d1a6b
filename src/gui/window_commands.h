// The commands that work on this program's own windows: activation and
// keystrokes by window title, the window list, stay-on-top and stacking
// order, the states of the main window and of forms, the application
// icon, window messages to objects, the mouse cursor and the beep.
#pragma once

#include <cstdint>
#include <string>

namespace nura {

void RegisterWindowStateCommands();

// The fields of a window-message text "message,wparam,lparam" (folded to
// half width first): message and wparam are integers, decimal or "$" and
// hexadecimal (0 when not a number); lparam is 0 when empty, a number when
// it starts with "$" or a digit, else the name of a variable.
struct TWindowMessage {
  int64_t message = 0;
  int64_t wparam = 0;
  int64_t lparam = 0;
  std::string lparamVariable;  // empty when lparam is a number
};
TWindowMessage ParseWindowMessage(const std::string& text);

}  // namespace nura
