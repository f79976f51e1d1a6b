// The language's built-in vocabulary: the command names with their
// particle patterns and dispatch ids, and the system variables with their
// defaults. The tables are kept as UTF-8 source data and handed out here
// in Shift-JIS, converted once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nura {

class THash;
class TNuraEngine;

// One command name. Synonyms are separate entries with the same id.
struct BuiltinCommand {
  std::string name;     // Shift-JIS, as written (not the loose key)
  std::string pattern;  // the particle pattern, "?の,?を,?に"; empty: no arguments
  int id;               // the dispatch id
};

// Where a system variable's default comes from.
enum class VariableDefault : uint8_t {
  kText,  // the stored text
  kWindowColour,
  kDesktopColour,
  kActiveColour,
  kInactiveColour,
  kSelectionColour,
  kCommandLine,  // the arguments from the script's own onward
  kBaseFolder,   // the folder of the script
  kProgramFolder,
  kDesktopFolder,
  kRecycleBinFolder,
  kDocumentsFolder,
  kStartMenuFolder,
  kStartupFolder,
  kSendToFolder,
  kWindowsFolder,
  kSystemFolder,
  kTempFolder,
  kFavoritesFolder,
  kOsName,
  kScreenWidth,
  kScreenHeight,
  kVersion,
  kLastUpdate,
};

// One system variable.
struct BuiltinVariable {
  std::string name;        // Shift-JIS
  std::string value;       // the default text when `source` is kText, else empty
  bool isProtected;
  std::string annotation;  // "e", "s", a description, or empty
  VariableDefault source;
};

// The 454 command names, grouped by ascending id, synonyms in
// registration order.
const std::vector<BuiltinCommand>& BuiltinCommands();

// The 117 system variables in registration order.
const std::vector<BuiltinVariable>& BuiltinVariables();

// The version text and last-update date shown by "ぬらせらバージョン" and
// "ぬらせら最終更新日" (Shift-JIS).
std::string ProgramVersionText();
std::string ProgramLastUpdateText();

// A built-in command word: protected, kind 0, entered under the loose key of
// `name` with its particle pattern and dispatch id. The description is not
// kept.
void AddCommandWord(THash& words, const std::string& name, const std::string& pattern,
                    const std::string& description, int id);

// A system variable (kind 3, id -1) under `name` exactly as written, with
// `value` and the annotation `description`.
void AddVariableWord(THash& words, const std::string& name, const std::string& value,
                     const std::string& description);
void AddProtectedVariableWord(THash& words, const std::string& name, const std::string& value,
                              const std::string& description);

// Enters the whole vocabulary into the engine's (cleared) word table, with
// the computed defaults, and makes the main window the script object 0
// "母艦". The engine's registration hook.
void RegisterBuiltinWords(TNuraEngine& engine);
// Gives script object 0 "母艦" the control that the object host makes for
// the main window now: a host that takes over a running engine calls it.
void AttachMainWindowObject(TNuraEngine& engine);

}  // namespace nura
