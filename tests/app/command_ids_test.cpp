// Every command id of vocabulary_commands.inc has its handler and its
// command names, except where the line of the id says otherwise: the
// dispatcher's own ids have no handler, the unnamed ids no name. Adding a
// command's id line, names and handler needs no edit here.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "app/console_host.h"
#include "app/register_commands.h"
#include "engine/command_api.h"
#include "engine/vocabulary.h"
#include "platform/sjis.h"

namespace nura {
namespace {

using enum CommandId;

std::string Describe(CommandId id) {
  return std::to_string(IdNumber(id)) + " " + SjisToUtf8(CommandNameOf(id));
}

TEST(CommandIds, EveryIdHasItsHandlerOrIsTheDispatchers) {
  RegisterAllCommands();
  const std::vector<CommandId> registered = RegisteredCommandIds();
  const auto has = [&](CommandId id) {
    return std::binary_search(registered.begin(), registered.end(), id);
  };
  std::string missing, dispatcherWithHandler;
  for (const CommandId id : AllCommandIds()) {
    if (!has(id) && !IsDispatcherCommand(id)) missing += Describe(id) + "\n";
    if (has(id) && IsDispatcherCommand(id)) dispatcherWithHandler += Describe(id) + "\n";
  }
  EXPECT_EQ(missing, "") << "ids without a handler";
  EXPECT_EQ(dispatcherWithHandler, "") << "ids the dispatcher reads that have a handler";
}

TEST(CommandIds, EachVocabularyIdHasOneNameAndEachNameACommand) {
  std::set<int> vocabulary;
  for (const BuiltinCommand& command : BuiltinCommands()) vocabulary.insert(command.id);
  std::set<int> named;
  for (const CommandId id : AllCommandIds()) {
    if (!IsUnnamedCommand(id)) named.insert(IdNumber(id));
  }
  EXPECT_EQ(vocabulary, named);
  // 202 and 203 run the file read and write handlers under no command name.
  EXPECT_EQ(CommandNameOf(ReadFileUnnamed), "");
}

// A console script registers the families that need no window, and a
// stand-in for the rest that hands over to the window module; there every
// family registers in order. Each id must end with the handler it has when
// all register at once, or first with the stand-in.
TEST(CommandIds, ConsoleRegistrationAgreesWithTheWholeProgram) {
  RegisterConsoleCommands();
  std::vector<CommandHandler> console;
  for (const CommandId id : AllCommandIds()) console.push_back(FindCommandHandler(IdNumber(id)));
  RegisterAllCommands();
  std::string differing, standIns;
  size_t at = 0;
  for (const CommandId id : AllCommandIds()) {
    const CommandHandler before = console[at++];
    if (before == RunInWindow) {
      standIns += Describe(id) + "\n";
    } else if (before != FindCommandHandler(IdNumber(id))) {
      differing += Describe(id) + "\n";
    }
    if (IsDispatcherCommand(id)) {
      EXPECT_EQ(before, nullptr) << Describe(id);
    }
  }
  EXPECT_EQ(differing, "");
  // The window's own commands wait for the window; a message does not.
  EXPECT_NE(standIns.find(Describe(SetTimer)), std::string::npos);
  EXPECT_EQ(standIns.find(Describe(Say)), std::string::npos);
}

}  // namespace
}  // namespace nura
