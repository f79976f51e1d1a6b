// The program a run starts with: the one packed behind the executable,
// the "-runtime" program, the script of the command line, or the default
// script beside the executable, read once at start-up.
#pragma once

#include <string>

namespace nura {

class TNuraEngine;
struct TCommandLine;

// Decides which program runs and reads it into `source`, in this order: a
// program packed behind the executable (unless "-run" comes first), then,
// after the switches "-debug", "-linestop", "-security" and "-resource"
// have been taken, the "-runtime" program, the command line's script, the
// default script (FindDefaultScript). A script read from a file makes its
// folder the current folder and the base folder. The loaded program's name
// is the state's script file (TNuraBase::SetScriptFile, engine.ScriptFileName());
// it stays empty when there is none to run, and why has been shown through
// Dialogs().
void LoadStartProgram(TNuraEngine& engine, const TCommandLine& commandLine, std::string& source);

// The first run of the program that LoadStartProgram read into `source`:
// prepares it (TNuraEngine::PrepareRun). False when there is none, or when
// it could not be prepared and the error has been shown: the host closes.
bool PrepareStartRun(TNuraEngine& engine, const std::string& source);
// Runs it from its start; an error that escapes the run is shown.
void RunStartProgram(TNuraEngine& engine);

}  // namespace nura
