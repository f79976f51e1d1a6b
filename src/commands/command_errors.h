// Helpers that command handlers share for their script errors.
#pragma once

#include <string>

namespace nura {

class TNuraEngine;

// The first name of the built-in command with dispatch id `id` (Shift-JIS);
// empty for an unknown id.
const std::string& CommandNameOf(int id);

// Throws ENura with the formatted message: a double quote, the command's
// name, a double quote and `text` (Shift-JIS), e.g. the argument error
// "命令の引数に誤りがあります。".
[[noreturn]] void RaiseCommandError(TNuraEngine& engine, int id, const std::string& text);

// The argument error ""%s"命令の引数に誤りがあります。" followed by `detail`.
[[noreturn]] void RaiseArgumentError(TNuraEngine& engine, int id, const std::string& detail = "");

// Throws ENura with the formatted `text`.
[[noreturn]] void RaiseScriptError(TNuraEngine& engine, const std::string& text);

}  // namespace nura
