#include "engine/command_registry.h"

#include <algorithm>
#include <unordered_map>

namespace nura {
namespace {

std::unordered_map<int, CommandHandler>& Handlers() {
  static std::unordered_map<int, CommandHandler> handlers;
  return handlers;
}

constexpr CommandId kAllIds[] = {
#define NURA_COMMAND_ID(name, id) CommandId::name,
#include "engine/command_ids.inc"
#undef NURA_COMMAND_ID
};

}  // namespace

std::span<const CommandId> AllCommandIds() { return kAllIds; }

void RegisterCommandHandler(CommandId id, CommandHandler handler) {
  Handlers()[IdNumber(id)] = handler;
}

CommandHandler FindCommandHandler(int id) {
  auto it = Handlers().find(id);
  return it == Handlers().end() ? nullptr : it->second;
}

std::vector<CommandId> RegisteredCommandIds() {
  std::vector<CommandId> ids;
  for (const auto& [id, handler] : Handlers()) {
    if (handler) ids.push_back(static_cast<CommandId>(id));
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

}  // namespace nura
