// Members of tens of MB through "圧縮" and "解凍" in LHA and CAB, whose
// writers read them in blocks: compressible text and noise (which LHA
// stores after trying to code it) come back byte for byte, also after a
// file joined the archive and its old members were copied over.
#include <filesystem>
#include <fstream>
#include <random>

#include "archive/archive_file.h"
#include "archive_test_support.h"

namespace nura::test {
namespace {

namespace fs = std::filesystem;

class LargeMembers : public ArchiveFixture {
 protected:
  // Writes `size` bytes made by `next` in pieces.
  template <class Next>
  void MakeFile(const std::string& native, size_t size, Next next) {
    fs::create_directories(fs::path(native).parent_path());
    std::ofstream out(native, std::ios::binary);
    std::string piece;
    for (size_t done = 0; done < size; done += piece.size()) {
      piece.clear();
      while (piece.size() < (1 << 16) && done + piece.size() < size) next(piece);
      piece.resize(std::min(piece.size(), size - done));
      out << piece;
    }
  }
  void MakeFiles() {
    std::mt19937 random(5);
    const char* words[] = {"archive ", "member ", "block ", "window ", "stream ", "\r\n"};
    MakeFile(Path("big/text.txt"), 16 << 20, [&](std::string& s) { s += words[random() % 6]; });
    MakeFile(Path("big/noise.bin"), 6 << 20, [&](std::string& s) { s += static_cast<char>(random()); });
    WriteBytes(Path("big/one.txt"), "1");
  }
};

TEST_F(LargeMembers, RoundTripByteForByte) {
  MakeFiles();
  const std::string list = Path("big/text.txt") + "\r\n" + Path("big/noise.bin");
  for (const char* archive : {"big.lzh", "big.cab"}) {
    ASSERT_EQ(ErrorOf(CommandId::Pack, {Jp(list), Arg(archive)}), "") << archive;
    EXPECT_LT(fs::file_size(Path(archive)), 16u << 20) << archive;  // the text shrank
    for (const bool joined : {false, true}) {
      if (joined) {
        TArchiveFile file;
        file.SetFileName(Path(archive));
        file.Options().jso = 1;
        ASSERT_EQ(file.Pack(nullptr, nullptr, {"one.txt"}, Path("big")), 0) << archive;
      }
      const std::string out = std::string("out-") + archive + (joined ? "-joined" : "");
      ASSERT_EQ(ErrorOf(CommandId::Unpack, {Arg(archive), Arg(out + "/")}), "") << archive;
      for (const char* name : {"text.txt", "noise.bin"})
        EXPECT_TRUE(ReadBytes(Path(out + "/" + name)) == ReadBytes(Path(std::string("big/") + name)))
            << archive << " " << name;
      EXPECT_EQ(ReadBytes(Path(out + "/one.txt")), joined ? "1" : "");
    }
  }
  if (HaveTool("lhasa")) {
    const ToolResult tested = RunTool("lhasa t '" + Path("big.lzh") + "'");
    EXPECT_EQ(tested.status, 0) << tested.output;
    EXPECT_EQ(tested.output.find("CRC"), std::string::npos) << tested.output;
  }
  if (HaveTool("cabextract")) {
    const ToolResult tested = RunTool("cabextract -t '" + Path("big.cab") + "'");
    EXPECT_NE(tested.output.find("All done, no errors."), std::string::npos) << tested.output;
  }
}

}  // namespace
}  // namespace nura::test
