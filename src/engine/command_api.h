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
// SetIntegerResult, SetValueOnly (the commands whose result keeps the type
// letter of "それ"), engine.SetResult(value, kind) for other kinds. Errors:
// RaiseArgumentError, RaiseCommandError, RaiseScriptError (all ENura with
// the file and line of the statement).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

#include "engine/command_ids.h"
#include "engine/command_registry.h"
#include "engine/engine.h"

namespace nura {

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
// The word named by the top argument (PopRawWord, exact look-up). Absent:
// with `create` a new empty variable at the current depth, else the error
// "オブジェクト"%s"が特定できません。".
NodePtr PopObject(TNuraEngine& engine, bool create = false);

// True when binding supplied "それ" for a left-out first argument.
bool SubjectLeftOut(TNuraEngine& engine);

// ---- words ----

// The word `name` (exact look-up), or nil.
NodePtr FindWord(TNuraEngine& engine, const std::string& name);
// The value of the word `name`; empty when there is none.
std::string WordValue(TNuraEngine& engine, const std::string& name);
// A new variable at the current run-control depth (replacing an unprotected
// word of that name).
NodePtr AddVariable(TNuraEngine& engine, const std::string& name, const std::string& value,
                    const std::string& annotation);

// ---- state of a command family ----

// The slot of the family state of `type` in TNuraBase::familyState, the
// same for every module of the process; given out on first asking.
size_t FamilyStateSlot(std::type_index type);

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
  std::vector<std::shared_ptr<void>>& states = engine.Base().familyState;
  if (slotIndex >= states.size() || !states[slotIndex]) [[unlikely]]
    MakeFamilyState<T>(states, slotIndex);
  return *static_cast<T*>(states[slotIndex].get());
}

// ---- results ----

// "それ" = `text`, kind "s".
void SetTextResult(TNuraEngine& engine, const std::string& text);
// "それ" = `value` in the general number format, kind "e".
void SetNumberResult(TNuraEngine& engine, long double value);
// "それ" = the decimal digits of `value`, kind "e".
void SetIntegerResult(TNuraEngine& engine, int64_t value);
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
