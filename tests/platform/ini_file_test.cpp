#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_io.h"
#include "platform/sjis.h"
#include "common/run_program.h"

namespace nura {
namespace {

TEST(IniFileWriter, ChangesOnlyTheKeysLineAndKeepsEveryOtherByte) {
  const std::string before = SJ("; 注釈\r\n[節]\r\n鍵 = \"古い\"\r\nother=1\r\n\r\n[次]\nx=2\n");
  TIniFile ini;
  ini.LoadFromText(before);
  ini.WriteString(SJ("節"), SJ("鍵"), SJ("ソ表示"));
  EXPECT_EQ(ini.Text(), SJ("; 注釈\r\n[節]\r\n鍵=ソ表示\r\nother=1\r\n\r\n[次]\nx=2\n"));
  EXPECT_EQ(ini.ReadString(SJ("節"), SJ("鍵")), SJ("ソ表示"));
  // A new key goes behind the section's last line, before the blank line.
  ini.WriteString(SJ("節"), "New", "v");
  EXPECT_EQ(ini.Text(), SJ("; 注釈\r\n[節]\r\n鍵=ソ表示\r\nother=1\r\nNew=v\r\n\r\n[次]\nx=2\n"));
  // Names compare without ASCII case; the value is replaced.
  ini.WriteString(SJ("節"), "NEW", "w");
  EXPECT_EQ(ini.ReadString(SJ("節"), "new"), "w");
  EXPECT_EQ(ini.ReadString(SJ("次"), "x"), "2");
}

TEST(IniFileWriter, NewSectionsAndFilesWithoutFinalLineBreak) {
  TIniFile ini;
  ini.WriteString(SJ("表"), SJ("能"), SJ("十"));
  EXPECT_EQ(ini.Text(), SJ("[表]\r\n能=十\r\n"));
  ini.LoadFromText("[a]\r\nk=1");
  ini.WriteString("a", "j", "2");
  EXPECT_EQ(ini.Text(), "[a]\r\nk=1\r\nj=2\r\n");
  ini.LoadFromText("[a]");
  ini.WriteString("b", "k", "1");
  EXPECT_EQ(ini.Text(), "[a]\r\n[b]\r\nk=1\r\n");
  ini.WriteString("a", "k", "0");
  EXPECT_EQ(ini.Text(), "[a]\r\nk=0\r\n[b]\r\nk=1\r\n");
  EXPECT_EQ(ini.ReadString("b", "k"), "1");
}

TEST(IniFileWriter, DeleteKeyRemovesOnlyThatLine) {
  TIniFile ini;
  ini.LoadFromText("[a]\r\nk=1\r\nj=2\r\n[b]\nk=3\nj=4");
  EXPECT_TRUE(ini.DeleteKey("A", "K"));
  EXPECT_EQ(ini.Text(), "[a]\r\nj=2\r\n[b]\nk=3\nj=4");
  EXPECT_FALSE(ini.DeleteKey("a", "k"));
  EXPECT_FALSE(ini.DeleteKey("c", "j"));
  EXPECT_TRUE(ini.DeleteKey("b", "j"));  // the last line, without a line break
  EXPECT_EQ(ini.Text(), "[a]\r\nj=2\r\n[b]\nk=3\n");
  EXPECT_EQ(ini.ReadString("b", "k"), "3");
  EXPECT_FALSE(ini.ReadString("b", "j"));
}

TEST(IniFileWriter, SavedFileReadsBackByteForByte) {
  const std::string folder = test::MakeTempFolder();
  const std::string path = folder + "/設定.ini";
  TIniFile ini;
  ini.LoadFromText(SJ("[セクション]\r\nキー=値\r\n"));
  ini.WriteString(SJ("セクション"), SJ("二つ目"), SJ("表ソ能"));
  ASSERT_TRUE(ini.Save(path));
  std::string bytes;
  ASSERT_TRUE(ReadNativeFile(path, bytes));
  EXPECT_EQ(bytes, SJ("[セクション]\r\nキー=値\r\n二つ目=表ソ能\r\n"));
  TIniFile again;
  ASSERT_TRUE(again.Load(path));
  EXPECT_EQ(again.ReadString(SJ("セクション"), SJ("二つ目")), SJ("表ソ能"));
  // No temporary file stays behind.
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++files;
  EXPECT_EQ(files, 1);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace nura
