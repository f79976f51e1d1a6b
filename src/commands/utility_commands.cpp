#include "commands/utility_commands.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "support/base64.h"
#include "engine/command_api.h"
#include "support/csv_db.h"
#include "support/date_time.h"
#include "support/number_functions.h"
#include "commands/string_command_support.h"
#include "support/wildcard.h"
#include "engine/conv_half.h"
#include "engine/era_date.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

const std::string kCrLf = "\r\n";

// 条件分岐: the value that the arms of the switch compare against.
void Switch(TNuraEngine& engine, CommandId) { SetSwitchValue(engine, PopText(engine)); }

void CompareText(TNuraEngine& engine, CommandId) {
  const std::string second = PopText(engine);
  const std::string first = PopText(engine);
  SetResult(engine, first == second ? "1" : "0", "e");
}

// マッチ: the pattern matched at the start of a variable's text; the
// variable keeps the rest.
void Match(TNuraEngine& engine, CommandId id) {
  const std::string pattern = PopText(engine);
  if (pattern.empty()) {
    PopRawArgument(engine);
    ResultNode(engine)->SetAnnotation("s");
    SetResultKind(engine, "s");
    return;
  }
  const string_cmd::TVariableArgument subject = string_cmd::PopVariableArgument(engine);
  if (subject.value.empty()) RaiseArgumentError(engine, id);
  std::string rest = subject.value;
  std::string matched;
  std::vector<std::string> captures;
  try {
    WildcardMatchCut(rest, pattern, matched, captures);
  } catch (const ENura&) {
    throw;
  } catch (const std::exception& e) {
    RaiseScriptError(engine, SJ("マッチでエラー。") + e.what());
  }
  std::string result = matched + kCrLf;
  for (const std::string& capture : captures) result += capture + kCrLf;
  subject.WriteBack(rest);
  SetTextResult(engine, TrimText(result));
}

void BinaryDump(TNuraEngine& engine, CommandId) {
  const std::string text = PopText(engine);
  std::string dump;
  dump.reserve(text.size() * 3 + text.size() / 16 * 2);
  for (size_t i = 0; i < text.size(); ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(text[i]));
    dump += hex;
    dump += (i + 1) % 16 == 0 ? kCrLf : ",";
  }
  SetTextResult(engine, dump);
}

// The millisecond counter since the system started, wrapping at 2^32.
void SystemTime(TNuraEngine& engine, CommandId) {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
  SetResult(engine, std::to_string(static_cast<uint32_t>(ms)), "e");
}

void Base64(TNuraEngine& engine, CommandId id) {
  const std::string text = PopText(engine);
  SetTextResult(engine, id == CommandId::Base64Encode ? Base64Encode(text) : Base64Decode(text));
}

void MainWindowStyle(TNuraEngine& engine, CommandId id) {
  const int32_t style = PopInteger(engine);
  if (style < 0 || style > 5) RaiseArgumentError(engine, id);
  EngineHost(engine).SetMainWindowBorderStyle(style);
}

void JapaneseEra(TNuraEngine& engine, CommandId id) {
  TDateTimeValue value;
  if (!ParseDateTime(PopText(engine), value))
    RaiseArgumentError(engine, id, SJ("日付に変換出来ません。"));
  const TCivilDate date = CivilFromDays(value.days);
  SetTextResult(engine, FormatJapaneseEraDate(date.year, date.month, date.day));
}

// 変数名列挙: unprotected variables and dictionaries declared at the level
// or deeper, in the word table's order.
void ListVariables(TNuraEngine& engine, CommandId) {
  const bool implicit = SubjectLeftOut(engine);
  const long double number = PopNumber(engine);
  const int32_t level = implicit ? 0 : TruncToInt32(number);
  std::string names;
  for (const NodePtr& node : WordTable(engine).GetNodes()) {
    if ((node->kind == kWordVariable || node->kind == kWordHash) && !node->isProtected &&
        node->id >= level)
      names += node->name + kCrLf;
  }
  SetTextResult(engine, names);
}

void HtmlTable(TNuraEngine& engine, CommandId) {
  const std::string attributes = PopText(engine);
  TCsvDb table;
  table.SetCsvText(PopText(engine));
  SetTextResult(engine, table.GetHtmlTable(attributes));
}

void TrayIcon(TNuraEngine& engine, CommandId) {
  // The window keeps the tray flag: it hides or restores only on a change.
  EngineHost(engine).ShowTrayIcon(PopNumber(engine) != 0);
}

// 入れる: the value and type letter of "それ" into the named variable.
void Store(TNuraEngine& engine, CommandId) {
  const NodePtr result = ResultNode(engine);
  const std::string value = result->Value();
  const std::string kind = ResultKind(engine);
  NodePtr node = PopObject(engine, true);
  if (node->isProtected) RaiseScriptError(engine, "\"" + node->name + "\"" + SJ("は、読取専用です。"));
  if (node->kind != kWordVariable && node->kind != kWordHash)
    RaiseScriptError(engine, "\"" + node->name + "\"" + SJ("には代入できません！"));
  node->kind = kWordVariable;
  node->SetHash(nullptr);
  node->SetValue(value);
  node->SetAnnotation(kind);
}

// 続ける: leaves the conditional and switch blocks around it and lets the
// innermost loop (or call) go on as at its block's end.
void Continue(TNuraEngine& engine, CommandId) { ContinueInnermostLoop(engine); }

// 関数定義: gives a label its argument pattern.
void DefineFunction(TNuraEngine& engine, CommandId id) {
  const std::string pattern = ConvertToHalf(PopText(engine));
  const std::string name = PopRawWord(engine);
  if (!DefineLabelPattern(engine, name, pattern))
    RaiseArgumentError(engine, id, SJ("ラベルが定義されていません。"));
}

void TakeArguments(TNuraEngine& engine, CommandId) {
  // The values kept by the call, one a line.
  const std::vector<std::string>& items = CallArguments(engine);
  if (items.size() == 1 && !HasOuterBlank(items[0])) {
    // One value with nothing to trim becomes "それ" as it is, moved, with
    // the number its variable kept for it.
    SetResult(engine, PopCallArgument(engine), "s");
    ResultNode(engine)->KeepNumber(CallArgumentNumber(engine));
    ClearCallArguments(engine);
    return;
  }
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i) text += kCrLf;
    text += items[i];
  }
  ClearCallArguments(engine);
  SetTextResult(engine, TrimText(text));
}

}  // namespace

constexpr CommandEntry kUtilityCommands[] = {
    {CommandId::Switch, Switch},
    {CommandId::CompareText, CompareText},
    {CommandId::Match, Match},
    {CommandId::BinaryDump, BinaryDump},
    {CommandId::SystemTime, SystemTime},
    {CommandId::Base64Encode, Base64},
    {CommandId::Base64Decode, Base64},
    {CommandId::MainWindowStyle, MainWindowStyle},
    {CommandId::JapaneseEra, JapaneseEra},
    {CommandId::ListVariables, ListVariables},
    {CommandId::HtmlTable, HtmlTable},
    {CommandId::TrayIcon, TrayIcon},
    {CommandId::Store, Store},
    {CommandId::Continue, Continue},
    {CommandId::DefineFunction, DefineFunction},
    {CommandId::TakeArguments, TakeArguments},
};

void RegisterUtilityCommands() { RegisterCommandTable(kUtilityCommands); }

}  // namespace nura
