// A fixture that runs command handlers directly on an engine: arguments are
// pushed as a script's statement would leave them after binding (first
// argument deepest), then the handler of the id runs.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "engine/command_registry.h"
#include "engine/engine.h"
#include "platform/sjis.h"

namespace nura {

class CommandFixture : public ::testing::Test {
 protected:
  TNuraEngine engine;

  // A text argument carried unevaluated (Shift-JIS).
  static std::string Text(const std::string& sjis) { return TNuraEngine::MakeRawLiteral(sjis); }
  // The same from a UTF-8 literal.
  static std::string Jp(const std::string& utf8) { return Text(SJ(utf8)); }

  // Runs command `id` and returns the value of "それ".
  std::string Call(CommandId id, std::initializer_list<std::string> args = {}) {
    for (const std::string& arg : args) engine.Base().args.Push(arg);
    CommandHandler handler = FindCommandHandler(IdNumber(id));
    if (!handler) ADD_FAILURE() << "no handler for " << IdNumber(id);
    else handler(engine, id);
    return engine.ResultNode()->Value();
  }

  // The message of the error that command `id` raises, empty when none.
  std::string ErrorOf(CommandId id, std::initializer_list<std::string> args = {}) {
    try {
      Call(id, args);
    } catch (const std::exception& e) {
      engine.Base().args.Clear();
      return e.what();
    }
    return "";
  }

  std::string Kind() const { return engine.ResultKind(); }
};

}  // namespace nura
