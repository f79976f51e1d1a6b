// ARJ archives through the `arj` program: archives made here by `arj`,
// listed, checked, found by content and extracted by "解凍"; a member
// renamed to climb out is refused; without the program the format names it.
#include <zlib.h>

#include <cstring>
#include <filesystem>

#include "archive/archive_file.h"
#include "archive_test_support.h"

namespace nura::test {
namespace {

namespace fs = std::filesystem;

// Renames the member `from` to `to` (of the same length) in an ARJ file,
// with the header's CRC-32 made right again.
bool RenameArjMember(const std::string& path, const std::string& from, const std::string& to) {
  std::string bytes = ReadBytes(path);
  const size_t at = bytes.find(from);
  if (at == std::string::npos || from.size() != to.size()) return false;
  size_t header = bytes.rfind("\x60\xEA", at);
  if (header == std::string::npos) return false;
  const size_t size = static_cast<unsigned char>(bytes[header + 2]) |
                      static_cast<unsigned char>(bytes[header + 3]) << 8;
  if (header + 4 + size + 4 > bytes.size()) return false;
  bytes.replace(at, to.size(), to);
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + header + 4),
                          static_cast<uInt>(size));
  for (int i = 0; i < 4; ++i) bytes[header + 4 + size + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
  WriteBytes(path, bytes);
  return true;
}

class ArjArchives : public ArchiveFixture {
 protected:
  void SetUp() override {
    ArchiveFixture::SetUp();
    if (!HaveTool("arj")) GTEST_SKIP() << "arj is not installed";
    WriteBytes(Path("a.txt"), "alpha");
    WriteBytes(Path("sub/b.txt"), std::string(4000, 'b'));
    const ToolResult made = RunTool("cd '" + dir_ + "' && arj a t.arj a.txt sub/b.txt");
    ASSERT_EQ(made.status, 0) << made.output;
  }
};

TEST_F(ArjArchives, ListedCheckedDetectedAndExtracted) {
  TArchiveFile file;
  file.SetFileName(Path("t.arj"));
  TArchiver* arj = file.Archiver();
  ASSERT_NE(arj, nullptr);
  const TArchiveHandle handle = arj->OpenArchive(nullptr, Path("t.arj"), 0);
  ASSERT_NE(handle, 0u);
  TIndividualInfo info;
  std::vector<std::string> names;
  for (int found = arj->FindFirst(handle, "*", info); found == 0; found = arj->FindNext(handle, info))
    names.push_back(std::string(info.szFileName) + ":" + std::to_string(info.dwOriginalSize));
  arj->CloseArchive(handle);
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt:5", "sub/b.txt:4000"}));
  EXPECT_TRUE(arj->CheckArchive(Path("t.arj"), 0));
  WriteBytes(Path("junk.arj"), "not an archive at all");
  EXPECT_FALSE(arj->CheckArchive(Path("junk.arj"), 0));
  fs::copy_file(Path("t.arj"), Path("t.exe"));
  EXPECT_EQ(DetectArchiveTypeByContent(Path("t.exe")), TArchiverType::atArj);

  ASSERT_EQ(ErrorOf(CommandId::Unpack, {Arg("t.arj"), Arg("out")}), "");
  EXPECT_EQ(ReadBytes(Path("out/a.txt")), "alpha");
  EXPECT_EQ(ReadBytes(Path("out/sub/b.txt")), std::string(4000, 'b'));
  // "-x0" drops the folders.
  AddVariable(engine, SJ("解凍オプション"), "-x0 -c1", "s");
  ASSERT_EQ(ErrorOf(CommandId::Unpack, {Arg("t.arj"), Arg("flat")}), "");
  EXPECT_EQ(ReadBytes(Path("flat/b.txt")), std::string(4000, 'b'));
}

TEST_F(ArjArchives, HostileNamesAreRefused) {
  WriteBytes(Path("aa/evil.txt"), "bad");
  ASSERT_EQ(RunTool("cd '" + dir_ + "' && arj a h.arj a.txt aa/evil.txt").status, 0);
  ASSERT_TRUE(RenameArjMember(Path("h.arj"), "aa/evil.txt", "../evil.txt"));
  fs::create_directories(Path("in"));
  const std::string error = SjisToUtf8(ErrorOf(CommandId::Unpack, {Arg("h.arj"), Arg("in/out")}));
  EXPECT_NE(error.find("展開先の外を指す名前"), std::string::npos) << error;
  EXPECT_EQ(ReadBytes(Path("in/out/a.txt")), "alpha");
  EXPECT_FALSE(fs::exists(Path("in/evil.txt")));
  EXPECT_FALSE(fs::exists(Path("in/out/evil.txt")));
  EXPECT_FALSE(fs::exists(Path("evil.txt")));
}

TEST_F(ArjArchives, WithoutTheProgramTheFormatNamesIt) {
  WriteSjisFile(Path("x.nrs"), "「t.arj」を「d」へ解凍\n");
  const char* path = getenv("PATH");
  const std::string saved = path ? path : "";
  setenv("PATH", Path("nothing").c_str(), 1);
  const ProgramResult run = RunProgram({"x.nrs"}, dir_);
  setenv("PATH", saved.c_str(), 1);
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("ARJ 形式書庫 を扱うには arj が 必要です。"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace nura::test
