#include "commands/utility_commands.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "commands/base64.h"
#include "commands/command_errors.h"
#include "commands/csv_db.h"
#include "commands/date_time.h"
#include "commands/number_functions.h"
#include "commands/string_command_support.h"
#include "commands/raw_name.h"
#include "commands/wildcard.h"
#include "engine/command_registry.h"
#include "engine/conv_half.h"
#include "engine/engine.h"
#include "engine/era_date.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

const std::string kCrLf = "\r\n";

// 条件分岐: the value that the arms of the switch compare against.
void Switch(TNuraEngine& engine, int) { engine.Base().switchValue = engine.PopArgumentText(); }

void CompareText(TNuraEngine& engine, int) {
  const std::string second = engine.PopArgumentText();
  const std::string first = engine.PopArgumentText();
  engine.SetResult(first == second ? "1" : "0", "e");
}

// マッチ: the pattern matched at the start of a variable's text; the
// variable keeps the rest.
void Match(TNuraEngine& engine, int id) {
  const std::string pattern = engine.PopArgumentText();
  if (pattern.empty()) {
    engine.Base().args.Pop();
    engine.ResultNode()->annotation = "s";
    engine.SetResultKind("s");
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
  engine.SetResult(TrimText(result), "s");
}

void BinaryDump(TNuraEngine& engine, int) {
  const std::string text = engine.PopArgumentText();
  std::string dump;
  dump.reserve(text.size() * 3 + text.size() / 16 * 2);
  for (size_t i = 0; i < text.size(); ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(text[i]));
    dump += hex;
    dump += (i + 1) % 16 == 0 ? kCrLf : ",";
  }
  engine.SetResult(dump, "s");
}

// The millisecond counter since the system started, wrapping at 2^32.
void SystemTime(TNuraEngine& engine, int) {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
  engine.SetResult(std::to_string(static_cast<uint32_t>(ms)), "e");
}

void Base64(TNuraEngine& engine, int id) {
  const std::string text = engine.PopArgumentText();
  engine.SetResult(id == 378 ? Base64Encode(text) : Base64Decode(text), "s");
}

void MainWindowStyle(TNuraEngine& engine, int id) {
  const int32_t style = TruncToInt32(engine.PopArgumentNumber());
  if (style < 0 || style > 5) RaiseArgumentError(engine, id);
  engine.Host().SetMainWindowBorderStyle(style);
}

void JapaneseEra(TNuraEngine& engine, int id) {
  TDateTimeValue value;
  if (!ParseDateTime(engine.PopArgumentText(), value))
    RaiseArgumentError(engine, id, SJ("日付に変換出来ません。"));
  const TCivilDate date = CivilFromDays(value.days);
  engine.SetResult(FormatJapaneseEraDate(date.year, date.month, date.day), "s");
}

// 変数名列挙: unprotected variables and dictionaries declared at the level
// or deeper, in the word table's order.
void ListVariables(TNuraEngine& engine, int) {
  const bool implicit = engine.Base().implicitSubject;
  const long double number = engine.PopArgumentNumber();
  const int32_t level = implicit ? 0 : TruncToInt32(number);
  std::string names;
  for (const NodePtr& node : engine.Base().words.GetNodes()) {
    if ((node->kind == kWordVariable || node->kind == kWordHash) && !node->isProtected &&
        node->id >= level)
      names += node->name + kCrLf;
  }
  engine.SetResult(names, "s");
}

void HtmlTable(TNuraEngine& engine, int) {
  const std::string attributes = engine.PopArgumentText();
  TCsvDb table;
  table.SetCsvText(engine.PopArgumentText());
  engine.SetResult(table.GetHtmlTable(attributes), "s");
}

void TrayIcon(TNuraEngine& engine, int) {
  const bool show = engine.PopArgumentNumber() != 0;
  engine.Base().trayFlag = show;
  engine.Host().ShowTrayIcon(show);
}

// 入れる: the value and type letter of "それ" into the named variable.
void Store(TNuraEngine& engine, int) {
  const NodePtr result = engine.ResultNode();
  const std::string value = result->value;
  const std::string kind = engine.ResultKind();
  NodePtr node = engine.FindObjectWord(true);
  if (node->isProtected) RaiseScriptError(engine, "\"" + node->name + "\"" + SJ("は、読取専用です。"));
  if (node->kind != kWordVariable && node->kind != kWordHash)
    RaiseScriptError(engine, "\"" + node->name + "\"" + SJ("には代入できません！"));
  node->kind = kWordVariable;
  node->hash.reset();
  node->value = value;
  node->annotation = kind;
}

// 続ける: leaves the conditional and switch blocks around it and lets the
// innermost loop (or call) go on as at its block's end.
void Continue(TNuraEngine& engine, int) {
  TNuraBase& base = engine.Base();
  TRunControl record;
  while (base.runControl.Pop(record)) {
    if (record.kind == kRunIfThen || record.kind == kRunIfElse || record.kind == kRunSwitch) continue;
    base.runControl.Push(record);
    base.fileName = record.savedFileName.empty() ? base.fileName : record.savedFileName;
    engine.CheckRunControl();
    return;
  }
  base.cursor.Reset();
}

// 関数定義: gives a label its argument pattern.
void DefineFunction(TNuraEngine& engine, int id) {
  const std::string pattern = ConvertToHalf(engine.PopArgumentText());
  const std::string name = PopRawName(engine);
  THash& words = engine.Base().words;
  NodePtr label = words.FindNode(name, false);
  if (!label || label->kind != kWordLabel) RaiseArgumentError(engine, id, SJ("ラベルが定義されていません。"));
  label->pattern = pattern;
  const std::string loose = StripOkurigana(label->name);
  if (loose != label->name) {
    auto copy = std::make_unique<THashNode>(*label);
    copy->name = loose;
    copy->id = engine.Base().runControl.Count();
    words.Add(std::move(copy));
  }
  words.TouchPatterns();
}

void TakeArguments(TNuraEngine& engine, int) {
  TStack& stack = engine.Base().secondStack;
  std::string text;
  for (const std::string& item : stack.Items()) text += item + kCrLf;
  stack.Clear();
  engine.SetResult(TrimText(text), "s");
}

}  // namespace

void RegisterUtilityCommands() {
  RegisterCommandHandler(369, Switch);
  RegisterCommandHandler(373, CompareText);
  RegisterCommandHandler(374, Match);
  RegisterCommandHandler(375, BinaryDump);
  RegisterCommandHandler(377, SystemTime);
  RegisterCommandHandler(378, Base64);
  RegisterCommandHandler(379, Base64);
  RegisterCommandHandler(381, MainWindowStyle);
  RegisterCommandHandler(389, JapaneseEra);
  RegisterCommandHandler(393, ListVariables);
  RegisterCommandHandler(394, HtmlTable);
  RegisterCommandHandler(396, TrayIcon);
  RegisterCommandHandler(397, Store);
  RegisterCommandHandler(398, Continue);
  RegisterCommandHandler(399, DefineFunction);
  RegisterCommandHandler(400, TakeArguments);
}

}  // namespace nura
