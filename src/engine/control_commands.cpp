// The control-flow commands: conditions, loops, jumps, returns, waits,
// included files and text runs, and the small word commands that work on
// the interpreter state directly.
#include "engine/control_commands.h"

#include <chrono>
#include <cmath>

#include "engine/command_api.h"
#include "engine/conv_half.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluate.h"
#include "engine/packed_program.h"
#include "engine/preprocess.h"
#include "engine/scanners.h"
#include "engine/script_files.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

uint64_t TickCount() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// ---- conditions and loops ----

void CmdIf(TNuraEngine& e, CommandId) { e.RunIfStatement(); }

void CmdRepeat(TNuraEngine& e, CommandId) {
  TNuraBase& b = e.Base();
  const std::string toText = PopText(e);
  const std::string fromText = PopText(e);
  const std::string counter = TNuraEngine::RawLiteralToText(b.args.Pop());
  if (!TNuraEngine::IsNumberText(toText) || !TNuraEngine::IsNumberText(fromText))
    RaiseCommandError(e, CommandId::Repeat, SJ("には、数値を指定してください。"));
  const int32_t to = TNuraEngine::TextToInt32(toText);
  const int32_t from = TNuraEngine::TextToInt32(fromText);
  NodePtr var = b.words.FindNode(counter, false);
  if (var && var->kind != kWordVariable)
    RaiseScriptError(e, Quoted(counter) + SJ("の実行回数カウンターには、変数を指定してください。"));
  if (!var) {
    auto node = THashNode::CreateVariable(counter, false, 0, "");
    node->SetAnnotation("e");
    node->SetPosition(b.cursor);
    var = b.words.AddNode(std::move(node));
  }
  e.CheckWritable(*var);
  TRunControl frame;
  frame.kind = kRunCountedVar;
  e.CaptureArgument(frame);
  if (from > to) return;
  frame.counter = from;
  frame.limit = to;
  frame.loopVar = var;
  var->SetValue(std::to_string(from));
  e.EnterBlock(std::move(frame));
}

void CmdIterate(TNuraEngine& e, CommandId) {
  TNuraBase& b = e.Base();
  const std::string argument = b.args.Pop();
  std::string text;
  NodePtr node = b.words.FindNode(TNuraEngine::RawLiteralToText(argument), false);
  if (node && node->kind == kWordHash && node->Hash()) {
    text = node->Hash()->GetNamesText();
  } else if (node) {
    text = node->Value();
  } else {
    text = e.ExpandString(argument);
  }
  TRunControl frame;
  frame.kind = kRunItems;
  e.CaptureArgument(frame);
  auto items = std::make_shared<const std::vector<std::string>>(SplitLines(text));
  if (items->empty()) return;
  frame.counter = 1;
  frame.limit = static_cast<int32_t>(std::min<size_t>(items->size(), INT32_MAX));
  frame.items = items;
  SetTextResult(e, (*items)[0]);
  e.SetCountVariable(1, true);
  e.EnterBlock(std::move(frame));
}

void CmdWhile(TNuraEngine& e, CommandId) {
  TNuraBase& b = e.Base();
  const std::string raw = ConvertToHalf(b.args.Pop());
  TRunControl frame;
  frame.kind = kRunWhile;
  e.CaptureArgument(frame);
  if (raw.empty() || raw == "``") return;
  const std::string condition = e.TranslateConditionPhrase(TNuraEngine::RawLiteralToText(raw));
  if (TextToNumber(e.EvaluateExpression(condition)) == 0) return;
  frame.counter = 1;
  frame.limit = -1;
  frame.condition = condition;
  e.SetCountVariable(1, false);
  e.EnterBlock(std::move(frame));
}

// ---- jumps, exits and returns ----

bool IsLoopKind(uint8_t kind) {
  return kind == kRunCountedVar || kind == kRunCounted || kind == kRunItems || kind == kRunWhile;
}

bool IsBlockKind(uint8_t kind) {
  return kind == kRunIfThen || kind == kRunIfElse || kind == kRunSwitch;
}

void CmdJump(TNuraEngine& e, CommandId) {
  TNuraBase& b = e.Base();
  b.inErrorLabel = false;
  const std::string name = TNuraEngine::RawLiteralToText(b.args.Pop());
  TRunControl frame;
  while (b.runControl.Pop(frame)) {
    if (!frame.block) {
      b.runControl.Push(frame);
      break;
    }
    if (const char* at = TNuraEngine::FindLocalLabel(*frame.block, name)) {
      b.runControl.Push(frame);
      b.cursor = TextPos(frame.block, at);
      return;
    }
  }
  e.JumpToLabel(name);
}

