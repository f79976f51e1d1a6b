#include "commands/stream_state.h"

#include <filesystem>
#include <system_error>

#include "engine/command_api.h"
#include "engine/errors.h"
#include "engine/security.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {

TStreamState& StreamStateOf(TNuraEngine& engine) { return FamilyState<TStreamState>(engine); }

THashNode* TWordMemo::Find(const THash& words, const std::string& name) {
  if (words.ShapeGeneration() != shape_) {
    entries_.clear();
    shape_ = words.ShapeGeneration();
  }
  for (const TEntry& entry : entries_)
    if (entry.name == name) return entry.node;
  THashNode* node = words.Find(name, false);
  if (entries_.size() < kWords) entries_.push_back({name, node});
  return node;
}

THashNode* FindStreamWord(TNuraEngine& engine, const std::string& name) {
  return StreamStateOf(engine).words.Find(WordTable(engine), name);
}

THashNode& VariableForResult(TNuraEngine& engine, const std::string& name) {
  if (name.empty()) return *ResultNode(engine);
  THashNode* node = FindStreamWord(engine, name);
  if (!node) return *AddVariable(engine, name, "", "s");
  if (node->isProtected || node->kind != kWordVariable) {
    throw ENura(FormatErrorMessage(engine, "\"" + node->name + SJ("\"は、読取専用です。")));
  }
  return *node;
}

bool SecurityLevelHigh(TNuraEngine& engine) {
  return ReadScriptSecurityLevel(engine) == kSecurityHigh;
}

void SetTextVariable(TNuraEngine& engine, THashNode& variable, const std::string& value) {
  variable.value = value;
  variable.SetAnnotation("s");
  if (&variable == ResultNode(engine).get()) SetResultKind(engine, "s");
}

}  // namespace nura
