#include "engine/engine.h"

#include "engine/command_api.h"

#include <charconv>
#include <cstdlib>

#include "engine/errors.h"
#include "engine/preprocess.h"
#include "engine/scanners.h"
#include "engine/security.h"
#include "platform/sjis.h"
#include "platform/vector_state.h"

namespace nura {

TNuraEngine::TNuraEngine() : base_(std::make_unique<TNuraBase>()) {}

TNuraEngine::~TNuraEngine() = default;

void TNuraEngine::SetHost(TEngineHost* host) { host_ = host ? host : &defaultHost_; }

// ---- start-up ----

void TNuraEngine::ResetForRun() {
  TNuraBase& b = *base_;
  ErrorLog().clear();
  b.cursor.Reset();
  b.line = 0;
  b.nextObjectX = b.nextObjectY = 10;
  b.words.Clear();
  b.args.Clear();
  b.runControl.ClearAll();
  b.conditionResult = -1;
  b.stopFlag = b.stopRequest = false;
  b.switchValue = kNoSwitchValue;
  b.errorLabel.reset();
  b.exitLabel.reset();
  b.errorResume.Reset();
  b.inErrorLabel = false;
  if (registration_) registration_(*this);
  b.CacheSystemNodes();
}

void TNuraEngine::LoadProgram(const std::string& source, const std::string& fileName) {
  TNuraBase& b = *base_;
  std::string text = source;
  b.SetFileName(fileName);
  PreprocessSource(text, [&](int line, const std::string& message) {
    b.cursor.Reset();
    b.line = line;
    return FormatErrorMessage(message);
  });
  TextRef kept = MakeText(std::move(text));
  b.includes.assign(1, kept);
  b.text = kept;
  DefineLabels(kept, fileName);
}

void TNuraEngine::PrepareRun(const std::string& source, const std::string& fileName) {
  // Setting up the window may have left the vector state dirty, which slows
  // the preprocessing of a long script.
  ClearUpperVectorState();
  ResetForRun();
  LoadProgram(source, fileName);
  if (base_->text->find(SJ("母艦浮上")) == std::string::npos) {
    host_->ShowMainWindow();
    host_->ProcessEvents();
  }
}

const std::string& TNuraEngine::ScriptFileName() const { return base_->ScriptFileName(); }

void TNuraEngine::Run() {
  base_->cursor = TextPos::StartOf(base_->text);
  RunLoop();
}

// ---- result ----

const NodePtr& TNuraEngine::AddResultNode() {
  static const std::string kSore = SJ("それ");
  base_->nodeResult = base_->words.AddNode(THashNode::CreateVariable(kSore, false, -1, ""));
  return base_->nodeResult;
}

void AssignKindText(std::string& slot, const char* kind) { slot = kind; }

void TNuraEngine::SetResult(const std::string& value, const std::string& kind) {
  THashNode* node = ResultNode().get();
  node->SetValue(value);
  node->SetAnnotation(kind);
  resultKind_ = kind;
}

void TNuraEngine::SetResult(const std::string& value, const char* kind) {
  THashNode* node = ResultNode().get();
  node->SetValue(value);
  node->SetAnnotation(kind);
  SetResultKind(kind);
}

void TNuraEngine::SetResult(std::string&& value, const char* kind) {
  THashNode* node = ResultNode().get();
  node->SetValue(std::move(value));
  node->SetAnnotation(kind);
  SetResultKind(kind);
}

// The handler API's results (engine/command_api.h), here beside the
// members they call.
void SetResult(TNuraEngine& engine, const std::string& value, const std::string& kind) {
  engine.SetResult(value, kind);
}
void SetResult(TNuraEngine& engine, const std::string& value, const char* kind) {
  engine.SetResult(value, kind);
}
void SetResult(TNuraEngine& engine, std::string&& value, const char* kind) {
  engine.SetResult(std::move(value), kind);
}
const NodePtr& ResultNode(TNuraEngine& engine) { return engine.ResultNode(); }
const std::string& ResultKind(TNuraEngine& engine) { return engine.ResultKind(); }
void SetResultKind(TNuraEngine& engine, const std::string& kind) { engine.SetResultKind(kind); }
void SetResultKind(TNuraEngine& engine, const char* kind) { engine.SetResultKind(kind); }

std::string TNuraEngine::SetHashResult(const THash& hash) {
  std::string text = hash.GetNameValueText();
  SetResult(text, "hs");
  return text;
}

// ---- errors ----

int TNuraEngine::CurrentLine() {
  TNuraBase& b = *base_;
  if (!b.cursor.p || !b.cursor.text) return b.line;
  b.line = LineAtCursor().Apply(b.line, CursorInTopBlock());
  return b.line;
}

const TNuraEngine::TLineAt& TNuraEngine::LineAtCursor() {
  TNuraBase& b = *base_;
  // What the text says of the position is read once per position.
  const TPositionLines* known = lineCache_.Find(b.cursor.text, b.cursor.p);
  if (known && known->at) return *known->at;
  TPositionLines lines = known ? *known : TPositionLines{};
  // Assigned rather than emplaced: clang does not count a nested struct with
  // member initializers as default-constructible inside its class.
  lines.at = TLineAt{};
  TLineAt& at = *lines.at;
  const char* p = b.cursor.p;
  while (*p && *p != '\r' && *p != '\n') p += (IsSjisLead(static_cast<unsigned char>(*p)) && p[1]) ? 2 : 1;
  at.breakFollows = *p != '\0';
  at.line = nura::CurrentLine(*b.cursor.text, b.cursor.p, TLineAt::kHeld);
  return *lineCache_.Store(b.cursor.text, b.cursor.p, std::move(lines))->at;
}

TNuraEngine::TLineEnd TNuraEngine::LineEndAtCursor() {
  TNuraBase& b = *base_;
  const TPositionLines* known = lineCache_.Find(b.cursor.text, b.cursor.p);
  if (known && known->end) return *known->end;
  return ReadLineEndAtCursor(known);
}

// Kept apart, so that the lookup above stays small.
[[gnu::noinline]] TNuraEngine::TLineEnd TNuraEngine::ReadLineEndAtCursor(const TPositionLines* known) {
  TNuraBase& b = *base_;
  const char* at = b.cursor.p;
  const TLineEnd end = ReadLineEnd(b.cursor.text ? b.cursor.text->c_str() : at, at);
  TPositionLines lines = known ? *known : TPositionLines{};
  lines.end = end;
  lineCache_.Store(b.cursor.text, at, lines);
  return end;
}

TNuraEngine::TLineEnd TNuraEngine::ReadLineEnd(const char* text, const char* at) {
  TLineEnd end;
  end.continues = LineEndsInComma(text, at);
  const char* p = at;
  end.markerLine = ReadLineMarker(p);
  end.markerLength = static_cast<uint32_t>(p - at);
  return end;
}

std::optional<TNuraEngine::TKeptLineEnd> TNuraEngine::ReadKeptLineEnd(const char* at, const char* from) const {
  const TNuraBase& b = *base_;
  const char* p = from;
  while (*p == ' ' || *p == '\t') ++p;
  if ((*p != '\r' && *p != '\n') || !b.cursor.text) return std::nullopt;
  const TLineEnd end = ReadLineEnd(b.cursor.text->c_str(), p);
  if (end.continues) return std::nullopt;
  return TKeptLineEnd{static_cast<size_t>(p - at), end};
}

void TNuraEngine::PassKeptLineEnd(const char* at, const TKeptLineEnd& kept) {
  const char* lineBreak = at + kept.offset;
  base_->cursor.p = lineBreak;
  PassLineEnd(lineBreak, kept.end);
}

// A block copy without a line break behind the cursor holds the line.
bool TNuraEngine::CursorInTopBlock() const {
  const TRunControl* top = base_->runControl.Top();
  return top && top->block == base_->cursor.text;
}

std::string TNuraEngine::FormatErrorMessage(const std::string& text) {
  return nura::FormatErrorMessage(base_->FileName(), CurrentLine(), text);
}

TImeMode TNuraEngine::GetDialogImeMode(int mode) {
  if (mode < 0) {
    static const std::string kName = SJ("ダイアログIMEの状態");
    mode = 0;
    if (const THashNode* node = base_->words.Find(kName, false)) {
      const std::string& v = node->Value();
      int n = 0;
      auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
      if (ec == std::errc() && end == v.data() + v.size()) mode = n;
    }
  }
  return ImeModeFromNumber(mode);
}

std::optional<ErrorChoice> TNuraEngine::ReportWarning(const std::string& text) {
  return nura::ReportWarning(base_->FileName(), CurrentLine(), text, base_->debugFlag);
}

int TNuraEngine::ConfirmFileOperation(const std::string& path, const std::string& message) {
  TSecurityContext context{base_->baseFolder, base_->scriptPath, base_->securityLevel,
                           base_->securityAnswer};
  return nura::ConfirmFileOperation(context, path, message);
}

}  // namespace nura
