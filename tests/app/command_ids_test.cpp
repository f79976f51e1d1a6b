// Every command id of the vocabulary either has its handler or stands on
// the list of ids whose commands are not built yet. Adding a handler means
// taking its id off the list; the test fails until the list is exact.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "app/register_commands.h"
#include "engine/command_api.h"
#include "engine/vocabulary.h"
#include "platform/sjis.h"

namespace nura {
namespace {

using enum CommandId;

// Read by the conditional block or refused by the dispatcher itself.
const std::set<CommandId> kDispatcherIds = {Then, Else, Condition};

// The commands that have no handler yet, one a line (remove the line of
// a command whose handler you add).
const std::set<CommandId> kWithoutHandler = {
};

std::string Describe(CommandId id) {
  return std::to_string(IdNumber(id)) + " " + SjisToUtf8(CommandNameOf(id));
}

TEST(CommandIds, EveryIdHasItsHandlerOrStandsOnTheList) {
  RegisterAllCommands();
  const std::vector<CommandId> registered = RegisteredCommandIds();
  const auto has = [&](CommandId id) {
    return std::binary_search(registered.begin(), registered.end(), id);
  };
  std::string missing, listedButBuilt;
  for (const CommandId id : AllCommandIds()) {
    const bool listed = kWithoutHandler.count(id) || kDispatcherIds.count(id);
    if (!has(id) && !listed) missing += Describe(id) + "\n";
    if (has(id) && listed) listedButBuilt += Describe(id) + "\n";
  }
  EXPECT_EQ(missing, "") << "ids without a handler and not on the list";
  EXPECT_EQ(listedButBuilt, "") << "ids with a handler: take them off the list";
}

TEST(CommandIds, EachVocabularyIdHasOneNameAndEachNameACommand) {
  std::set<int> vocabulary;
  for (const BuiltinCommand& command : BuiltinCommands()) vocabulary.insert(command.id);
  std::set<int> named;
  for (const CommandId id : AllCommandIds()) named.insert(IdNumber(id));
  // 202 and 203 run the file read and write handlers under no command name.
  named.erase(IdNumber(ReadFileUnnamed));
  named.erase(IdNumber(WriteFileUnnamed));
  EXPECT_EQ(vocabulary, named);
  EXPECT_EQ(CommandNameOf(ReadFileUnnamed), "");
}

}  // namespace
}  // namespace nura