void CmdBreak(TNuraEngine& e, CommandId) {
  TNuraBase& b = e.Base();
  std::vector<TRunControl> blocks;
  TRunControl frame;
  // Any number of conditional blocks may stand above the loop.
  while (b.runControl.Pop(frame)) {
    if (IsBlockKind(frame.kind)) {
      blocks.push_back(frame);
      continue;
    }
    if (IsLoopKind(frame.kind)) {
      b.cursor = frame.endPos;
    } else {
      b.cursor = frame.returnPos;
      b.RestoreFileName(frame.savedFileName);
    }
    return;
  }
  // Nothing to leave: the blocks stay as they were.
  for (auto it = blocks.rbegin(); it != blocks.rend(); ++it) b.runControl.Push(*it);
}

void CmdReturn(TNuraEngine& e, CommandId) {
  TNuraBase& b = e.Base();
  b.inErrorLabel = false;
  if (b.runControl.Count() == 0) {
    b.cursor.Reset();
    return;
  }
  // The frames are left from the top down to the call or event frame,
  // whose return position and file name are taken over before it goes.
  while (TRunControl* frame = b.runControl.Top()) {
    if (frame->kind == kRunCall || frame->kind == kRunEvent) {
      b.cursor = std::move(frame->returnPos);
      b.RestoreFileName(frame->savedFileName);
      b.runControl.RemoveTop();
      return;
    }
    b.runControl.RemoveTop();
  }
  RaiseScriptError(e, SJ("「戻る」べき場所がありません。"));
}

void CmdEnd(TNuraEngine& e, CommandId) {
  e.Base().runControl.Clear();
  e.Base().cursor.Reset();
  e.RequestClose();
}

void CmdIdle(TNuraEngine& e, CommandId) {
  e.Base().runControl.Clear();
  e.Base().cursor.Reset();
  e.Host().AfterIdle();
}

void CmdDebug(TNuraEngine& e, CommandId) {
  if (e.Host().ShowDebugger(e)) e.RequestClose();
}

void CmdWait(TNuraEngine& e, CommandId) {
  TNuraBase& b = e.Base();
  long double ms = PopNumber(e) * 1000;
  if (!(ms > 0)) ms = 0;
  if (ms > 1e12L) ms = 1e12L;
  const uint64_t target = TickCount() + static_cast<uint64_t>(ms);
  e.Host().ProcessEvents();
  while (TickCount() < target && !b.stopRequest) {
    const uint64_t left = target - TickCount();
    e.Host().WaitForEvents(static_cast<int>(std::min<uint64_t>(100, left)));
  }
}

// ---- calls and words ----

void CmdCall(TNuraEngine& e, CommandId) {
  TNuraBase& b = e.Base();
  std::string name = b.args.Pop();
  if (name.size() >= 2 && name.front() == '`' && name.back() == '`') name = name.substr(1, name.size() - 2);
  NodePtr node = b.words.FindNode(name, false);
  if (!node || node->kind != kWordLabel)
    RaiseScriptError(e, SJ("オブジェクト\"") + name + SJ("\"が特定できません。"));
  e.CallUserFunction(*node);
}

void CmdRename(TNuraEngine& e, CommandId) {
  TNuraBase& b = e.Base();
  // The "に" argument (the new name and pattern) lies on top of the "を"
  // argument (the existing word).
  std::string naming = TNuraEngine::RawLiteralToText(b.args.Pop());
  const std::string existing = TNuraEngine::RawLiteralToText(b.args.Pop());
  naming = TNuraEngine::RawLiteralToText(TrimText(naming));
  if (!naming.empty() && naming.back() == ';') naming.pop_back();
  NodePtr node = b.words.FindNode(existing, false);
  if (!node) node = b.words.FindNode(existing, true);  // commands are kept under their loose key
  if (!node) RaiseScriptError(e, SJ("変更元の命令が未定義です。"));
  naming = ConvertToHalf(naming);
  std::vector<std::string> items;
  std::string item;
  for (size_t i = 0; i <= naming.size(); ++i) {
    if (i == naming.size() || naming[i] == ',' || naming[i] == ' ') {
      if (!item.empty()) items.push_back(item);
      item.clear();
      continue;
    }
    const size_t len = IsSjisLead(static_cast<unsigned char>(naming[i])) && i + 1 < naming.size() ? 2 : 1;
    item.append(naming, i, len);
    i += len - 1;
  }
  size_t marks = 0;
  for (char ch : node->Pattern()) marks += ch == '?';
  if (items.size() != marks + 1)
    RaiseArgumentError(e, CommandId::Rename);
  auto copy = std::make_unique<THashNode>(*node);
  copy->name = items.back();
  items.pop_back();
  std::string pattern;
  for (const auto& p : items) pattern += (pattern.empty() ? "" : ",") + p;
  copy->SetPattern(pattern);
  b.words.Delete(node->name, false);
  b.words.Add(std::move(copy));
}

