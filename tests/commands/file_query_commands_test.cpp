#include "file_test_support.h"

namespace nura {
namespace {

class FileQueries : public FileFixture {};

TEST_F(FileQueries, ListingsWithWildcardsAndSeveralPatterns) {
  Put("a.txt", "");
  Put("表.txt", "");
  Put("c.dat", "");
  Put("sub/d.txt", "");
  std::filesystem::create_directory(P(".dot"));
  engine.SetResult("old", "e");
  EXPECT_EQ(Call(CommandId::ListFiles, {Text("*.txt;*.dat")}), "a.txt\r\n" + SJ("表.txt") + "\r\nc.dat\r\n");
  EXPECT_EQ(Kind(), "e");  // the value only
  EXPECT_EQ(Call(CommandId::ListFiles, {Text("")}), "a.txt\r\n" + SJ("表.txt") + "\r\nc.dat\r\n");
  EXPECT_EQ(Call(CommandId::ListFolders, {Text("*")}), "sub\r\n");
  EXPECT_EQ(Call(CommandId::ListAllFiles, {Text(" *.txt ")}), "a.txt\r\n" + SJ("表.txt") + "\r\nsub/d.txt\r\n");
  EXPECT_EQ(Kind(), "s");
  EXPECT_EQ(Call(CommandId::ListAllFiles, {Text("sub/")}), "sub/d.txt\r\n");
}

TEST_F(FileQueries, PathPartsKeepTwoByteCharacters) {
  // The second byte of "表" is "\": it never separates.
  const std::string path = SJ("c:\\表\\表.tar.gz");
  EXPECT_EQ(Call(CommandId::FolderPart, {Text(path)}), SJ("c:\\表\\"));
  EXPECT_EQ(Call(CommandId::NamePart, {Text(path)}), SJ("表.tar.gz"));
  EXPECT_EQ(Call(CommandId::ExtensionPart, {Text(path)}), ".gz");
  EXPECT_EQ(Call(CommandId::ExtensionPart, {Text(SJ("a.b/表"))}), "");
  EXPECT_EQ(Call(CommandId::NamePart, {Text("c:x")}), "x");
  EXPECT_EQ(Call(CommandId::ReplaceExtension, {Text("a/b.txt"), Text(".bak")}), "a/b.bak");
  EXPECT_EQ(Call(CommandId::ReplaceExtension, {Text(SJ("表")), Text(".lnk")}), SJ("表.lnk"));
  EXPECT_EQ(Kind(), "s");
}

}  // namespace
}  // namespace nura
