// The handler API: what a built-in command handler needs, in one header.
//
// A command family is one file (src/<subsystem>/<family>_commands.cpp)
// with static handlers, their table and one public Register<Family>Commands():
//
//   #include "engine/command_api.h"
//
//   namespace {
//   // "左端削除" ("?から,?文字"): arguments come off the stack last first.
//   void DropLeft(TNuraEngine& engine, CommandId id) {
//     const int32_t n = PopInteger(engine);        // the range error outside 32 bits
//     const std::string text = PopText(engine);    // evaluated argument
//     if (n < 0) RaiseArgumentError(engine, id);  // ""左端削除"命令の引数に誤りがあります。"
//     SetTextResult(engine, text.substr(...));     // "それ" with kind "s"
//   }
//   }  // namespace
//
//   constexpr CommandEntry kStringCommands[] = {
//       {CommandId::DropLeft, DropLeft},
//   };
//
//   void RegisterStringCommands() { RegisterCommandTable(kStringCommands); }
//
// A command is written in two places: its id and names in
// engine/vocabulary_commands.inc (`NURA_COMMAND(DropLeft, 172)` followed by
// `NURA_NAME("左端削除", "?から,?文字")`), and its handler with its row in the
// family's table. Code names the id CommandId::DropLeft, never its number. A
// handler shared by several ids has a row for each and compares
// `id == CommandId::X`. A new family's Register<Family>Commands() is a line
// of app/command_families.inc, which the program and the fuzz targets
// register; the family's tests call it (declared in <family>_commands.h).
// tests/app/command_ids_test.cpp checks that every id has its names and its
// handler.
//
// Arguments: PopText (evaluated), PopNumber (lenient number), PopInteger
// (truncated, 32 bits, else ERangeError), PopRawWord (as written, backquotes
// removed: a word's name), PopRawArgument (exactly as bound), PopObject (the
// word named by the argument); SubjectLeftOut tells whether the first one
// was left out. Words: FindWord, WordValue, AddVariable. State kept between
// a family's commands: FamilyState<T>(engine). Results: SetTextResult, SetNumberResult,
// SetIntegerResult, SetFlagResult, SetValueOnly (the commands whose result keeps the type
// letter of "それ"), SetResult(engine, value, kind) for other kinds. Errors:
// RaiseArgumentError, RaiseCommandError, RaiseScriptError (all ENura with
// the file and line of the statement).
//
// This header is the only way into the interpreter from outside src/engine:
// TNuraEngine is declared, not defined, here, and what code outside needs of
// its state (the word table, the object list, the next object position, the
// script's folder, the stop request ...) and of running it (the window, the
// program's entry, tests) is a function below. The types it hands out have
// headers of their own: words and positions (engine/word_table.h), the
// object list (engine/object_list.h), the window's interfaces
// (engine/engine_host.h). The commands on the interpreter's own state
// (control flow, the word table commands, the error modes) are families
// inside src/engine.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <typeindex>
#include <vector>

#include "engine/command_ids.h"
#include "engine/command_registry.h"
#include "engine/dialogs.h"
#include "engine/engine_host.h"
#include "engine/object_list.h"
#include "engine/rect.h"
#include "engine/word_table.h"

