#include "commands/string_command_support.h"

#include "support/number_functions.h"
#include "engine/command_api.h"
#include "platform/sjis.h"

namespace nura::string_cmd {

bool TVariableArgument::IsResultWord() const {
  static const std::string kResult = SJ("それ");
  return raw == kResult;
}

bool TVariableArgument::CanWriteBack() const {
  if (!node || raw.empty() || raw[0] == '"' || raw[0] == '`') return false;
  return !IsResultWord();
}

void TVariableArgument::WriteBack(const std::string& rest) const {
  if (CanWriteBack()) node->SetValue(rest);
}

TVariableArgument PopVariableArgument(TNuraEngine& engine) {
  TVariableArgument arg;
  arg.raw = PopRawArgument(engine);
  arg.node = FindWord(engine, arg.raw);
  if (arg.node && arg.node->kind != kWordVariable) arg.node = nullptr;  // commands, labels, objects
  arg.value = arg.node ? arg.node->Value() : ExpandString(engine, arg.raw);
  return arg;
}

}  // namespace nura::string_cmd
