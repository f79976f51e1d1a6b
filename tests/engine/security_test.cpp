#include "engine/security.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "engine/dialogs.h"
#include "platform/ini_file.h"
#include "platform/sjis.h"

namespace nura {
namespace {

namespace fs = std::filesystem;

// Records every dialog and answers the button choice with `answer`.
class TRecordingDialogs : public TDialogHost {
 public:
  std::string answer;
  std::vector<std::string> asked, warned;
  void ShowMessage(const std::string&, const std::string&) override {}
  void ShowWarning(const std::string& text, const std::string& caption) override {
    warned.push_back(text + "|" + caption);
  }
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  std::string AskButtons(const std::string& text, const std::string&,
                         const std::vector<std::string>& buttons) override {
    std::string entry = text;
    for (const std::string& b : buttons) entry += "|" + b;
    asked.push_back(entry);
    return answer;
  }
  std::string AskInput(const std::string&, const std::string&, bool& cancelled) override {
    cancelled = true;
    return "";
  }
  ErrorChoice ShowErrorDialog(const std::string&) override { return ErrorChoice::End; }
};

class Security : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("nura_security_" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "scripts" / "sub");
    fs::create_directories(root / "scripts2");
    fs::create_directories(root / "outside");
    fs::create_directory_symlink(root / "outside", root / "scripts" / "linkdir");
    fs::create_symlink(root / "outside" / "f.txt", root / "scripts" / "link.txt");
    SetDialogs(&dialogs);
  }
  void TearDown() override {
    SetDialogs(nullptr);
    fs::remove_all(root);
  }
  void WriteIni(const std::string& text) { std::ofstream(root / "scripts" / "security.ini") << text; }
  std::string Script(const std::string& rest) { return (root / "scripts").string() + "/" + rest; }
  int Confirm(const std::string& path) {
    TSecurityContext context{(root / "scripts").string(), "C:\\x\\test.nrs", level, answer};
    return ConfirmFileOperation(context, path, "ok?");
  }

  fs::path root;
  TRecordingDialogs dialogs;
  int level = kSecurityDefault;
  TSecurityAnswer answer = TSecurityAnswer::None;
};

