#include "support/dir_util.h"
#include "support/shell_helpers.h"

#include "file_test_support.h"

namespace nura {
namespace {

TEST(FileNamePattern, StarsQuestionMarksAndCase) {
  EXPECT_TRUE(MatchFileName("*.txt", "a.TXT"));
  EXPECT_TRUE(MatchFileName("*.*", "noext"));
  EXPECT_TRUE(MatchFileName("a?c", "abc"));
  EXPECT_TRUE(MatchFileName("?.txt", SJ("表.txt")));  // one two-byte character
  EXPECT_FALSE(MatchFileName("??.txt", SJ("表.txt")));
  EXPECT_TRUE(MatchFileName("*b*b*", "abxxbz"));
  EXPECT_FALSE(MatchFileName("*.txt", "a.txt.bak"));
  EXPECT_FALSE(MatchFileName("a", "ab"));
  EXPECT_TRUE(HasFileWildcard("a/*.txt"));
  EXPECT_FALSE(HasFileWildcard(SJ("表.txt")));
}

class DirUtil : public FileFixture {};

TEST_F(DirUtil, GlobSortsFilesAndFoldersAndSkipsDotFolders) {
  Put("b.txt", "");
  Put("a.txt", "");
  Put(".hidden", "");
  Put("sub/x", "");
  std::filesystem::create_directory(P(".git"));
  const TGlob glob(Utf8ToSjis(dir_) + "\\");
  EXPECT_EQ(glob.Folder(), Utf8ToSjis(dir_ + "/"));
  EXPECT_EQ(glob.Files(), (std::vector<std::string>{".hidden", "a.txt", "b.txt"}));
  EXPECT_EQ(glob.Folders(), std::vector<std::string>{"sub"});
  const TGlob one("a.txt");
  EXPECT_EQ(one.Folder(), "");
  EXPECT_EQ(one.Files(), std::vector<std::string>{"a.txt"});
}

TEST_F(DirUtil, RecursiveListFindsMatchesBelowAFolderWithout) {
  Put("top.dat", "");
  Put("下/表.txt", "");
  Put("下/更に/z.txt", "");
  EXPECT_EQ(JoinLines(ListFilesRecursive("*.txt")), SJ("下/表.txt\r\n下/更に/z.txt\r\n"));
}

TEST_F(DirUtil, DeleteFolderTreeFailsOnADotSubfolder) {
  Put("t/a/b.txt", "");
  Put("t/.keep/c.txt", "");
  EXPECT_FALSE(DeleteFolderTree("t"));
  EXPECT_TRUE(Has("t/.keep/c.txt"));
  EXPECT_FALSE(Has("t/a"));
  std::filesystem::remove_all(P("t/.keep"));
  Put("t/x.txt", "");
  EXPECT_TRUE(DeleteFolderTree("t/"));
  EXPECT_FALSE(Has("t"));
}

TEST_F(DirUtil, DeleteFolderTreeOfALinkKeepsTheTarget) {
  Put("real/a.txt", "a");
  std::filesystem::create_directory_symlink(P("real"), P("link"));
  EXPECT_TRUE(DeleteFolderTree("link/"));
  EXPECT_FALSE(Has("link"));
  EXPECT_EQ(Get("real/a.txt"), "a");
}

TEST_F(DirUtil, NumberedFileNamesAndVersionNames) {
  Put("tmp1.txt", "");
  Put("tmp2.txt", "");
  EXPECT_EQ(MakeNumberedFileName(Utf8ToSjis(dir_), "TMP.txt"), Utf8ToSjis(dir_) + "/TMP1.txt");
  EXPECT_EQ(MakeNumberedFileName(Utf8ToSjis(dir_ + "/"), "tmp.txt"), Utf8ToSjis(dir_) + "/tmp3.txt");
  EXPECT_EQ(WindowsVersionName(4, 10, 1, 0), "Windows 98");
  EXPECT_EQ(WindowsVersionName(4, 0, 2, 0), "Windows NT 4.0");
  EXPECT_EQ(WindowsVersionName(5, 2, 2, 0), "");
  EXPECT_EQ(WindowsVersionName(10, 0, 2, 0x4A610A), SJ("不明 Version = ") + std::to_string(0x4A610A));
}

TEST_F(DirUtil, SaveTextEndsEveryLineWithCrLf) {
  EXPECT_TRUE(SaveTextToFile("s.txt", "a\nb\r\nc"));
  EXPECT_EQ(Get("s.txt"), "a\r\nb\r\nc\r\n");
}

}  // namespace
}  // namespace nura
