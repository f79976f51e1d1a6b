// The window module, libnura_window.so beside the executable: Qt's GUI
// application, the main window and the command families that show or draw.
// With a display the program runs in it from the start; in console mode a
// script starts without it, and the first command or question that needs a
// window hands the running engine over to it.
#pragma once

namespace nura {
class TNuraEngine;
}

extern "C" {
// The whole program in a window; the exit status.
int NuraWindowMain(int argc, char** argv);
// Console mode: makes the application and the main window, which takes
// over `engine` (its ownership too) in the middle of its run; `shown`: the
// run has shown the main window.
void NuraTakeOverRun(nura::TNuraEngine* engine, bool shown, int* argc, char** argv);
// After the run that was taken over: the event loop until the program
// ends, unless the console host had closed already; the exit status. The
// window and the engine are gone afterwards.
int NuraWindowLoop(bool closed);
}

namespace nura {

inline constexpr char kWindowModule[] = "window";
using TWindowMain = int (*)(int, char**);
using TTakeOverRun = void (*)(TNuraEngine*, bool, int*, char**);
using TWindowLoop = int (*)(bool);

}  // namespace nura
