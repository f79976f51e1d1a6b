#include "engine/errors.h"

#include <gtest/gtest.h>

#include "platform/sjis.h"

namespace nura {
namespace {

class TLogDialogs : public TDialogHost {
 public:
  std::vector<std::string> logs;
  void ShowMessage(const std::string&, const std::string&) override {}
  void ShowWarning(const std::string&, const std::string&) override {}
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  std::string AskButtons(const std::string&, const std::string&,
                         const std::vector<std::string>&) override { return ""; }
  std::string AskInput(const std::string&, const std::string&, bool&) override { return ""; }
  ErrorChoice ShowErrorDialog(const std::string& log) override {
    logs.push_back(log);
    return ErrorChoice::Continue;
  }
};

TEST(Errors, MessagesAreFormattedOnce) {
  ErrorLog().clear();
  // Script text holding "%" is an argument, never a format.
  const std::string text = FormatText(SJ("\"%s\"は未定義の命令です。%d"), "10%3%s", 7);
  EXPECT_EQ(text, SJ("\"10%3%s\"は未定義の命令です。7"));
  EXPECT_EQ(FormatText("%d%% %x %s"), "%d% %x %s");
  const std::string message = FormatErrorMessage(SJ("C:\\a%s\\ソ%d.nrs"), 12, text);
  EXPECT_EQ(message, SJ("[エラー] ソ%d.nrs(12行目): \"10%3%s\"は未定義の命令です。7"));
  ENura e = ENura::CreateFmt(SJ("%sの%s"), message, std::string("x%s"));
  EXPECT_EQ(std::string(e.what()), message + SJ("の") + "x%s");
  EXPECT_EQ(ErrorLog(), std::string(e.what()) + "\r\n");
  EXPECT_EQ(SjisFileName("dir/sub/"), "");
}

TEST(Errors, WarningsGoToTheLogAndShowOnlyInDebugMode) {
  TLogDialogs dialogs;
  SetDialogs(&dialogs);
  ErrorLog().clear();
  EXPECT_FALSE(ReportWarning("a.nrs", 3, "w1", false));
  EXPECT_TRUE(dialogs.logs.empty());
  ENura("e1");
  EXPECT_EQ(ReportWarning("a.nrs", 4, "w2", true), ErrorChoice::Continue);
  ASSERT_EQ(dialogs.logs.size(), 1u);
  EXPECT_EQ(dialogs.logs[0], SJ("[注　意] a.nrs(3行目): w1\r\ne1\r\n[注　意] a.nrs(4行目): w2\r\n"));
  SetDialogs(nullptr);
  ErrorLog().clear();
}

}  // namespace
}  // namespace nura
