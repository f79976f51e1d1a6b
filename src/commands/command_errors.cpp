#include "commands/command_errors.h"

#include <unordered_map>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/vocabulary.h"
#include "platform/sjis.h"

namespace nura {

const std::string& CommandNameOf(int id) {
  static const std::unordered_map<int, std::string> names = [] {
    std::unordered_map<int, std::string> map;
    for (const BuiltinCommand& command : BuiltinCommands()) map.emplace(command.id, command.name);
    return map;
  }();
  static const std::string none;
  const auto it = names.find(id);
  return it == names.end() ? none : it->second;
}

void RaiseScriptError(TNuraEngine& engine, const std::string& text) {
  throw ENura(engine.FormatErrorMessage(text));
}

void RaiseCommandError(TNuraEngine& engine, int id, const std::string& text) {
  RaiseScriptError(engine, "\"" + CommandNameOf(id) + "\"" + text);
}

void RaiseArgumentError(TNuraEngine& engine, int id, const std::string& detail) {
  static const std::string kWrong = SJ("命令の引数に誤りがあります。");
  RaiseCommandError(engine, id, kWrong + detail);
}

}  // namespace nura
