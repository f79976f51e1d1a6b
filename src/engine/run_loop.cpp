// The run loop: executes statements while there is a cursor, closes blocks
// at the end of their copied text, guards against runaway nesting and
// stalls, and routes every error to the run's error handling.
#include <atomic>
#include <cstring>

#include "engine/errors.h"
#include "engine/engine.h"
#include "engine/evaluate.h"
#include "engine/number_format.h"
#include "engine/preprocess.h"
#include "engine/scanners.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"
#include "platform/vector_state.h"

namespace nura {
namespace {

// Every open block holds a copy of its body, so blocks nested inside each
// other hold copies of copies. The bytes held by live copies are bounded:
// beyond the bound the nesting is reported as runaway, before memory runs
// out.
constexpr size_t kMaxLiveBlockBytes = size_t{64} << 20;
std::atomic<size_t> liveBlockBytes{0};

// A block copy counted while it lives; nil when it would pass the bound.
TextRef MakeBlockText(std::string text) {
  const size_t size = text.size() + 1;
  if (liveBlockBytes.load() + size > kMaxLiveBlockBytes) return nullptr;
  liveBlockBytes += size;
  return TextRef(new std::string(std::move(text)), [size](const std::string* s) {
    liveBlockBytes -= size;
    delete s;
  });
}

}  // namespace

void TNuraEngine::EnterBlock(TRunControl&& frame) {
  if (!base_->cursor.p) return;  // the run ended while the block was read
  base_->cursor = TextPos::StartOf(frame.block);
  base_->runControl.Push(std::move(frame));
}

void TNuraEngine::SetCountVariable(int32_t count, bool asNumber) {
  const NodePtr& node = base_->SystemNode(&TNuraBase::nodeCount);
  if (!node) return;
  node->SetWhole(count);
  if (asNumber) node->SetAnnotation("e");
}

void TNuraEngine::RequestClose() {
  if (!host_->CloseMainWindow()) return;
  base_->stopRequest = true;
  base_->cursor.Reset();
}

std::string TNuraEngine::RunawayMessage() {
  return FormatErrorMessage(SJ("実行が無限ループしている可能性があるので終了します。"));
}

void TNuraEngine::RunLoop() {
  TNuraBase& b = *base_;
  static const std::string kStall = SJ("特定できないシステムエラーです(ToT)");
  while (b.cursor.p) {
    // A statement step that leaves the cursor where it was and opens no
    // frame makes no progress.
    const char* previous = nullptr;
    int previousFrames = 0;
    while (b.cursor.p && !b.stopFlag) {
      if (*b.cursor.p == 0) break;
      const char* statementStart = b.cursor.p;
      try {
        if (b.runControl.Count() > kMaxFrames) throw ENura(RunawayMessage());
        if (b.stopRequest) return;
        const int frames = b.runControl.Count();
        if (b.cursor.p == previous && frames <= previousFrames) throw ENura(FormatErrorMessage(kStall));
        previous = b.cursor.p;
        previousFrames = frames;
        // A command may have called code that left the vector state dirty.
        ClearUpperVectorState();
        ExecuteStatement();
      } catch (const EInvalidOp& e) {
        if (!TrimText(ErrorLog()).empty()) ErrorLog() += "\r\n";
        ErrorLog() += FormatErrorMessage(SJ("プログラムで不正な操作がありました。"));
        RecoverFromError(e, statementStart);
      } catch (const std::exception& e) {
        RecoverFromError(e, statementStart);
      }
    }
    if (b.stopFlag || b.stopRequest || !b.cursor.p) return;
    // End of the text or block copy: close frames until one goes on.
    try {
      do {
        CheckRunControl();
        PassBreakAtCursor();
      } while (b.cursor.p && *b.cursor.p == 0 && b.runControl.Count() > 0);
    } catch (const std::exception& e) {
      RecoverFromError(e, nullptr);
    }
    if (!b.cursor.p || *b.cursor.p == 0) return;
  }
}

// Where a frame put the cursor (the start of its block again, the end of
// its statement) nothing is pending: a line break there is passed at once,
// as the statement step would pass it.
void TNuraEngine::PassBreakAtCursor() {
  TNuraBase& b = *base_;
  const char* at = b.cursor.p;
  if (at && (*at == '\r' || *at == '\n') && b.args.Empty()) EndOfLine();
}

void TNuraEngine::RecoverFromError(const std::exception& e, const char* statementStart) {
  TNuraBase& b = *base_;
  const TextPos before = b.cursor;
  const NodePtr label = b.errorLabel;
  HandleRunError(e);
  b.args.Clear();
  if (label && b.errorLabel == label && label->kind == kWordLabel &&
      b.cursor.p == label->Position().p && before.p) {
    // "エラーから復帰" goes on with the statement after the failing one.
    const TextPos target = b.cursor;
    const int line = b.line;
    b.cursor = before;
    if (b.cursor.p == statementStart || !AtStatementStart()) SkipToNextStatement();
    b.errorResume = b.cursor;
    b.cursor = target;
    b.line = line;
    return;
  }
  if (!b.cursor.p || b.stopRequest || b.cursor.p != before.p) return;
  // The run goes on with the next statement: never at the failing one.
  if (b.cursor.p == statementStart || !AtStatementStart()) SkipToNextStatement();
}

bool TNuraEngine::AtStatementStart() const {
  const TNuraBase& b = *base_;
  const char* p = b.cursor.p;
  if (!*p) return true;
  const char* start = b.cursor.text ? b.cursor.text->c_str() : p;
  while (p > start && (p[-1] == ' ' || p[-1] == '\t')) --p;
  return p == start || p[-1] == ':' || p[-1] == ';';
}

void TNuraEngine::SkipToNextStatement() {
  const char*& c = base_->cursor.p;
  SkipBlanks(c);
  while (*c && *c != '\r' && *c != '\n') {
    if (*c == '"' || *c == '`') {
      c = SkipLiteral(c);
    } else if (*c == ';') {
      ++c;
      return;
    } else {
      c += SjisCharLength(c);
    }
  }
  if (*c) base_->line = ReadLineMarker(c);
}

void TNuraEngine::HandleRunError(const std::exception& e) {
  TNuraBase& b = *base_;
  const std::string message = e.what();
  if (const NodePtr& node = b.SystemNode(&TNuraBase::nodeErrorMessage)) node->SetValue(message);
  if (b.errorLabel && b.errorLabel->kind == kWordLabel && !b.inErrorLabel) {
    b.inErrorLabel = true;
    b.errorResume = b.cursor;
    b.cursor = b.errorLabel->Position();
    b.SetFileName(b.errorLabel->Annotation());
    return;
  }
  if (!b.warnOnError) return;
  if (!dynamic_cast<const ENura*>(&e)) {
    // Errors of the run-time's own checks enter the log here.
    ErrorLog() += FormatErrorMessage(message) + "\r\n";
    if (TrimText(ErrorLog()) == TrimText(FormatErrorMessage(message)))
      ErrorLog() += SJ("特定できないシステムエラーです(ToT)") + "\r\n";
  }
  switch (Dialogs().ShowErrorDialog(ErrorLog())) {
    case ErrorChoice::Continue:
      return;
    case ErrorChoice::Debugger:
      if (host_->ShowDebugger(*this)) RequestClose();
      return;
    case ErrorChoice::End:
      b.stopRequest = true;
      b.cursor.Reset();
      host_->CloseMainWindow();
      return;
  }
}

bool TNuraEngine::RestartLoop(int index) {
  TNuraBase& b = *base_;
  TRunControl* frame = b.runControl.At(index);
  switch (frame->kind) {
    case kRunCountedVar:
      if (frame->counter >= frame->limit) return false;
      ++frame->counter;
      if (frame->loopVar) frame->loopVar->SetWhole(frame->counter);
      break;
    case kRunCounted:
      if (frame->counter >= frame->limit) return false;
      ++frame->counter;
      SetCountVariable(frame->counter, false);
      break;
    case kRunItems:
      if (!frame->items || frame->counter >= static_cast<int32_t>(frame->items->size())) return false;
      ++frame->counter;
      SetResult((*frame->items)[frame->counter - 1], "s");
      SetCountVariable(frame->counter, true);
      break;
    case kRunWhile: {
      const std::string condition = frame->condition;
      const bool holds = TextToNumber(EvaluateExpression(condition)) != 0;
      // The condition may have run code that pushed frames (an event
      // entered during a wait): the loop frame goes above them again.
      frame = b.runControl.RaiseToTop(index);
      if (!holds) return false;
      if (frame->counter == INT32_MAX) throw ERangeError();
      ++frame->counter;
      SetCountVariable(frame->counter, false);
      break;
    }
    default:
      return false;
  }
  if (!b.cursor.p) {
    b.runControl.RemoveTop();  // the run ended meanwhile
    return true;
  }
  // Back to the start of the body, which is mostly the text the cursor is in.
  if (b.cursor.text != frame->block) b.cursor.text = frame->block;
  b.cursor.p = frame->block ? frame->block->c_str() : nullptr;
  return true;
}

void TNuraEngine::CheckRunControl() {
  TNuraBase& b = *base_;
  const TRunControl* top = b.runControl.Top();
  if (!top) return;
  // A loop that goes on keeps its frame on the stack and counts in place.
  const bool block = top->kind == kRunIfThen || top->kind == kRunIfElse || top->kind == kRunSwitch;
  bool popped = false;
  try {
    if (!block) {
      while (RestartLoop(b.runControl.Count() - 1)) {
        if (!RunLoopBodyAtOnce()) return;
      }
    }
    // The frame leaves the stack; its positions move out of it first.
    TRunControl& frame = *b.runControl.Top();
    const uint8_t kind = frame.kind;
    switch (kind) {
      case kRunIfThen:
      case kRunIfElse:
      case kRunSwitch:
      case kRunCountedVar:
      case kRunCounted:
      case kRunItems:
      case kRunWhile:
        b.cursor = std::move(frame.endPos);
        break;
      case kRunCall:
      case kRunEvent:
        b.cursor = std::move(frame.returnPos);
        b.RestoreFileName(frame.savedFileName);
        break;
      default:
        break;
    }
    b.runControl.RemoveTop();
    popped = true;
    if (kind > kRunWhile || kind == kRunInvalid) {
      throw ENura(FormatErrorMessage(SJ("特定できないシステムエラーです(ToT)\"CheckRunControl\"で未定義の構文があります。")));
    }
  } catch (const std::exception& e) {
    if (!popped) b.runControl.RemoveTop();
    throw ENura(FormatErrorMessage(SJ("実行制御でエラー。") + e.what() + SJ(".制御スタック：") +
                                   std::to_string(b.runControl.Count())));
  }
}

bool TNuraEngine::RunLoopBodyAtOnce() {
  // A body that is one statement which runs where it stands
  // (RunAloneInBlock), between line breaks or not, has run its round when
  // it opened no frame. A body is kept and compiled in its first rounds,
  // so it is tried a few times before it is given up.
  constexpr uint8_t kMaxDeclined = 4;
  TNuraBase& b = *base_;
  TRunControl* top = b.runControl.Top();
  if (!top || top->bodyDeclined >= kMaxDeclined || !top->block || b.cursor.text != top->block ||
      b.cursor.p != top->block->c_str() || b.stopFlag || b.stopRequest) {
    return false;
  }
  PassBreakAtCursor();  // as the run loop passes it at the body's start
  if (!b.cursor.p || b.stopRequest) return false;
  const int frames = b.runControl.Count();
  const char* end = top->block->c_str() + top->block->size();
  if (!RunAloneInBlock(top->block, b.cursor.p, 0, TAloneEnd::kLoopBody)) {
    ++top->bodyDeclined;
    return false;
  }
  return b.runControl.Count() == frames && b.cursor.p == end;
}

void TNuraEngine::CaptureArgument(TRunControl& frame) { ReadArgumentBlock(&frame); }

void TNuraEngine::ReadArgumentBlock(TRunControl* frame) {
  TNuraBase& b = *base_;
  if (!b.cursor.p) return;
  const char* start = nullptr;
  TLineSteps lines;
  TextRef block = ReadBlock(start, lines);
  if (!frame) return;
  // Conditional and switch blocks close at their end position alone; only
  // loops keep where they came from (続ける reads the file name).
  if (frame->kind != kRunIfThen && frame->kind != kRunIfElse && frame->kind != kRunSwitch) {
    frame->savedFileName = b.SavedFileName();
    frame->returnPos = TextPos(b.cursor.text, *start == '(' ? start + 1 : start);
  }
  frame->block = std::move(block);
  frame->endPos = b.cursor;
}

TextRef TNuraEngine::ReadBlock(const char*& start, TLineSteps& lines) {
  TNuraBase& b = *base_;
  const char*& c = b.cursor.p;
  // Errors inside the copy report the statement's line.
  if (b.cursor.text) {
    const TLineAt& at = LineAtCursor();
    lines.Position(at);
    b.line = at.Apply(b.line, CursorInTopBlock());
  }
  SkipBlanks(c);
  if (*c == '\r' || *c == '\n') {
    b.line = ReadLineMarker(c);
    lines.Marker(b.line);
    SkipBlanks(c);
  }
  start = c;
  TextRef block = *c == '(' ? CaptureGroup() : MakeBlockText(ReadArgumentText());
  if (!block) throw ENura(RunawayMessage());
  return block;
}

TextRef TNuraEngine::CaptureGroup() {
  TNuraBase& b = *base_;
  const char*& c = b.cursor.p;
  const char* at = c;
  if (const TCapturedBlock* cached = blockCache_.Find(b.cursor.text, at)) {
    c = at + cached->length;
    return cached->block;
  }
  TextRef block = MakeBlockText(ScanParenthesized(c));
  if (!block) return nullptr;
  blockCache_.Store(b.cursor.text, at, TCapturedBlock{block, static_cast<size_t>(c - at)});
  return block;
}

void TNuraEngine::RunIfStatementWith(TPositionLink<TCachedCondition>* link) {
  TNuraBase& b = *base_;
  if (!b.cursor.p) return;
  SkipSeparators(b.cursor.p);  // "もし、Aが5ならば"
  const TCachedCondition* kept = nullptr;
  const bool holds = EvaluateCondition(&kept, link);
  if (!b.cursor.p) return;
  const int result = holds ? 1 : 0;
  if (!kept) {
    b.conditionResult = result;
    RunIfBlock(true);
    return;
  }
  // The compiled condition ran no code: its entry still stands.
  if (!kept->ifTail) {
    KeepIfTail(*kept, result);
    return;
  }
  const TIfTail& tail = *kept->ifTail;
  b.cursor.p += tail.length;
  const char* end = b.cursor.p;
  const std::optional<TKeptLineEnd> lineEnd = tail.lineEnd;  // the entry may go while a block runs
  b.line = tail.lines.Apply(b.line, CursorInTopBlock());
  EnterIfBlock(tail, result);
  // No block was entered, so no code ran: the line break behind is passed
  // at once, as the next statement step would pass it.
  if (b.cursor.p == end && lineEnd && b.args.Empty()) PassKeptLineEnd(end, *lineEnd);
}

bool TNuraEngine::RunIfAloneInBlock(const TextRef& block, const TKeptStatement& kept, const char* at, int depth,
                                    TAloneEnd ending) {
  // Deep chains go through frames, as the statements would.
  constexpr int kMaxDecided = 32;
  TNuraBase& b = *base_;
  if (depth >= kMaxDecided) return false;
  // The statement as the loop would read it: the kept "もし" at the block's
  // start (ExecuteStatement, RunKeptBlockWord), its condition behind
  // (RunIfStatement), its blocks up to the block's end.
  if (!kept.node || !IsPlainIfCommand(*kept.node)) return false;
  const char* p = at + kept.wordLength;
  SkipBlanks(p);
  if (*p == '=' || *p == '&') return false;
  SkipSeparators(p);
  const uint64_t shape = b.words.ShapeGeneration();
  const TCachedCondition* condition = conditionCache_.Follow(kept.condition, shape);
  if (!condition) {
    condition = conditionCache_.Find(block, p, shape);
    if (condition) kept.condition = conditionCache_.LinkTo(condition, shape);
  }
  if (!condition || !condition->compiled || !condition->ifTail) return false;
  const TIfTail& tail = *condition->ifTail;
  const char* end = p + condition->length + tail.length;
  const char* rest = end;
  SkipSeparators(rest);
  int64_t whole = 0;
  if (!EndsAlone(rest, end, tail.lineEnd, ending) || !condition->compiled->EvaluateWhole(whole)) return false;
  b.implicitSubject = false;
  SetResultKind("e");
  // The statement would run in the block's frame, on top; in a loop's body
  // a block it opens closes at its end, and its line break is passed when
  // it opened none.
  b.line = tail.lines.Apply(b.line, true);
  const std::optional<TKeptLineEnd> lineEnd = tail.lineEnd;  // the entry may go while a block runs
  if (ending == TAloneEnd::kLoopBody) b.cursor.p = end;
  EnterIfBlock(tail, whole == 1 ? 1 : 0, depth + 1);
  if (ending == TAloneEnd::kLoopBody && b.cursor.p == end) PassAloneEnd(rest, end, lineEnd);
  return true;
}

void TNuraEngine::KeepIfTail(const TCachedCondition& kept, int result) {
  TIfTail tail = ReadIfTail(true);
  if (tail.lines.Complete()) {
    if (base_->cursor.p) tail.lineEnd = ReadKeptLineEnd(base_->cursor.p, base_->cursor.p);
    kept.ifTail = tail;
  }
  EnterIfBlock(tail, result);
}

void TNuraEngine::RunIfBlock(bool wordPresent) {
  const int result = base_->conditionResult;
  if (!base_->cursor.p) return;
  const TIfTail tail = ReadIfTail(wordPresent);
  EnterIfBlock(tail, result);
}

TNuraEngine::TIfTail TNuraEngine::ReadIfTail(bool wordPresent) {
  static const std::string kThenLong = SJ("ならば"), kThen = SJ("なら"), kElse = SJ("違えば"),
                           kElseLong = SJ("でなければ"), kIf = SJ("もし");
  TNuraBase& b = *base_;
  const char*& c = b.cursor.p;
  const char* const from = c;
  TIfTail tail;
  auto startsWith = [&](const std::string& w) { return std::strncmp(c, w.c_str(), w.size()) == 0; };
  auto lineBreak = [&] {
    b.line = ReadLineMarker(c);
    tail.lines.Marker(b.line);
  };
  auto skipBreaks = [&] {
    for (;;) {
      SkipBlanks(c);
      if (*c != '\r' && *c != '\n') return;
      lineBreak();
    }
  };
  SkipBlanks(c);
  if (*c == '\r' || *c == '\n') lineBreak();
  SkipBlanks(c);
  // Both blocks are read (with their errors); only the chosen one runs.
  const char* start = nullptr;
  if (!wordPresent || startsWith(kThen)) {
    if (wordPresent) c += startsWith(kThenLong) ? kThenLong.size() : kThen.size();
    tail.thenBlock = ReadBlock(start, tail.lines);
    SkipBlanks(c);
    if (*c == ';') ++c;
    skipBreaks();
  }
  if (startsWith(kElse) || startsWith(kElseLong)) {
    c += startsWith(kElse) ? kElse.size() : kElseLong.size();
    if (startsWith(kIf)) {
      throw ENura(FormatErrorMessage(kIf + SJ("を多重構造にするときは、()で範囲を括ってください。")));
    }
    tail.elseBlock = ReadBlock(start, tail.lines);
  }
  tail.length = static_cast<size_t>(c - from);
  return tail;
}

void TNuraEngine::EnterIfBlock(const TIfTail& tail, int result, int depth) {
  TNuraBase& b = *base_;
  b.conditionResult = -1;
  const TextRef* block = result == 1 ? &tail.thenBlock : result == 0 ? &tail.elseBlock : nullptr;
  TPositionLink<TKeptStatement>* link = result == 1 ? &tail.thenStatement : &tail.elseStatement;
  if (!block || !*block || !b.cursor.p ||
      RunAloneInBlock(*block, (*block)->c_str(), depth, TAloneEnd::kBlockEnd, link)) {
    return;
  }
  // The frame closes where the statement ends: the cursor's place moves
  // into it, the cursor to the block's start.
  TRunControl& frame = b.runControl.PushNew();
  frame.kind = result == 1 ? kRunIfThen : kRunIfElse;
  frame.block = *block;
  frame.endPos = std::move(b.cursor);
  b.cursor.text = *block;
  b.cursor.p = (*block)->c_str();
}

void TNuraEngine::InNestedLevel(const std::function<void()>& body) {
  TNuraBase& b = *base_;
  if (nestDepth_ >= kMaxNestedRuns) throw ENura(RunawayMessage());
  const TextPos savedCursor = b.cursor;
  const std::string* savedFile = b.SavedFileName();
  ++nestDepth_;
  b.runControl.BeginNested();
  auto restore = [&] {
    b.runControl.EndNested();
    --nestDepth_;
    b.cursor = savedCursor;
    b.RestoreFileName(savedFile);
  };
  try {
    body();
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

void TNuraEngine::RunNested(const TextPos& start, const std::string& fileName) {
  InNestedLevel([&] {
    base_->cursor = start;
    base_->SetFileName(fileName);
    RunLoop();
  });
}

void TNuraEngine::StartCountedLoop(int count) {
  TRunControl frame;
  frame.kind = kRunCounted;
  CaptureArgument(frame);
  if (count <= 0) return;
  frame.counter = 1;
  frame.limit = count;
  SetCountVariable(1, false);
  EnterBlock(std::move(frame));
}

void TNuraEngine::RunEventCode(const TextPos& code, const std::string& fileName) {
  TNuraBase& b = *base_;
  if (!code) return;
  const bool idle = !RunActive();
  PushEventFrame(code, fileName);
  if (!idle) return;
  if (nestDepth_ >= kMaxNestedRuns) {
    // Events that re-enter from waits inside event code stop here.
    TRunControl frame;
    b.runControl.Pop(frame);
    b.cursor = frame.returnPos;
    b.RestoreFileName(frame.savedFileName);
    return;
  }
  ++nestDepth_;
  try {
    RunLoop();
  } catch (...) {
    --nestDepth_;
    throw;
  }
  --nestDepth_;
}

void TNuraEngine::PushEventFrame(const TextPos& code, const std::string& fileName) {
  TNuraBase& b = *base_;
  TRunControl frame;
  frame.kind = kRunEvent;
  frame.returnPos = b.cursor;
  frame.savedFileName = b.SavedFileName();
  b.runControl.Push(frame);
  b.cursor = code;
  b.SetFileName(fileName);
}

void TNuraEngine::RunCommEvent(const TextPos& label, const std::string& fileName) {
  if (!label) return;
  if (RunActive()) {
    PushEventFrame(label, fileName);
  } else {
    RunNested(label, fileName);
  }
}

void TNuraEngine::RunTimerTarget(const TextPos& target) {
  TNuraBase& b = *base_;
  if (!target) return;
  if (RunActive()) {
    // A run is active: the timer's code runs next, then the run goes on.
    TRunControl frame;
    frame.kind = kRunIfThen;
    frame.returnPos = b.cursor;
    frame.endPos = b.cursor;
    frame.savedFileName = b.SavedFileName();
    b.runControl.Push(frame);
    b.cursor = target;
    return;
  }
  RunNested(target, b.FileName());
}

}  // namespace nura
