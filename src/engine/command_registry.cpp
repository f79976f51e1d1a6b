#include "engine/command_registry.h"

#include <unordered_map>

namespace nura {
namespace {

std::unordered_map<int, CommandHandler>& Handlers() {
  static std::unordered_map<int, CommandHandler> handlers;
  return handlers;
}

}  // namespace

void RegisterCommandHandler(int id, CommandHandler handler) { Handlers()[id] = handler; }

CommandHandler FindCommandHandler(int id) {
  auto it = Handlers().find(id);
  return it == Handlers().end() ? nullptr : it->second;
}

}  // namespace nura
