#include "commands/stream_state.h"

#include <filesystem>
#include <system_error>

#include "engine/command_api.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/security.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {

TStreamState& StreamStateOf(TNuraEngine& engine) { return FamilyState<TStreamState>(engine); }

THashNode& VariableForResult(TNuraEngine& engine, const std::string& name) {
  if (name.empty()) return *engine.ResultNode();
  THashNode* node = engine.Base().words.Find(name, false);
  if (!node) return *AddVariable(engine, name, "", "s");
  if (node->isProtected || node->kind != kWordVariable) {
    throw ENura(engine.FormatErrorMessage("\"" + node->name + SJ("\"は、読取専用です。")));
  }
  return *node;
}

bool SecurityLevelHigh(TNuraEngine& engine) {
  TNuraBase& base = engine.Base();
  ReadSecurityLevel(base.baseFolder, base.scriptPath, base.securityLevel);
  return base.securityLevel == kSecurityHigh;
}

void SetTextVariable(TNuraEngine& engine, THashNode& variable, const std::string& value) {
  variable.value = value;
  variable.annotation = "s";
  if (&variable == engine.ResultNode().get()) engine.SetResultKind("s");
}

}  // namespace nura
