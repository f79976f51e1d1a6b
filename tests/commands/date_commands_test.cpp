#include "commands/date_commands.h"

#include "common/command_test_support.h"
#include "support/date_time.h"
#include "engine/errors.h"

namespace nura {
namespace {

class DateCommands : public CommandFixture {
 protected:
  static void SetUpTestSuite() { RegisterDateCommands(); }
};

TEST_F(DateCommands, NowAndToday) {
  TDateTimeValue value;
  EXPECT_TRUE(ParseDateTime(Call(CommandId::Now), value));
  EXPECT_EQ(Call(CommandId::Now).size(), 8u);
  EXPECT_EQ(Kind(), "s");
  EXPECT_TRUE(ParseDateTime(Call(CommandId::Today), value));
  EXPECT_EQ(Call(CommandId::Today).size(), 10u);
}

TEST_F(DateCommands, Weekdays) {
  EXPECT_EQ(Call(CommandId::Weekday, {Text("2001/01/01")}), SJ("月"));
  EXPECT_EQ(Kind(), "s");
  EXPECT_EQ(Call(CommandId::WeekdayNumber, {Text("2001/01/01")}), "2");
  EXPECT_EQ(Kind(), "e");
  EXPECT_EQ(Call(CommandId::Weekday, {Text("1800/01/01")}), SJ("水"));
  EXPECT_EQ(Call(CommandId::Weekday, {Text("2001/01/06 10:00")}), SJ("土"));
  EXPECT_NE(ErrorOf(CommandId::Weekday, {Text("abc")}).find(SJ("\"曜日\"命令の引数に誤りがあります。：年月日の取得に失敗")),
            std::string::npos);
}

TEST_F(DateCommands, OffsetsSetTheValueOnly) {
  engine.SetResult("", "e");
  EXPECT_EQ(Call(CommandId::AddDate, {Text("2001/01/31"), Text("0/1/0")}), "2001/02/28");
  EXPECT_EQ(engine.ResultNode()->Annotation(), "e");
  EXPECT_EQ(Call(CommandId::AddTime, {Text("23:30:00"), Text("1:0:0")}), "00:30:00");
  EXPECT_EQ(Call(CommandId::AddDate, {Text(" 2001/03/02 "), Text("-0/0/3")}), "2001/02/27");
  EXPECT_NE(ErrorOf(CommandId::AddDate, {Text("2000/01/01"), Text("-101/0/0")}).find(SJ("1900年以下は計算できません。")),
            std::string::npos);
  EXPECT_NE(ErrorOf(CommandId::AddTime, {Text("x"), Text("1:0:0")}).find(SJ("日時の指定が不正です。")), std::string::npos);
}

TEST_F(DateCommands, Differences) {
  EXPECT_EQ(Call(CommandId::DayDifference, {Text("2001/01/03"), Text("2001/01/01")}), "2");
  EXPECT_EQ(Kind(), "e");
  EXPECT_EQ(Call(CommandId::DayDifference, {Text("2001/01/01"), Text("2001/01/03")}), "-2");
  EXPECT_EQ(Call(CommandId::DayDifference, {Text("2001/01/03 12:00"), Text("2001/01/03 00:00")}), "0");
  EXPECT_EQ(Call(CommandId::DayDifference, {Text("1899/12/29"), Text("1899/12/31 12:00")}), "-2");
  EXPECT_EQ(Call(CommandId::SecondDifference, {Text("10:00:30"), Text("10:00:00")}), "30");
  EXPECT_EQ(Call(CommandId::SecondDifference, {Text("1899/12/29 23:00"), Text("1899/12/30 01:00")}), "-7200");
  EXPECT_NE(ErrorOf(CommandId::DayDifference, {Text("abc"), Text("2001/01/01")}).find(SJ("日時の指定が不正です。")),
            std::string::npos);
  EXPECT_THROW(Call(CommandId::SecondDifference, {Text("2100/01/01"), Text("2000/01/01")}), ERangeError);
}

}  // namespace
}  // namespace nura
