// Labels, subroutines and the call form name(arguments).
#include <cstring>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/scanners.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// True when the "*" at `star` begins its line (only blanks before it since
// the start of the text, a line break or a line marker's ":").
bool BeginsLine(const char* start, const char* star) {
  const char* p = star;
  while (p > start && (p[-1] == ' ' || p[-1] == '\t')) --p;
  return p == start || p[-1] == '\n' || p[-1] == '\r' || p[-1] == ':';
}

}  // namespace

void TNuraEngine::DefineLabels(const TextRef& text, const std::string& fileName) {
  TNuraBase& b = *base_;
  if (!text) return;
  const char* start = text->c_str();
  const char* p = start;
  while (*p) {
    if (*p == '"' || *p == '`') {
      p = SkipLiteral(p);
      continue;
    }
    if (*p != '*') {
      p += SjisCharLength(p);
      continue;
    }
    if (p[1] == '*') {
      p += 2;
      continue;
    }
    const char* star = p;
    const char* q = p + 1;
    const std::string name = ScanWord(q);
    p = q;
    if (name.empty() || !BeginsLine(start, star)) continue;
    if (*q != 0 && *q != '\r' && *q != '\n') continue;
    if (b.words.FindNode(name, false)) {
      b.cursor = TextPos(text, star);
      throw ENura(FormatErrorMessage(SJ("ラベル\"") + name +
                                     SJ("\"の定義に失敗しました。既に単語として使われています。")));
    }
    auto node = std::make_unique<THashNode>(name, true, kWordLabel, 0, fileName, "", "");
    node->SetPosition(TextPos(text, q));
    b.words.Add(std::move(node));
  }
}

void TNuraEngine::CallUserFunction(THashNode& node) {
  TNuraBase& b = *base_;
  if (!node.Pattern().empty()) {
    BindCommandArguments(node);
    // The texts leave the stack before any is expanded: a label that an
    // expansion runs must not find them there as its own statement's.
    std::vector<std::string> texts;
    for (char ch : node.Pattern()) {
      if (ch == '?') texts.push_back(b.args.Shift());
    }
    for (const std::string& text : texts) b.secondStack.Push(ExpandString(text));
  }
  EnterLabel(node);
}

void TNuraEngine::EnterLabel(const THashNode& node) {
  TNuraBase& b = *base_;
  TRunControl& frame = b.runControl.PushNew();
  frame.kind = kRunCall;
  frame.returnPos = std::move(b.cursor);
  frame.savedFileName = b.SavedFileName();
  b.SetFileName(node.Annotation());
  b.cursor = node.Position();
}

std::vector<std::string> TNuraEngine::SplitArgumentList(const std::string& list) {
  std::vector<std::string> out;
  std::string current;
  int depth = 0;
  const char* p = list.c_str();
  while (*p) {
    if (*p == '"' || *p == '`') {
      const char* end = p;
      end = [&] {
        const char quote = *end++;
        while (*end && *end != quote) {
          if (quote == '"' && *end == '\\' && end[1]) ++end;
          end += SjisCharLength(end);
        }
        return *end ? end + 1 : end;
      }();
      current.append(p, end);
      p = end;
      continue;
    }
    if (*p == '(') ++depth;
    if (*p == ')') --depth;
    if (*p == ',' && depth == 0) {
      out.push_back(current);
      current.clear();
      ++p;
      continue;
    }
    const int len = SjisCharLength(p);
    current.append(p, len);
    p += len;
  }
  out.push_back(current);
  return out;
}

bool TNuraEngine::CallWord(const std::string& name, std::string& result, bool push) {
  TNuraBase& b = *base_;
  NodePtr node = b.words.FindNode(name, true);
  if (!node || !IsCallableKind(node->kind)) {
    if (push) b.args.Push(name);
    result = name;
    return false;
  }
  const char*& c = b.cursor.p;
  if (!c || *c != '(') {
    throw ENura(FormatErrorMessage(SJ("関数\"") + name +
                                   SJ("\"の呼び出しで、引数の()は、すぐ後ろに書いてください。")));
  }
  const std::string list = ScanParenthesized(c);
  if (!TrimText(list).empty()) {
    for (const std::string& argument : SplitArgumentList(list))
      b.args.Push(MakeRawLiteral(ExpandString(TrimText(argument))));
  }
  NodePtr sore = ResultNode();
  const std::string savedValue = sore->Value(), savedKind = sore->Annotation();
  const bool savedLenient = b.lenientBinding;
  b.lenientBinding = true;
  auto finish = [&] {
    b.lenientBinding = savedLenient;
    NodePtr now = ResultNode();
    result = now->Value();
    resultKind_ = now->Annotation();
    now->SetValue(savedValue);
    now->SetAnnotation(savedKind);
  };
  try {
    if (node->kind == kWordLabel) {
      RunLabelAsFunction(*node);
    } else {
      ExecuteWord(*node);
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  if (push) b.args.Push(result);
  return true;
}

void TNuraEngine::RunLabelAsFunction(THashNode& node) {
  InNestedLevel([&] {
    base_->cursor.Reset();
    CallUserFunction(node);
    RunLoop();
  });
}

void TNuraEngine::JumpToLabel(const std::string& name) {
  TNuraBase& b = *base_;
  NodePtr node = b.words.FindNode(name, false);
  if (!node || node->kind != kWordLabel) {
    throw ENura(FormatErrorMessage(SJ("未定義のラベル\"") + name +
                                   SJ("\"に、ジャンプしようとしました。")));
  }
  b.cursor = node->Position();
  b.SetFileName(node->Annotation());
}

const char* TNuraEngine::FindLocalLabel(const std::string& block, const std::string& name) {
  const std::string needle = "*" + name + "\r";
  const char* start = block.c_str();
  for (size_t at = block.find(needle); at != std::string::npos; at = block.find(needle, at + 1)) {
    if (BeginsLine(start, start + at)) return start + at + 1 + name.size();
  }
  return nullptr;
}

}  // namespace nura
