#include "commands/stream_state.h"

#include <filesystem>
#include <system_error>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/security.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {

TStreamState& StreamStateOf(TNuraEngine& engine) {
  std::shared_ptr<TStreamState>& state = engine.Base().streamState;
  if (!state) state = std::make_shared<TStreamState>();
  return *state;
}

std::string WithCurrentFolder(const std::string& name) {
  if (name.empty() || name[0] == '/' || name[0] == '\\' || name.find(':') != std::string::npos)
    return name;
  std::error_code ec;
  std::string folder = NativePathToScript(std::filesystem::current_path(ec).string());
  if (ec) return name;
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder + name;
}

std::string PopWordName(TNuraEngine& engine) {
  std::string name = engine.Base().args.Pop();
  if (name.size() >= 2 && name.front() == '`' && name.back() == '`')
    name = TNuraEngine::RawLiteralToText(name);
  return name;
}

NodePtr VariableForResult(TNuraEngine& engine, const std::string& name) {
  if (name.empty()) return engine.ResultNode();
  NodePtr node = engine.Base().words.FindNode(name, false);
  if (!node) return engine.Base().AddVariable(name, "", "s");
  if (node->isProtected || node->kind != kWordVariable) {
    throw ENura(engine.FormatErrorMessage("\"" + node->name + SJ("\"は、読取専用です。")));
  }
  return node;
}

bool SecurityLevelHigh(TNuraEngine& engine) {
  TNuraBase& base = engine.Base();
  ReadSecurityLevel(base.baseFolder, base.scriptPath, base.securityLevel);
  return base.securityLevel == kSecurityHigh;
}

void SetTextVariable(THashNode& variable, const std::string& value) {
  variable.value = value;
  variable.annotation = "s";
}

}  // namespace nura
