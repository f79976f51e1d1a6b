// A pack that cannot finish leaves the old archive byte for byte and no
// file of its own behind, in every format that can be written: a source
// file that vanishes or shrinks while the library packs, and writes that
// fail (the process's file-size limit) in the library and in "圧縮".
#include <filesystem>
#include <random>
#include <set>

#include "archive/archive_file.h"
#include "archive_test_support.h"
#include "common/file_size_limit.h"

namespace nura::test {
namespace {

namespace fs = std::filesystem;

const char* const kArchives[] = {"old.lzh", "old.zip", "old.cab", "old.tgz", "old.7z"};

class FailedSave : public ArchiveFixture {
 protected:
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) names.insert(entry.path().string());
    return names;
  }
  // An archive of p/a.txt packed by the library.
  void PackOld(TArchiveFile& file, const std::string& name) {
    WriteBytes(Path("p/a.txt"), "a");
    file.SetFileName(Path(name));
    file.SetOutputSize(1000);
    file.Options().x = 1;
    file.Options().jso = 1;
    ASSERT_EQ(file.Pack(nullptr, nullptr, {"p/a.txt"}, dir_), 0) << name << file.Output();
  }
  // Bytes that no format can make smaller.
  static std::string Noise(size_t size) {
    std::mt19937 random(7);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
  }
};

TEST_F(FailedSave, ASourceFileThatVanishesOrShrinksMidPackLeavesTheOldArchive) {
  for (const bool vanish : {true, false}) {
    for (const char* name : kArchives) {
      if (fs::path(name).extension() == ".zip") continue;  // its packer reports no progress
      TArchiveFile file;
      PackOld(file, name);
      const std::string before = ReadBytes(Path(name));
      WriteBytes(Path("p/b.txt"), std::string(100000, 'b'));
      const std::set<std::string> entries = Entries();
      // The member is listed, then gone or shorter when the library comes
      // to read it.
      file.OnProgress = [&](TArchiveFile&, int state, TExtractingInfo*, bool&) {
        if (state != kArcExtractBegin) return;
        if (vanish) fs::remove(Path("p/b.txt"));
        else WriteBytes(Path("p/b.txt"), "b");
      };
      EXPECT_NE(file.Pack(nullptr, nullptr, {"p/b.txt"}, dir_), 0) << name;
      EXPECT_NE(file.Output().find("p/b.txt"), std::string::npos) << name << file.Output();
      EXPECT_TRUE(ReadBytes(Path(name)) == before) << name;
      std::set<std::string> after = Entries();
      after.insert(Path("p/b.txt"));
      EXPECT_EQ(after, entries) << name;
    }
  }
}

TEST_F(FailedSave, AWriteThatFailsLeavesTheOldArchive) {
  WriteBytes(Path("p/big.bin"), Noise(300000));
  for (const char* name : kArchives) {
    TArchiveFile file;
    PackOld(file, name);
    const std::string before = ReadBytes(Path(name));
    const std::set<std::string> entries = Entries();
    {
      FileSizeLimit limit(100000);
      EXPECT_NE(file.Pack(nullptr, nullptr, {"p/big.bin"}, dir_), 0) << name;
    }
    EXPECT_TRUE(ReadBytes(Path(name)) == before) << name;
    EXPECT_EQ(Entries(), entries) << name;
  }
}

TEST_F(FailedSave, PackCommandThatCannotWriteLeavesTheOldArchive) {
  WriteBytes(Path("small.txt"), "small");
  WriteBytes(Path("big.bin"), Noise(300000));
  for (const char* name : kArchives) {
    ASSERT_EQ(ErrorOf(CommandId::Pack, {Arg("small.txt"), Arg(name)}), "") << name;
    const std::string before = ReadBytes(Path(name));
    const std::set<std::string> entries = Entries();
    std::string error;
    {
      FileSizeLimit limit(100000);
      error = ErrorOf(CommandId::Pack, {Arg("big.bin"), Arg(name)});
    }
    EXPECT_NE(SjisToUtf8(error).find("ファイル圧縮のエラー。"), std::string::npos) << name << error;
    EXPECT_TRUE(ReadBytes(Path(name)) == before) << name;
    EXPECT_EQ(Entries(), entries) << name;
  }
}

}  // namespace
}  // namespace nura::test
