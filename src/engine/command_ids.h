// The dispatch ids of the built-in commands, each under one name
// (vocabulary_commands.inc, where each id is followed by its command names).
// Code names a command by CommandId::Say, never by its number; the word
// table keeps the number in THashNode::id.
#pragma once

#include <span>

namespace nura {

enum class CommandId : int {
#define NURA_COMMAND(id, number) id = number,
#include "engine/vocabulary_commands.inc"
};

// The number of `id` as the word table stores it.
constexpr int IdNumber(CommandId id) { return static_cast<int>(id); }

// True for an id the dispatcher reads itself and no handler runs
// (NURA_DISPATCHER_COMMAND: "ならば", "違えば", "なら").
constexpr bool IsDispatcherCommand(CommandId id) {
  switch (id) {
#define NURA_DISPATCHER_COMMAND(id, number) case CommandId::id:
#include "engine/vocabulary_commands.inc"
      return true;
    default:
      return false;
  }
}

// True for an id whose handler runs under no command name
// (NURA_UNNAMED_COMMAND).
constexpr bool IsUnnamedCommand(CommandId id) {
  switch (id) {
#define NURA_UNNAMED_COMMAND(id, number) case CommandId::id:
#include "engine/vocabulary_commands.inc"
      return true;
    default:
      return false;
  }
}

// Every named id in ascending order.
std::span<const CommandId> AllCommandIds();

}  // namespace nura