void CmdRefrain(TNuraEngine& e, CommandId) {
  const long double countValue = PopNumber(e);
  const std::string text = PopText(e);
  const long long count = countValue > 0 ? static_cast<long long>(std::min<long double>(countValue, 1e18L)) : 0;
  if (count > 0 && text.size() > kMaxGrowthBytes / static_cast<unsigned long long>(count)) throw ERangeError();
  std::string out;
  out.reserve(text.size() * count);
  for (long long i = 0; i < count; ++i) out += text;
  SetTextResult(e, out);
}

void CmdLineCount(TNuraEngine& e, CommandId) {
  TNuraBase& b = e.Base();
  const std::string name = TNuraEngine::RawLiteralToText(b.args.Pop());
  NodePtr node = b.words.FindNode(name, false);
  if (!node) RaiseScriptError(e, SJ("変数\"") + name + SJ("\"が見つかりません。"));
  e.SetResult(std::to_string(SplitLines(node->Value()).size()), "e");
}

void CmdTrim(TNuraEngine& e, CommandId) { e.SetResult(TrimWideSpace(PopText(e)), "s"); }

void CmdReserve(TNuraEngine& e, CommandId) {
  TNuraBase& b = e.Base();
  const long double size = PopNumber(e);
  const std::string name = TNuraEngine::RawLiteralToText(b.args.Pop());
  if (!(size >= 0) || size > static_cast<long double>(kMaxGrowthBytes)) throw ERangeError();
  NodePtr node = b.words.FindNode(name, false);
  if (!node) node = b.AddVariable(name, "", "s");
  e.CheckWritable(*node);
  node->MutableValue().assign(static_cast<size_t>(size), '\0');
}

// ---- nested runs ----

void CmdInclude(TNuraEngine& e, CommandId) {
  TNuraBase& b = e.Base();
  const std::string name = PopText(e);
  // A file packed into the program's container comes first.
  std::string path = ExtractPackedFile(e, name);
  if (path.empty()) path = e.ResolveFilePath(name);
  std::string text, error;
  if (!ReadScriptFile(path, name, text, error))
    RaiseScriptError(e, error.empty() ? SJ("ファイル\"") + name + SJ("\"が、ありません。") : error);
  if (static_cast<int>(b.includes.size()) >= TNuraBase::kIncludeSlots) throw ERangeError();
  PreprocessSource(text, name);
  TextRef kept = MakeText(std::move(text));
  b.includes.push_back(kept);
  e.DefineLabels(kept, name);
  e.RunNested(TextPos::StartOf(kept), name);
}

void CmdRunText(TNuraEngine& e, CommandId) {
  TNuraBase& b = e.Base();
  std::string text = PopText(e);
  const std::string name =
      b.FileName() + SJ("の") + std::to_string(e.CurrentLine()) + SJ("行目のぬらせら");
  PreprocessSource(text, name);
  e.RunNested(TextPos::StartOf(MakeText(std::move(text))), name);
}

}  // namespace

constexpr CommandEntry kControlCommands[] = {
    {CommandId::End, CmdEnd},
    {CommandId::Return, CmdReturn},
    {CommandId::Jump, CmdJump},
    {CommandId::Call, CmdCall},
    {CommandId::Idle, CmdIdle},
    {CommandId::Wait, CmdWait},
    {CommandId::Refrain, CmdRefrain},
    {CommandId::Rename, CmdRename},
    {CommandId::Include, CmdInclude},
    {CommandId::Repeat, CmdRepeat},
    {CommandId::Debug, CmdDebug},
    {CommandId::LineCount, CmdLineCount},
    {CommandId::Iterate, CmdIterate},
    {CommandId::Trim, CmdTrim},
    {CommandId::Reserve, CmdReserve},
    {CommandId::RunText, CmdRunText},
    {CommandId::If, CmdIf},
    {CommandId::Break, CmdBreak},
    {CommandId::While, CmdWhile},
};

void RegisterControlCommands() { RegisterCommandTable(kControlCommands); }

}  // namespace nura