namespace nura {

class TNuraEngine;
class TFileMixReader;

// ---- arguments (the last slot comes off first) ----

// The top argument evaluated (ExpandString); empty when none is left.
std::string PopText(TNuraEngine& engine);
// PopText read as a number, leniently (TextToNumber).
long double PopNumber(TNuraEngine& engine);
// PopNumber truncated toward zero; ERangeError when it does not fit 32 bits.
int32_t PopInteger(TNuraEngine& engine);
// The top argument unevaluated, exactly as bound (particle removed).
std::string PopRawArgument(TNuraEngine& engine);
// The top argument unevaluated, a text in backquotes without them: the name
// of a word, variable or object as the script wrote it.
std::string PopRawWord(TNuraEngine& engine);
// The same into `name`, whose buffer is reused (for a word named on every
// pass of a loop).
void PopRawWord(TNuraEngine& engine, std::string& name);
// The top argument as PopRawWord gives it, left on the stack: a view of the
// stack's text, or of `unquoted` for a text in backquotes. It holds until
// the arguments change; DropArgument then takes the argument off. For a
// word looked up on every pass of a loop, without copying its name.
std::string_view PeekRawWord(TNuraEngine& engine, std::string& unquoted);
void DropArgument(TNuraEngine& engine);
// The word named by the top argument (PopRawWord, exact look-up). Absent:
// with `create` a new empty variable at the current depth, else the error
// "オブジェクト"%s"が特定できません。".
NodePtr PopObject(TNuraEngine& engine, bool create = false);

// True when binding supplied "それ" for a left-out first argument.
bool SubjectLeftOut(TNuraEngine& engine);
// How many arguments are left on the stack.
int ArgumentCount(TNuraEngine& engine);

// ---- words ----

// The word `name` (exact look-up), or nil.
NodePtr FindWord(TNuraEngine& engine, const std::string& name);
// The value of the word `name`; empty when there is none.
std::string WordValue(TNuraEngine& engine, const std::string& name);
// A new variable at the current run-control depth (replacing an unprotected
// word of that name).
NodePtr AddVariable(TNuraEngine& engine, const std::string& name, const std::string& value,
                    const std::string& annotation);
// Enters `node` into the word table (THash::AddNode); the node that now
// holds the word.
NodePtr AddWord(TNuraEngine& engine, std::unique_ptr<THashNode> node);
// Removes the word `name` (THash::Delete); the new count, or -1.
int DeleteWord(TNuraEngine& engine, const std::string& name, bool loose);
// `target`, a word of the table, takes every field of `source` but the name
// (THash::AssignNode).
void AssignWord(TNuraEngine& engine, THashNode& target, const THashNode& source);
// The word table, for look-ups and enumeration; it changes only through the
// functions above.
const THash& WordTable(TNuraEngine& engine);
// The word "そ" (the object or word last made or named); nil before the
// vocabulary is entered.
const NodePtr& LastObjectWord(TNuraEngine& engine);
// The raised error for a protected variable (""%s"は、読取専用です。").
void CheckWritable(TNuraEngine& engine, const THashNode& node);
// Reads the word at `p` with its particle, as the statement loop does; `p`
// moves behind it.
std::string ReadWordAt(TNuraEngine& engine, const char*& p);

// ---- script objects and placement ----

// The script objects; entry 0 is the main window "母艦".
TObjList& ObjectList(TNuraEngine& engine);
// Where the next object (or text, or picture) goes: set by "位置", moved
// below each object made.
int NextObjectX(TNuraEngine& engine);
int NextObjectY(TNuraEngine& engine);
void SetNextObjectPosition(TNuraEngine& engine, int x, int y);
// "センタリング": text, pictures and new objects are centred horizontally.
bool IsCentring(TNuraEngine& engine);
void SetCentring(TNuraEngine& engine, bool on);
// The control of the script object `name` when its kind has a drawing
// surface (TNuraEngine::GetObjectCanvas), or when it is a picture or a form
// (GetObjectBitmap); "作成されていません" when absent.
TScriptObject* GetObjectCanvas(TNuraEngine& engine, const std::string& name);
TScriptObject* GetObjectBitmap(TNuraEngine& engine, const std::string& name);

// ---- arguments of the drawing commands and dialogs ----

// "(x,y)" (TNuraEngine::ParseCoordinates), "(x1,y1,x2,y2)"
// (ParseRectangle), "name|style|size" (ParseFontText).
void ParseCoordinates(TNuraEngine& engine, const std::string& text, int& x, int& y);
TRect ParseRectangle(TNuraEngine& engine, const std::string& text);
std::string ParseFontText(TNuraEngine& engine, const std::string& text, int& style, int& size);
// The font of "文字色", "文字書体" and "文字サイズ".
void GetFontSettings(TNuraEngine& engine, int32_t& colour, int& size, std::string& name, int& style);
// The main window's surface takes the pen and brush, or the font, of the
// system variables.
void ApplyPenAndBrush(TNuraEngine& engine);
void ApplyFontSettings(TNuraEngine& engine);
// The tab width of "タブ文字の個数": 1 to 256, else 8.
int TabWidth(TNuraEngine& engine);
// The input-method state for a dialog (TNuraEngine::GetDialogImeMode).
TImeMode GetDialogImeMode(TNuraEngine& engine, int mode);
// "表示" with "表示出力先" set: the text goes to that file.
void AppendDisplayOutput(TNuraEngine& engine, const std::string& text);

// ---- evaluation and texts ----

// Evaluates an argument text (operands joined by "&", else an expression).
std::string ExpandString(TNuraEngine& engine, const std::string& text);
// A text carried unevaluated: `text` between backquotes, backquotes doubled;
// and the inverse.
std::string MakeRawLiteral(const std::string& text);
std::string RawLiteralToText(const std::string& raw);
// True when `text` ends with `suffix` at a character boundary; `text`
// without it.
bool EndsWithText(const std::string& text, const std::string& suffix);
std::string RemoveSuffix(const std::string& text, const std::string& suffix);
// The number read leniently, truncated; ERangeError outside 32 bits.
int32_t TextToInt32(const std::string& text);

// ---- files ----

// The script's folder (as "カレントフォルダ" was at the start) and its path
// as given.
const std::string& ScriptFolder(TNuraEngine& engine);
const std::string& ScriptPath(TNuraEngine& engine);
// The file the cursor runs in, as error messages name it.
const std::string& CurrentFileName(TNuraEngine& engine);
// The script the start-up loaded; empty when none was loaded.
const std::string& ScriptFileName(TNuraEngine& engine);
// A file name completed by the first folder that holds it
// (engine/script_files.h).
std::string ResolveFilePath(TNuraEngine& engine, const std::string& name);
// The security confirmation for a command that changes `path`; 0 allows.
int ConfirmFileOperation(TNuraEngine& engine, const std::string& path, const std::string& message);
// The security level, read again from the script's "security.ini" first
// (as the confirmation does).
int ReadScriptSecurityLevel(TNuraEngine& engine);
// The container of a packed program or of "-resource"; nil without one.
TFileMixReader* ContainerReader(TNuraEngine& engine);

// ---- the run ----

// The line of the statement at the cursor.
int CurrentLine(TNuraEngine& engine);
// "[エラー] file(N行目): text".
std::string FormatErrorMessage(TNuraEngine& engine, const std::string& text);
// True while a run is under way (the cursor stands on a statement); and
// true while the cursor stands anywhere, a run going or interrupted.
bool RunActive(TNuraEngine& engine);
bool HasCursor(TNuraEngine& engine);
// Where the cursor stands (the statement running).
const TextPos& CursorPosition(TNuraEngine& engine);
// The stop request: the run loop ends after the statement; a wait ends.
bool StopRequested(TNuraEngine& engine);
void RequestStop(TNuraEngine& engine);
// The stop request with the cursor taken away: the run ends where it is.
void EndRun(TNuraEngine& engine);
// "終わり": asks the window to close; the run stops when it does.
void RequestClose(TNuraEngine& engine);
// The window's close request: the shutdown label runs once (in a nested
// level); false when "終了不可能" is "1" afterwards (the interrupted run goes
// on), else the run ends.
bool AnswerCloseRequest(TNuraEngine& engine);
// Line stepping: the debugger opens before each statement.
void SetLineStop(TNuraEngine& engine, bool on);
// The preprocessed program text; nil before a program was loaded.
const TextRef& ProgramText(TNuraEngine& engine);
// What the debugger shows of the run-control stack: each frame's kind, the
// oldest first.
std::vector<uint8_t> RunControlKinds(TNuraEngine& engine);

// ---- calls, switches and loops ----

// 条件分岐: the value that the arms of the switch compare against.
void SetSwitchValue(TNuraEngine& engine, const std::string& value);
// The values kept by the user-function call (the second stack), the number
// a variable kept for the text of a lone value, and their removal.
const std::vector<std::string>& CallArguments(TNuraEngine& engine);
const TKeptNumber& CallArgumentNumber(TNuraEngine& engine);
void ClearCallArguments(TNuraEngine& engine);
// The last value kept by the call, moved off the second stack (a long
// text is not copied).
std::string PopCallArgument(TNuraEngine& engine);
// 続ける: leaves the conditional and switch blocks around the cursor and
// lets the innermost loop (or call) go on as at its block's end; without
// one the run ends.
void ContinueInnermostLoop(TNuraEngine& engine);
// 関数定義: the label `name` takes `pattern` (also under its loose name, at
// the current run-control depth); false when `name` is no label.
bool DefineLabelPattern(TNuraEngine& engine, const std::string& name, const std::string& pattern);

// ---- driving the interpreter (the window, the program's entry, tests) ----

struct TEngineDeleter {
  void operator()(TNuraEngine* engine) const;
};
using EnginePtr = std::unique_ptr<TNuraEngine, TEngineDeleter>;
EnginePtr MakeEngine();

// The window's services; nullptr restores the no-op defaults.
void SetHost(TNuraEngine& engine, TEngineHost* host);
void SetDrawingHost(TNuraEngine& engine, TDrawingHost* host);
void SetObjectHost(TNuraEngine& engine, TObjectHost* host);
TEngineHost& EngineHost(TNuraEngine& engine);
TObjectHost& ObjectHost(TNuraEngine& engine);
// Called after the word table was cleared for a run: enters the vocabulary.
void SetRegistrationHook(TNuraEngine& engine, std::function<void(TNuraEngine&)> hook);
// The main window stands in the notification area instead of the desktop.
bool TrayShown(TNuraEngine& engine);
void SetTrayShown(TNuraEngine& engine, bool on);
// Resets the state, preprocesses `source` and shows the main window
// (TNuraEngine::PrepareRun); then runs it from its start.
void PrepareRun(TNuraEngine& engine, const std::string& source, const std::string& fileName);
void RunProgram(TNuraEngine& engine);
// Runs `start` in a new run-control level with `fileName` as the file.
void RunNested(TNuraEngine& engine, const TextPos& start, const std::string& fileName);
// The script timer fired with `target` as its jump target.
void RunTimerTarget(TNuraEngine& engine, const TextPos& target);
// Event code of a GUI object, and a socket or DDE event's label
// (TNuraEngine::RunEventCode, RunCommEvent).
void RunEventCode(TNuraEngine& engine, const TextPos& code, const std::string& fileName);
void RunCommEvent(TNuraEngine& engine, const TextPos& label, const std::string& fileName);

// ---- state of a command family ----

// The slot of the family state of `type` in TNuraBase::familyState, the
// same for every module of the process; given out on first asking.
size_t FamilyStateSlot(std::type_index type);
// The family states of the interpreter, by slot.
std::vector<std::shared_ptr<void>>& FamilyStates(TNuraEngine& engine);

// Makes the state of `T` at `slotIndex` (out of the way of the look-up).
template <typename T>
[[gnu::noinline]] void MakeFamilyState(std::vector<std::shared_ptr<void>>& states, size_t slotIndex) {
  if (slotIndex >= states.size()) states.resize(slotIndex + 1);
  states[slotIndex] = std::make_shared<T>();
}

// The state that the family of `T` keeps between its commands (an open
// file, a search in progress): made on first use, freed with the
// interpreter state. `T` is declared in the family's own files.
template <typename T>
T& FamilyState(TNuraEngine& engine) {
  // The slot is found once per type (and module), not per command.
  static const size_t slotIndex = FamilyStateSlot(std::type_index(typeid(T)));
  std::vector<std::shared_ptr<void>>& states = FamilyStates(engine);
  if (slotIndex >= states.size() || !states[slotIndex]) [[unlikely]]
    MakeFamilyState<T>(states, slotIndex);
  return *static_cast<T*>(states[slotIndex].get());
}

// ---- results ----

// "それ" = `value` with the result kind `kind` ("e", "s", "hs").
void SetResult(TNuraEngine& engine, const std::string& value, const std::string& kind);
void SetResult(TNuraEngine& engine, const std::string& value, const char* kind);
void SetResult(TNuraEngine& engine, std::string&& value, const char* kind);
// The node "それ" (entered when missing).
const NodePtr& ResultNode(TNuraEngine& engine);
// The kind letter of the last value.
const std::string& ResultKind(TNuraEngine& engine);
void SetResultKind(TNuraEngine& engine, const std::string& kind);
void SetResultKind(TNuraEngine& engine, const char* kind);

// "それ" = `text`, kind "s".
void SetTextResult(TNuraEngine& engine, const std::string& text);
// "それ" = `value` in the general number format, kind "e".
void SetNumberResult(TNuraEngine& engine, long double value);
// "それ" = the decimal digits of `value`, kind "e".
void SetIntegerResult(TNuraEngine& engine, int64_t value);
// "それ" = "1" or "0", kind "e".
void SetFlagResult(TNuraEngine& engine, bool on);
// "それ" = `value`; its type letter stays as it was, and the result kind
// (which evaluating the arguments changed) is that letter again.
void SetValueOnly(TNuraEngine& engine, const std::string& value);

// ---- errors ----

// The first name of the command `id` (Shift-JIS); empty for an id without.
const std::string& CommandNameOf(CommandId id);
// ENura with the formatted message: a double quote, the command's name, a
// double quote and `text` (Shift-JIS).
[[noreturn]] void RaiseCommandError(TNuraEngine& engine, CommandId id, const std::string& text);
// The argument error ""%s"命令の引数に誤りがあります。" followed by `detail`.
[[noreturn]] void RaiseArgumentError(TNuraEngine& engine, CommandId id,
                                     const std::string& detail = "");
// ENura with the formatted `text`.
[[noreturn]] void RaiseScriptError(TNuraEngine& engine, const std::string& text);

}  // namespace nura
