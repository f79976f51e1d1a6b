#include "engine/command_api.h"

#include <mutex>
#include <unordered_map>

#include "engine/errors.h"
#include "engine/number_format.h"
#include "engine/vocabulary.h"
#include "platform/sjis.h"

namespace nura {

std::string PopText(TNuraEngine& engine) { return engine.PopArgumentText(); }

long double PopNumber(TNuraEngine& engine) { return engine.PopArgumentNumber(); }

int32_t PopInteger(TNuraEngine& engine) { return TNuraEngine::TextToInt32(PopText(engine)); }

std::string PopRawArgument(TNuraEngine& engine) { return engine.Base().args.Pop(); }

std::string PopRawWord(TNuraEngine& engine) {
  std::string name = PopRawArgument(engine);
  if (name.size() >= 2 && name.front() == '`' && name.back() == '`')
    name = TNuraEngine::RawLiteralToText(name);
  return name;
}

NodePtr PopObject(TNuraEngine& engine, bool create) { return engine.FindObjectWord(create); }

bool SubjectLeftOut(TNuraEngine& engine) { return engine.Base().implicitSubject; }

size_t FamilyStateSlot(std::type_index type) {
  static std::mutex guard;
  static std::unordered_map<std::type_index, size_t> given;
  const std::lock_guard<std::mutex> lock(guard);
  return given.emplace(type, given.size()).first->second;
}

NodePtr FindWord(TNuraEngine& engine, const std::string& name) {
  return engine.Base().words.FindNode(name, false);
}

std::string WordValue(TNuraEngine& engine, const std::string& name) {
  return engine.Base().words.FindValue(name, false);
}

NodePtr AddVariable(TNuraEngine& engine, const std::string& name, const std::string& value,
                    const std::string& annotation) {
  return engine.Base().AddVariable(name, value, annotation);
}

void SetTextResult(TNuraEngine& engine, const std::string& text) { engine.SetResult(text, "s"); }

void SetNumberResult(TNuraEngine& engine, long double value) {
  engine.SetResult(FormatGeneral(value), "e");
}

void SetIntegerResult(TNuraEngine& engine, int64_t value) {
  engine.SetResult(std::to_string(value), "e");
}

void SetValueOnly(TNuraEngine& engine, const std::string& value) {
  const NodePtr node = engine.ResultNode();
  node->value = value;
  engine.SetResultKind(node->annotation);
}

const std::string& CommandNameOf(CommandId id) {
  static const std::unordered_map<int, std::string> names = [] {
    std::unordered_map<int, std::string> map;
    for (const BuiltinCommand& command : BuiltinCommands()) map.emplace(command.id, command.name);
    return map;
  }();
  static const std::string none;
  const auto it = names.find(IdNumber(id));
  return it == names.end() ? none : it->second;
}

void RaiseScriptError(TNuraEngine& engine, const std::string& text) {
  throw ENura(engine.FormatErrorMessage(text));
}

void RaiseCommandError(TNuraEngine& engine, CommandId id, const std::string& text) {
  RaiseScriptError(engine, "\"" + CommandNameOf(id) + "\"" + text);
}

void RaiseArgumentError(TNuraEngine& engine, CommandId id, const std::string& detail) {
  static const std::string kWrong = SJ("命令の引数に誤りがあります。");
  RaiseCommandError(engine, id, kWrong + detail);
}

}  // namespace nura
