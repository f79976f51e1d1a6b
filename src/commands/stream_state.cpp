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

THashNode* TWordMemo::FindInTable(const THash& words, std::string_view name) {
  if (words.ShapeGeneration() != shape_) {
    entries_.clear();
    shape_ = words.ShapeGeneration();
  }
  std::string text(name);
  THashNode* node = words.Find(text, false);
  if (entries_.size() < kWords) entries_.push_back({std::move(text), node});
  return node;
}

THashNode* FindStreamWord(TNuraEngine& engine, std::string_view name) {
  return StreamStateOf(engine).words.Find(WordTable(engine), name);
}

THashNode& VariableForResult(TNuraEngine& engine, std::string_view name) {
  if (name.empty()) return *ResultNode(engine);
  THashNode* node = FindStreamWord(engine, name);
  if (!node) return *AddVariable(engine, std::string(name), "", "s");
  if (node->isProtected || node->kind != kWordVariable) {
    throw ENura(FormatErrorMessage(engine, "\"" + node->name + SJ("\"は、読取専用です。")));
  }
  return *node;
}

bool SecurityLevelHigh(TNuraEngine& engine) {
  return ReadScriptSecurityLevel(engine) == kSecurityHigh;
}

namespace {

void MarkTextVariable(TNuraEngine& engine, THashNode& variable) {
  variable.SetAnnotation("s");
  if (&variable == ResultNode(engine).get()) SetResultKind(engine, "s");
}

}  // namespace

void SetTextVariable(TNuraEngine& engine, THashNode& variable, const std::string& value) {
  variable.SetValue(value);
  MarkTextVariable(engine, variable);
}

void SwapTextVariable(TNuraEngine& engine, THashNode& variable, std::string& value) {
  variable.MutableValue().swap(value);
  MarkTextVariable(engine, variable);
}

}  // namespace nura