TEST_F(Security, InsideTheScriptFolderAsksNothing) {
  EXPECT_EQ(Confirm(Script("a.txt")), 0);
  EXPECT_EQ(Confirm(Script("sub/b.txt")), 0);
  EXPECT_EQ(Confirm("sub\\c.txt"), 0);  // relative, Windows separators
  EXPECT_EQ(Confirm(Script("sub/../d.txt")), 0);
  EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(Security, OutsideAsksWithTheFourButtons) {
  dialogs.answer = SJ("いいえ");
  for (const std::string& path :
       {(root / "scripts2" / "a.txt").string(), (root / "outside" / "a.txt").string(),
        Script("../outside/a.txt"), std::string("..\\outside\\a.txt"), Script("linkdir/a.txt"),
        Script("link.txt"), Script("*.txt"), (root / "Scripts" / "a.txt").string()}) {
    dialogs.asked.clear();
    EXPECT_NE(Confirm(path), 0) << path;
    ASSERT_EQ(dialogs.asked.size(), 1u) << path;
  }
  EXPECT_EQ(dialogs.asked[0], SJ("ok?|はい|いいえ|全てはい|全ていいえ"));
  dialogs.answer = "";
  EXPECT_NE(Confirm("/tmp/x"), 0);
  dialogs.answer = SJ("はい");
  EXPECT_EQ(Confirm("/tmp/x"), 0);
  EXPECT_EQ(level, kSecurityDefault);
}

TEST_F(Security, AnswersForAllHoldForTheRun) {
  WriteIni("[test.nrs]\nsecurity=default\n");
  dialogs.answer = SJ("全てはい");
  EXPECT_EQ(Confirm("/tmp/x"), 0);
  EXPECT_EQ(Confirm("/tmp/y"), 0);  // the file is read again, the answer holds
  EXPECT_EQ(dialogs.asked.size(), 1u);
  answer = TSecurityAnswer::None;
  dialogs.answer = SJ("全ていいえ");
  EXPECT_NE(Confirm("/tmp/x"), 0);
  EXPECT_NE(Confirm(Script("in.txt")), 0);  // refused even inside, without asking
  EXPECT_EQ(dialogs.asked.size(), 2u);
}

TEST_F(Security, HighLevelWritesAndAsksNothing) {
  level = kSecurityHigh;
  EXPECT_NE(Confirm(Script("a.txt")), 0);
  EXPECT_NE(Confirm("/tmp/x"), 0);
  level = kSecurityDefault;
  WriteIni("[TEST.NRS]\r\nSecurity = hIGH\r\n");
  EXPECT_NE(Confirm(Script("a.txt")), 0);
  EXPECT_EQ(level, kSecurityHigh);
  EXPECT_TRUE(dialogs.asked.empty());
  EXPECT_TRUE(dialogs.warned.empty());
}

TEST_F(Security, SecurityIniIsRefusedAtEveryLevel) {
  const std::string warning = SJ("このプログラムは、\"security.ini\"を、操作出来ません！|セキュリティの警告");
  for (int l : {kSecurityLow, kSecurityDefault, kSecurityHigh}) {
    level = l;
    dialogs.warned.clear();
    EXPECT_NE(Confirm(Script("SECURITY.ini")), 0);
    EXPECT_NE(Confirm("C:\\other\\Security.INI"), 0);
    ASSERT_EQ(dialogs.warned.size(), 2u);
    EXPECT_EQ(dialogs.warned[0], warning);
  }
  // A link to the file is the file.
  WriteIni("");
  fs::create_symlink(root / "scripts" / "security.ini", root / "scripts" / "alias.txt");
  level = kSecurityLow;
  EXPECT_NE(Confirm(Script("alias.txt")), 0);
  EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(Security, ReadSecurityLevelFromTheScriptsSection) {
  const std::string folder = (root / "scripts").string();
  int l = kSecurityDefault;
  ReadSecurityLevel(folder, "test.nrs", l);  // no file: stays
  EXPECT_EQ(l, kSecurityDefault);
  WriteIni("[other.nrs]\nsecurity=high\n[test.nrs]\nsecurity=\"low\"\n");
  ReadSecurityLevel(folder, "/x/test.nrs", l);
  EXPECT_EQ(l, kSecurityLow);
  ReadSecurityLevel(folder, "none.nrs", l);  // no value: stays
  EXPECT_EQ(l, kSecurityLow);
  WriteIni("[test.nrs]\nsecurity=mid\n");
  ReadSecurityLevel(folder, "test.nrs", l);
  EXPECT_EQ(l, kSecurityDefault);
  // Level low allows everything else without asking.
  level = kSecurityLow;
  WriteIni("");
  EXPECT_EQ(Confirm("/tmp/x"), 0);
  EXPECT_TRUE(dialogs.asked.empty());
}

TEST(IniFile, ReadsShiftJisByteForByte) {
  TIniFile ini;
  // "ゾ" ends in 0x5D ("]"); "ソ" in 0x5C.
  ini.LoadFromText(SJ("; comment\r\n[ゾ]\r\nKey = 'ソ表 '\r\n[Main]\nname=a=b\n[ゾ]\nkey=second\n"));
  EXPECT_EQ(ini.ReadString(SJ("ゾ"), "KEY").value_or("-"), SJ("ソ表 "));
  EXPECT_EQ(ini.ReadString("main", "NAME").value_or("-"), "a=b");
  EXPECT_FALSE(ini.ReadString("main", "key"));
  EXPECT_FALSE(ini.ReadString("none", "key"));
  EXPECT_TRUE(SjisEqualsIgnoreAsciiCase("abC", "ABc"));
  EXPECT_FALSE(SjisEqualsIgnoreAsciiCase("\x83\x5A", "\x83\x7A"));  // trail bytes exact
}

}  // namespace
}  // namespace nura
