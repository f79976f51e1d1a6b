// Command handlers by dispatch id. Each command family registers its
// table of handlers (e.g. RegisterControlCommands()); the dispatcher looks
// the id up, so the engine needs no knowledge of the subsystems that own
// them. Handlers are written with the helpers of engine/command_api.h.
#pragma once

#include <span>
#include <vector>

#include "engine/command_ids.h"

namespace nura {

class TNuraEngine;

// A handler pops its bound arguments (last first), works, and sets the
// result. `id` tells handlers shared by several commands which one runs.
using CommandHandler = void (*)(TNuraEngine& engine, CommandId id);

// One row of a family's table: a command and the handler that runs it.
struct CommandEntry {
  CommandId id;
  CommandHandler handler;
};

// Forgets every handler.
void ClearCommandHandlers();
// Registers `handler` for `id`; a later registration replaces an earlier one.
void RegisterCommandHandler(CommandId id, CommandHandler handler);
// Registers every row of `table` in order, as RegisterCommandHandler does.
void RegisterCommandTable(std::span<const CommandEntry> table);
// The handler of the dispatch id `id` (a word's THashNode::id), or nullptr.
CommandHandler FindCommandHandler(int id);
// The ids that have a handler, ascending.
std::vector<CommandId> RegisteredCommandIds();

}  // namespace nura
