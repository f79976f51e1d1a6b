// The link with the companion script editor: this program serves topic
// "command" under its own service name, and reaches the editor as a client
// of ("nurapad", "command"). The editor may ask for the executing line
// ("line"), pause the run in the debugger ("pause") or end the program
// ("break"). The link keeps no program alive.
#pragma once

#include <string>

namespace nura {

class TNuraEngine;

// Starts serving topic "command" for `engine` (once; later calls do nothing).
void StartEditorLink(TNuraEngine& engine);

// A macro from the editor: a command word, optionally a space and an
// argument.
void ExecuteEditorMacro(TNuraEngine& engine, const std::string& macro);

// "line": with no argument the line is shown ("実行ライン:" + N); with
// "nurapad" the editor is sent "row " + N. Any other argument does nothing.
void NotifyEditorRow(TNuraEngine& engine, const std::string& argument);

// Sends the editor "row " + the executing line, when it can be reached
// (the debugger's "エディタと同期").
void SendRowToEditor(TNuraEngine& engine);

}  // namespace nura
