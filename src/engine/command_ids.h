// The dispatch ids of the built-in commands, each under one name
// (command_ids.inc). Code names a command by CommandId::Say, never by its
// number; the word table keeps the number in THashNode::id.
#pragma once

#include <span>

namespace nura {

enum class CommandId : int {
#define NURA_COMMAND_ID(name, id) name = id,
#include "engine/command_ids.inc"
#undef NURA_COMMAND_ID
};

// The number of `id` as the word table stores it.
constexpr int IdNumber(CommandId id) { return static_cast<int>(id); }

// Every named id in ascending order.
std::span<const CommandId> AllCommandIds();

}  // namespace nura
