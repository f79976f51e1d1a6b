#include "engine/engine.h"

#include <cstdlib>

#include "engine/errors.h"
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
  const char* p = base_->cursor.p;
  if (!p) return base_->line;
  while (*p && *p != '\r' && *p != '\n') ++p;
  while (*p == '\r' || *p == '\n') ++p;
  const char* digits = p;
  int value = 0;
  while (*p >= '0' && *p <= '9') {
    if (value > 100000000) return base_->line;
    value = value * 10 + (*p - '0');
    ++p;
  }
  if (p == digits || *p != ':') return base_->line;
  base_->line = value;
  return value;
}

std::string TNuraEngine::FormatErrorMessage(const std::string& text) {
  const std::string& path = base_->fileName;
  // The file name without folders; "\" counts only outside two-byte characters.
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsSjisLead(c) && i + 1 < path.size()) {
      ++i;
    } else if (c == '\\' || c == '/') {
      start = i + 1;
    }
  }
  static const std::string kHead = SJ("[エラー] ");
  static const std::string kLine = SJ("行目): ");
  return kHead + path.substr(start) + "(" + std::to_string(CurrentLine()) + kLine + text;
}

}  // namespace nura
