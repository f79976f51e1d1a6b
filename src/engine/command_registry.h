// Command handlers by dispatch id. Each command family registers its
// handlers (e.g. RegisterControlCommands()); the dispatcher looks the id
// up, so the engine needs no knowledge of the subsystems that own them.
#pragma once

namespace nura {

class TNuraEngine;

// A handler pops its bound arguments (last first), works, and sets the
// result with engine.SetResult.
using CommandHandler = void (*)(TNuraEngine& engine, int id);

// Registers `handler` for `id`; a later registration replaces an earlier one.
void RegisterCommandHandler(int id, CommandHandler handler);
// The handler of `id`, or nullptr.
CommandHandler FindCommandHandler(int id);

}  // namespace nura
