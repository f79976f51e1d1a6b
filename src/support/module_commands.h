// Commands whose code lives in a program module (platform/program_module.h).
// The program registers a stand-in handler for each; the first call loads
// the module, whose entry point registers the module's own handlers in
// place of the stand-ins, and runs the one now registered for the command.
#pragma once

#include "engine/command_ids.h"
#include "engine/command_registry.h"

namespace nura {

class TNuraEngine;

struct TModuleCommands {
  const char* module;   // "NAME" of libnura_NAME.so
  const char* entry;    // extern "C" void ENTRY(): registers the handlers
  const char* failure;  // the error's head when the module cannot be loaded (UTF-8)
};

// Runs command `id` of `commands`; `standIn` is the handler that calls this.
void RunModuleCommand(TNuraEngine& engine, CommandId id, CommandHandler standIn, const TModuleCommands& commands);

}  // namespace nura
