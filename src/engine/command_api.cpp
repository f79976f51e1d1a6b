#include "engine/command_api.h"

#include <mutex>
#include <unordered_map>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/security.h"
#include "engine/number_format.h"
#include "engine/vocabulary.h"
#include "platform/sjis.h"

namespace nura {

std::string PopText(TNuraEngine& engine) { return engine.PopArgumentText(); }

long double PopNumber(TNuraEngine& engine) { return engine.PopArgumentNumber(); }

int32_t PopInteger(TNuraEngine& engine) { return TNuraEngine::TextToInt32(PopText(engine)); }

std::string PopRawArgument(TNuraEngine& engine) { return engine.Base().args.Pop(); }

namespace {

// A word the script wrote in backquotes, which stand for no part of it.
bool InBackquotes(const std::string& raw) { return raw.size() >= 2 && raw.front() == '`' && raw.back() == '`'; }

}  // namespace

std::string PopRawWord(TNuraEngine& engine) {
  std::string name = PopRawArgument(engine);
  if (InBackquotes(name)) name = TNuraEngine::RawLiteralToText(name);
  return name;
}

std::string_view PeekRawWord(TNuraEngine& engine, std::string& unquoted) {
  const TStack& args = engine.Base().args;
  if (args.Empty()) return {};
  const std::string& raw = args.Items().back();
  if (!InBackquotes(raw)) return raw;
  unquoted = TNuraEngine::RawLiteralToText(raw);
  return unquoted;
}

void DropArgument(TNuraEngine& engine) {
  TStack& args = engine.Base().args;
  if (!args.Empty()) args.Drop();
}

void PopRawWord(TNuraEngine& engine, std::string& name) {
  name.assign(PeekRawWord(engine, name));  // `name` may hold the view's text itself
  DropArgument(engine);
}

NodePtr PopObject(TNuraEngine& engine, bool create) { return engine.FindObjectWord(create); }

bool SubjectLeftOut(TNuraEngine& engine) { return engine.Base().implicitSubject; }

int ArgumentCount(TNuraEngine& engine) { return engine.Base().args.Count(); }

size_t FamilyStateSlot(std::type_index type) {
  static std::mutex guard;
  static std::unordered_map<std::type_index, size_t> given;
  const std::lock_guard<std::mutex> lock(guard);
  return given.emplace(type, given.size()).first->second;
}

NodePtr FindWord(TNuraEngine& engine, const std::string& name) {
  return engine.Base().words.FindNode(name, false);
}

std::string WordValue(TNuraEngine& engine, const std::string& name) {
  return engine.Base().words.FindValue(name, false);
}

NodePtr AddVariable(TNuraEngine& engine, const std::string& name, const std::string& value,
                    const std::string& annotation) {
  return engine.Base().AddVariable(name, value, annotation);
}

std::vector<std::shared_ptr<void>>& FamilyStates(TNuraEngine& engine) { return engine.Base().familyState; }

NodePtr AddWord(TNuraEngine& engine, std::unique_ptr<THashNode> node) {
  return engine.Base().words.AddNode(std::move(node));
}

int DeleteWord(TNuraEngine& engine, const std::string& name, bool loose) {
  return engine.Base().words.Delete(name, loose);
}

void AssignWord(TNuraEngine& engine, THashNode& target, const THashNode& source) {
  engine.Base().words.AssignNode(target, source);
}

const THash& WordTable(TNuraEngine& engine) { return engine.Base().words; }

const NodePtr& LastObjectWord(TNuraEngine& engine) { return engine.Base().nodeLastObject; }

void CheckWritable(TNuraEngine& engine, const THashNode& node) { engine.CheckWritable(node); }

std::string ReadWordAt(TNuraEngine& engine, const char*& p) { return engine.ReadWordAt(p); }

// ---- script objects and placement ----

TObjList& ObjectList(TNuraEngine& engine) { return engine.Base().objects; }

int NextObjectX(TNuraEngine& engine) { return engine.Base().nextObjectX; }

int NextObjectY(TNuraEngine& engine) { return engine.Base().nextObjectY; }

void SetNextObjectPosition(TNuraEngine& engine, int x, int y) {
  engine.Base().nextObjectX = x;
  engine.Base().nextObjectY = y;
}

bool IsCentring(TNuraEngine& engine) { return engine.Base().centring; }

void SetCentring(TNuraEngine& engine, bool on) { engine.Base().centring = on; }

TScriptObject* GetObjectCanvas(TNuraEngine& engine, const std::string& name) {
  return engine.GetObjectCanvas(name);
}

TScriptObject* GetObjectBitmap(TNuraEngine& engine, const std::string& name) {
  return engine.GetObjectBitmap(name);
}

// ---- arguments of the drawing commands and dialogs ----

void ParseCoordinates(TNuraEngine& engine, const std::string& text, int& x, int& y) {
  engine.ParseCoordinates(text, x, y);
}

TRect ParseRectangle(TNuraEngine& engine, const std::string& text) { return engine.ParseRectangle(text); }

std::string ParseFontText(TNuraEngine& engine, const std::string& text, int& style, int& size) {
  return engine.ParseFontText(text, style, size);
}

void GetFontSettings(TNuraEngine& engine, int32_t& colour, int& size, std::string& name, int& style) {
  engine.GetFontSettings(colour, size, name, style);
}

void ApplyPenAndBrush(TNuraEngine& engine) { engine.ApplyPenAndBrush(); }

void ApplyFontSettings(TNuraEngine& engine) { engine.ApplyFontSettings(); }

int TabWidth(TNuraEngine& engine) { return engine.TabWidth(); }

TImeMode GetDialogImeMode(TNuraEngine& engine, int mode) { return engine.GetDialogImeMode(mode); }

void AppendDisplayOutput(TNuraEngine& engine, const std::string& text) { engine.AppendDisplayOutput(text); }

// ---- evaluation and texts ----

std::string ExpandString(TNuraEngine& engine, const std::string& text) { return engine.ExpandString(text); }

std::string MakeRawLiteral(const std::string& text) { return TNuraEngine::MakeRawLiteral(text); }

std::string RawLiteralToText(const std::string& raw) { return TNuraEngine::RawLiteralToText(raw); }

bool EndsWithText(const std::string& text, const std::string& suffix) {
  return TNuraEngine::EndsWithText(text, suffix);
}

std::string RemoveSuffix(const std::string& text, const std::string& suffix) {
  return TNuraEngine::RemoveSuffix(text, suffix);
}

int32_t TextToInt32(const std::string& text) { return TNuraEngine::TextToInt32(text); }

// ---- files ----

const std::string& ScriptFolder(TNuraEngine& engine) { return engine.Base().baseFolder; }

const std::string& ScriptPath(TNuraEngine& engine) { return engine.Base().scriptPath; }

const std::string& CurrentFileName(TNuraEngine& engine) { return engine.Base().FileName(); }

const std::string& ScriptFileName(TNuraEngine& engine) { return engine.ScriptFileName(); }

int ConfirmFileOperation(TNuraEngine& engine, const std::string& path, const std::string& message) {
  return engine.ConfirmFileOperation(path, message);
}

int ReadScriptSecurityLevel(TNuraEngine& engine) {
  TNuraBase& base = engine.Base();
  ReadSecurityLevel(base.baseFolder, base.scriptPath, base.securityLevel);
  return base.securityLevel;
}

TFileMixReader* ContainerReader(TNuraEngine& engine) { return engine.Base().containerReader.get(); }

// ---- the run ----

int CurrentLine(TNuraEngine& engine) { return engine.CurrentLine(); }

std::string FormatErrorMessage(TNuraEngine& engine, const std::string& text) {
  return engine.FormatErrorMessage(text);
}

bool RunActive(TNuraEngine& engine) { return engine.RunActive(); }

bool HasCursor(TNuraEngine& engine) { return engine.Base().cursor.p != nullptr; }

const TextPos& CursorPosition(TNuraEngine& engine) { return engine.Base().cursor; }

bool StopRequested(TNuraEngine& engine) { return engine.Base().stopRequest; }

void RequestStop(TNuraEngine& engine) { engine.Base().stopRequest = true; }

void EndRun(TNuraEngine& engine) {
  engine.Base().stopRequest = true;
  engine.Base().cursor.Reset();
}

void RequestClose(TNuraEngine& engine) { engine.RequestClose(); }

bool AnswerCloseRequest(TNuraEngine& engine) {
  TNuraBase& base = engine.Base();
  const TextPos saved = base.cursor;
  if (base.exitLabel && base.exitLabel->Position()) {
    const TextPos target = base.exitLabel->Position();
    const std::string labelFile = base.exitLabel->Annotation();
    base.exitLabel.reset();
    if (const NodePtr& noExit = base.SystemNode(&TNuraBase::nodeNoExit)) noExit->SetValue("0");
    try {
      engine.RunNested(target, labelFile.empty() ? base.FileName() : labelFile);
    } catch (const std::exception&) {
      // the run loop reported the error
    }
  }
  const NodePtr& noExit = base.SystemNode(&TNuraBase::nodeNoExit);
  if (noExit && noExit->Value() == "1") {
    base.cursor = saved;
    return false;
  }
  base.cursor.Reset();
  base.stopRequest = true;
  return true;
}

void SetLineStop(TNuraEngine& engine, bool on) { engine.Base().lineStop = on; }

const TextRef& ProgramText(TNuraEngine& engine) { return engine.Base().text; }

std::vector<uint8_t> RunControlKinds(TNuraEngine& engine) {
  std::vector<uint8_t> kinds;
  const TRunControlStack& stack = engine.Base().runControl;
  TRunControl record;
  for (int i = 0; stack.Peek(i, record); ++i) kinds.push_back(record.kind);
  return kinds;
}

// ---- calls, switches and loops ----

void SetSwitchValue(TNuraEngine& engine, const std::string& value) { engine.Base().switchValue = value; }

const std::vector<std::string>& CallArguments(TNuraEngine& engine) { return engine.Base().secondStack.Items(); }

const TKeptNumber& CallArgumentNumber(TNuraEngine& engine) { return engine.Base().secondStackNumber; }

void ClearCallArguments(TNuraEngine& engine) { engine.Base().secondStack.Clear(); }

std::string PopCallArgument(TNuraEngine& engine) { return engine.Base().secondStack.Pop(); }

void ContinueInnermostLoop(TNuraEngine& engine) {
  TNuraBase& base = engine.Base();
  TRunControl record;
  while (base.runControl.Pop(record)) {
    if (record.kind == kRunIfThen || record.kind == kRunIfElse || record.kind == kRunSwitch) continue;
    base.runControl.Push(record);
    if (record.savedFileName && !record.savedFileName->empty()) base.RestoreFileName(record.savedFileName);
    engine.CheckRunControl();
    return;
  }
  base.cursor.Reset();
}

bool DefineLabelPattern(TNuraEngine& engine, const std::string& name, const std::string& pattern) {
  THash& words = engine.Base().words;
  NodePtr label = words.FindNode(name, false);
  if (!label || label->kind != kWordLabel) return false;
  label->SetPattern(pattern);
  const std::string loose = StripOkurigana(label->name);
  if (loose != label->name) {
    auto copy = std::make_unique<THashNode>(*label);
    copy->name = loose;
    copy->id = engine.Base().runControl.Count();
    words.Add(std::move(copy));
  }
  words.TouchPatterns();
  return true;
}

// ---- driving the interpreter ----

void TEngineDeleter::operator()(TNuraEngine* engine) const { delete engine; }

EnginePtr MakeEngine() { return EnginePtr(new TNuraEngine); }

void SetHost(TNuraEngine& engine, TEngineHost* host) { engine.SetHost(host); }

void SetDrawingHost(TNuraEngine& engine, TDrawingHost* host) { engine.SetDrawingHost(host); }

void SetObjectHost(TNuraEngine& engine, TObjectHost* host) { engine.SetObjectHost(host); }

TEngineHost& EngineHost(TNuraEngine& engine) { return engine.Host(); }

TObjectHost& ObjectHost(TNuraEngine& engine) { return engine.Objects(); }

void SetRegistrationHook(TNuraEngine& engine, std::function<void(TNuraEngine&)> hook) {
  engine.SetRegistrationHook(std::move(hook));
}

bool TrayShown(TNuraEngine& engine) { return engine.Base().trayFlag; }

void SetTrayShown(TNuraEngine& engine, bool on) { engine.Base().trayFlag = on; }

void PrepareRun(TNuraEngine& engine, const std::string& source, const std::string& fileName) {
  engine.PrepareRun(source, fileName);
}

void RunProgram(TNuraEngine& engine) { engine.Run(); }

void RunNested(TNuraEngine& engine, const TextPos& start, const std::string& fileName) {
  engine.RunNested(start, fileName);
}

void RunTimerTarget(TNuraEngine& engine, const TextPos& target) { engine.RunTimerTarget(target); }

void RunEventCode(TNuraEngine& engine, const TextPos& code, const std::string& fileName) {
  engine.RunEventCode(code, fileName);
}

void RunCommEvent(TNuraEngine& engine, const TextPos& label, const std::string& fileName) {
  engine.RunCommEvent(label, fileName);
}

// ---- results ----

void SetTextResult(TNuraEngine& engine, const std::string& text) { engine.SetResult(text, "s"); }

void SetNumberResult(TNuraEngine& engine, long double value) {
  int64_t whole = 0;
  if (ReadWholeNumber(value, whole)) {
    SetIntegerResult(engine, whole);  // the same digits, made when read
    return;
  }
  engine.SetResult(FormatGeneral(value), "e");
}

void SetIntegerResult(TNuraEngine& engine, int64_t value) {
  if (!TKeptNumber::FitsPending(value)) {
    engine.SetResult(std::to_string(value), "e");
    return;
  }
  // The digits are made when "それ" is read as a text.
  THashNode& node = *engine.ResultNode();
  node.SetWhole(value);
  node.SetAnnotation("e");
  engine.SetResultKind("e");
}

void SetFlagResult(TNuraEngine& engine, bool on) { SetIntegerResult(engine, on ? 1 : 0); }

void SetValueOnly(TNuraEngine& engine, const std::string& value) {
  const NodePtr node = engine.ResultNode();
  node->SetValue(value);
  engine.SetResultKind(node->Annotation());
}

const std::string& CommandNameOf(CommandId id) {
  static const std::unordered_map<int, std::string> names = [] {
    std::unordered_map<int, std::string> map;
    for (const BuiltinCommand& command : BuiltinCommands()) map.emplace(command.id, command.name);
    return map;
  }();
  static const std::string none;
  const auto it = names.find(IdNumber(id));
  return it == names.end() ? none : it->second;
}

void RaiseScriptError(TNuraEngine& engine, const std::string& text) {
  throw ENura(engine.FormatErrorMessage(text));
}

void RaiseCommandError(TNuraEngine& engine, CommandId id, const std::string& text) {
  RaiseScriptError(engine, "\"" + CommandNameOf(id) + "\"" + text);
}

void RaiseArgumentError(TNuraEngine& engine, CommandId id, const std::string& detail) {
  static const std::string kWrong = SJ("命令の引数に誤りがあります。");
  RaiseCommandError(engine, id, kWrong + detail);
}

}  // namespace nura
