#include "engine/command_registry.h"

#include <algorithm>
#include <vector>

namespace nura {
namespace {

// Indexed by id: ids are small numbers, and every command run finds its
// handler here.
std::vector<CommandHandler>& Handlers() {
  static std::vector<CommandHandler> handlers;
  return handlers;
}

constexpr CommandId kAllIds[] = {
#define NURA_COMMAND(id, number) CommandId::id,
#include "engine/vocabulary_commands.inc"
};

}  // namespace

std::span<const CommandId> AllCommandIds() { return kAllIds; }

void ClearCommandHandlers() { Handlers().clear(); }

void RegisterCommandHandler(CommandId id, CommandHandler handler) {
  const size_t at = static_cast<size_t>(IdNumber(id));
  std::vector<CommandHandler>& handlers = Handlers();
  if (at >= handlers.size()) handlers.resize(at + 1);
  handlers[at] = handler;
}

void RegisterCommandTable(std::span<const CommandEntry> table) {
  std::vector<CommandHandler>& handlers = Handlers();
  size_t size = handlers.size();
  for (const CommandEntry& entry : table) size = std::max(size, static_cast<size_t>(IdNumber(entry.id)) + 1);
  handlers.resize(size);
  for (const CommandEntry& entry : table) handlers[static_cast<size_t>(IdNumber(entry.id))] = entry.handler;
}

CommandHandler FindCommandHandler(int id) {
  const std::vector<CommandHandler>& handlers = Handlers();
  return id >= 0 && static_cast<size_t>(id) < handlers.size() ? handlers[static_cast<size_t>(id)] : nullptr;
}

std::vector<CommandId> RegisteredCommandIds() {
  std::vector<CommandId> ids;
  const std::vector<CommandHandler>& handlers = Handlers();
  for (size_t id = 0; id < handlers.size(); ++id) {
    if (handlers[id]) ids.push_back(static_cast<CommandId>(id));
  }
  return ids;
}

}  // namespace nura
