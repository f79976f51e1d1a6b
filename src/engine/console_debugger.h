// The debugger's texts, and the debugger on the terminal (console mode).
#pragma once

#include <string>

namespace nura {

class TNuraEngine;

// The program text as the debugger shows it: "0:" and the preprocessed
// text, whose lines each begin with their number and ":".
std::string DebugProgramText(TNuraEngine& engine);
// Line `index` (from 0) of a text, without its line end.
std::string LineOfText(const std::string& text, int index);

// The current line and the three choices through Dialogs(); end of input
// closes it, and the run goes on as it was. True when the user ends the
// program.
bool RunConsoleDebugger(TNuraEngine& engine);

}  // namespace nura
