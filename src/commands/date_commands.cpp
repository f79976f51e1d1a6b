// Handlers of the date and time commands: the current time and date,
// weekdays, date and time offsets and differences. Every date text goes
// through the one parser of support/date_time.h.
#include "commands/date_commands.h"

#include "engine/command_api.h"
#include "support/date_time.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

const std::string& InvalidDateMessage() {
  static const std::string text = SJ("日時の指定が不正です。");
  return text;
}

TDateTimeValue PopDateTime(TNuraEngine& engine) {
  TDateTimeValue value;
  if (!ParseDateTime(TrimText(PopText(engine)), value))
    RaiseScriptError(engine, InvalidDateMessage());
  return value;
}

void Now(TNuraEngine& engine, CommandId) { SetResult(engine, FormatTime(CurrentDateTime()), "s"); }

void Today(TNuraEngine& engine, CommandId) { SetResult(engine, FormatDate(CurrentDateTime()), "s"); }

void Weekday(TNuraEngine& engine, CommandId id) {
  TDateTimeValue value;
  if (!ParseDateTime(PopText(engine), value))
    RaiseArgumentError(engine, id, SJ("：年月日の取得に失敗"));
  const int day = DayOfWeek(value);
  if (id == CommandId::WeekdayNumber) {
    SetResult(engine, std::to_string(day), "e");
    return;
  }
  static const std::string kNames = SJ("日月火水木金土");
  SetResult(engine, kNames.substr(static_cast<size_t>(day - 1) * 2, 2), "s");
}

// 時間加算 and 日付加算: any failure is reported with its own message.
void AddOffset(TNuraEngine& engine, CommandId id) {
  const std::string offset = TrimText(PopText(engine));
  const TDateTimeValue start = PopDateTime(engine);
  std::string text;
  try {
    text = id == CommandId::AddTime ? FormatTime(AddTimeOffset(offset, start))
                     : FormatDate(AddDateOffset(offset, start));
  } catch (const ERuntimeError& e) {
    RaiseScriptError(engine, e.what());
  }
  ResultNode(engine)->SetValue(text);
}

void Difference(TNuraEngine& engine, CommandId id) {
  const std::string second_text = TrimText(PopText(engine));
  const std::string first_text = TrimText(PopText(engine));
  TDateTimeValue first, second;
  if (!ParseDateTime(second_text, second) || !ParseDateTime(first_text, first))
    RaiseScriptError(engine, InvalidDateMessage());
  const int64_t seconds = SecondsBetween(first, second);
  if (id == CommandId::DayDifference) {
    // Whole days, truncated toward zero.
    SetResult(engine, std::to_string(seconds / 86400), "e");
    return;
  }
  if (seconds < INT32_MIN || seconds > INT32_MAX) throw ERangeError();
  SetResult(engine, std::to_string(seconds), "e");
}

}  // namespace

constexpr CommandEntry kDateCommands[] = {
    {CommandId::Now, Now},
    {CommandId::Today, Today},
    {CommandId::Weekday, Weekday},
    {CommandId::WeekdayNumber, Weekday},
    {CommandId::AddTime, AddOffset},
    {CommandId::AddDate, AddOffset},
    {CommandId::DayDifference, Difference},
    {CommandId::SecondDifference, Difference},
};

void RegisterDateCommands() { RegisterCommandTable(kDateCommands); }

}  // namespace nura
