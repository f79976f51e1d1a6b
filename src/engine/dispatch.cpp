// The command dispatcher and the argument helpers that every handler uses.
#include "engine/dispatch.h"

#include <utility>

#include "engine/binding.h"
#include "engine/command_api.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {

namespace {

// The argument is expanded first; a text (a literal such as 「1+2」) is then
// evaluated as an expression. A number stays as it is, so that "1E16" is
// not read again.
void CmdCalculate(TNuraEngine& engine, CommandId) {
  const std::string text = PopText(engine);
  if (engine.ResultKind() == "e") {
    engine.SetResult(text, "e");
    return;
  }
  const std::string value = engine.EvaluateExpression(text);
  engine.SetResult(value, engine.ResultKind());
}

}  // namespace

constexpr CommandEntry kExpressionCommands[] = {
    {CommandId::Calculate, CmdCalculate},
};

void RegisterExpressionCommands() { RegisterCommandTable(kExpressionCommands); }

void TNuraEngine::BindCommandArguments(THashNode& node) {
  TStack& args = base_->args;
  if (std::exchange(boundFor_, nullptr) == &node) return;  // pushed bound (kept_commands.cpp)
  base_->implicitSubject = false;
  if (node.Pattern().empty() && args.Empty()) return;  // nothing to bind
  std::vector<std::string> items = args.TakeAll();
  try {
    base_->implicitSubject = BindArguments(items, node.name, node.Pattern(), base_->lenientBinding);
  } catch (const EBinding& e) {
    args.PutAll(std::move(items));
    throw ENura(FormatErrorMessage(e.what()));
  }
  args.PutAll(std::move(items));
}

void TNuraEngine::DispatchCommand(THashNode& node) {
  BindCommandArguments(node);
  const auto id = static_cast<CommandId>(node.id);
  if (id == CommandId::Then || id == CommandId::Else) return;
  if (id == CommandId::Condition) {
    throw ENura(FormatErrorMessage(SJ("条件文は、「もし～ならば」と対で使わなければなりません。")));
  }
  const CommandHandler handler = FindCommandHandler(node.id);
  if (!handler) {
    throw ENura(FormatErrorMessage("\"" + node.name + SJ("\":ぬらせら命令のリンク切れ。作者へ報告を！")));
  }
  // The node is not touched from here on: the handler may run code that
  // removes it (a kept command statement relies on this).
  handler(*this, id);
}

CommandHandler TNuraEngine::PlainHandlerOf(const THashNode& node) {
  const auto id = static_cast<CommandId>(node.id);
  if (id == CommandId::Then || id == CommandId::Else || id == CommandId::Condition) return nullptr;
  return FindCommandHandler(node.id);
}

std::string TNuraEngine::PopArgumentText() {
  if (base_->args.Empty()) return "";
  return ExpandString(base_->args.Pop());
}

long double TNuraEngine::PopArgumentNumber() { return TextToNumber(PopArgumentText()); }

NodePtr TNuraEngine::FindObjectWord(bool create) {
  const std::string name = PopRawWord(*this);
  if (NodePtr node = base_->words.FindNode(name, false)) return node;
  if (!create || name.empty()) {
    throw ENura(FormatErrorMessage(SJ("オブジェクト\"") + name + SJ("\"が特定できません。")));
  }
  return base_->AddVariable(name, "", "");
}

}  // namespace nura
