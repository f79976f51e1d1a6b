#include "engine/engine.h"

#include <charconv>
#include <cstdlib>

#include "engine/errors.h"
#include "engine/preprocess.h"
#include "engine/security.h"
#include "platform/sjis.h"

namespace nura {

TNuraEngine::TNuraEngine() : base_(std::make_unique<TNuraBase>()) {}

TNuraEngine::~TNuraEngine() = default;

void TNuraEngine::SetHost(TEngineHost* host) { host_ = host ? host : &defaultHost_; }

// ---- result ----

NodePtr TNuraEngine::ResultNode() {
  static const std::string kSore = SJ("それ");
  NodePtr node = base_->words.FindNode(kSore, false);
  if (!node) node = base_->words.AddNode(THashNode::CreateVariable(kSore, false, -1, ""));
  return node;
}

void TNuraEngine::SetResult(const std::string& value, const std::string& kind) {
  NodePtr node = ResultNode();
  node->value = value;
  node->annotation = kind;
  resultKind_ = kind;
}

std::string TNuraEngine::SetHashResult(const THash& hash) {
  std::string text = hash.GetNameValueText();
  SetResult(text, "hs");
  return text;
}

// ---- errors ----

int TNuraEngine::CurrentLine() {
  const TextPos& cursor = base_->cursor;
  if (!cursor.p || !cursor.text) return base_->line;
  base_->line = nura::CurrentLine(*cursor.text, cursor.p, base_->line);
  return base_->line;
}

std::string TNuraEngine::FormatErrorMessage(const std::string& text) {
  return nura::FormatErrorMessage(base_->fileName, CurrentLine(), text);
}

TImeMode TNuraEngine::GetDialogImeMode(int mode) {
  if (mode < 0) {
    static const std::string kName = SJ("ダイアログIMEの状態");
    mode = 0;
    if (const THashNode* node = base_->words.Find(kName, false)) {
      const std::string& v = node->value;
      int n = 0;
      auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
      if (ec == std::errc() && end == v.data() + v.size()) mode = n;
    }
  }
  return ImeModeFromNumber(mode);
}

std::optional<ErrorChoice> TNuraEngine::ReportWarning(const std::string& text) {
  return nura::ReportWarning(base_->fileName, CurrentLine(), text, base_->debugFlag);
}

int TNuraEngine::ConfirmFileOperation(const std::string& path, const std::string& message) {
  TSecurityContext context{base_->baseFolder, base_->scriptPath, base_->securityLevel,
                           base_->securityAnswer};
  return nura::ConfirmFileOperation(context, path, message);
}

}  // namespace nura
