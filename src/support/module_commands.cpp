#include "support/module_commands.h"

#include <string>

#include "engine/command_api.h"
#include "platform/sjis.h"
#include "platform/program_module.h"

namespace nura {

void RunModuleCommand(TNuraEngine& engine, CommandId id, CommandHandler standIn, const TModuleCommands& commands) {
  const int number = IdNumber(id);
  if (FindCommandHandler(number) == standIn) {
    std::string error;
    const auto entry = reinterpret_cast<void (*)()>(ProgramModuleSymbol(commands.module, commands.entry, error));
    if (!entry) RaiseScriptError(engine, SJ(commands.failure) + "(" + error + ")");
    entry();
  }
  const CommandHandler handler = FindCommandHandler(number);
  if (!handler || handler == standIn) {
    RaiseScriptError(engine, SJ(commands.failure) + "(" + commands.module + ")");
  }
  handler(engine, id);
}

}  // namespace nura
