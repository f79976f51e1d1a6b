// The control-flow commands (conditions, loops, jumps, returns, waits,
// includes, text runs) and the word commands that work on the interpreter
// state directly.
#pragma once

namespace nura {

void RegisterControlCommands();

}  // namespace nura
