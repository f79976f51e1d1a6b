#include "engine/vocabulary.h"

#include "engine/command_ids.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// A line of vocabulary_commands.inc: an id (without a name), which the
// names after it belong to, or a name.
struct BuiltinCommandSource {
  CommandId id;
  const char* name;
  const char* pattern;
};

constexpr bool kProtected = true;
constexpr bool kOpen = false;

struct BuiltinVariableSource {
  const char* name;
  const char* value;
  bool isProtected;
  const char* annotation;
  VariableDefault source;
};

constexpr BuiltinCommandSource kCommands[] = {
#define NURA_COMMAND(id, number) {CommandId::id, nullptr, nullptr},
#define NURA_NAME(name, pattern) {CommandId{}, name, pattern},
#include "engine/vocabulary_commands.inc"
};

using enum VariableDefault;
constexpr BuiltinVariableSource kVariables[] = {
#include "engine/vocabulary_variables.inc"
};

}  // namespace

const std::vector<BuiltinCommand>& BuiltinCommands() {
  static const std::vector<BuiltinCommand> commands = [] {
    std::vector<BuiltinCommand> result;
    result.reserve(std::size(kCommands));
    CommandId id{};
    for (const BuiltinCommandSource& c : kCommands) {
      if (!c.name) {
        id = c.id;
        continue;
      }
      result.push_back({Utf8ToSjis(c.name), Utf8ToSjis(c.pattern), IdNumber(id)});
    }
    return result;
  }();
  return commands;
}

const std::vector<BuiltinVariable>& BuiltinVariables() {
  static const std::vector<BuiltinVariable> variables = [] {
    std::vector<BuiltinVariable> result;
    result.reserve(std::size(kVariables));
    for (const BuiltinVariableSource& v : kVariables) {
      result.push_back({Utf8ToSjis(v.name), Utf8ToSjis(v.value), v.isProtected,
                        Utf8ToSjis(v.annotation), v.source});
    }
    return result;
  }();
  return variables;
}

std::string ProgramVersionText() { return "1.0.0"; }

std::string ProgramLastUpdateText() { return "2026/12/08"; }

}  // namespace nura
