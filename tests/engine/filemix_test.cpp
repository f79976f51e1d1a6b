#include "engine/filemix.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "engine/cipher.h"
#include "engine/errors.h"
#include "platform/sjis.h"
#include "common/file_size_limit.h"

namespace nura {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, std::string_view data, bool append = false) {
  std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

class FileMix : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("nura_filemix_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // A container of three entries: plain text, enciphered binary with a NUL,
  // and a text under a mixed-case name.
  std::string MakeSample() {
    WriteAll(Path("a.txt"), "hello");
    WriteAll(Path("b.bin"), std::string("bin\0ary data", 12));
    WriteAll(Path("c.nrs"), SJ("「こんにちは」と言う"));
    TFileMixWriter w;
    w.lines = {Path("a.txt") + "=a.txt=0", Path("b.bin") + "=b.bin=1", Path("c.nrs") + "=Nurasera.nrs=1"};
    EXPECT_TRUE(w.SaveToFile(Path("sample.mix")));
    return Path("sample.mix");
  }

  fs::path dir_;
};

TEST_F(FileMix, EmptyContainerBytes) {
  TFileMixWriter w;
  ASSERT_TRUE(w.SaveToFile(Path("empty.mix")));
  EXPECT_EQ(ReadAll(Path("empty.mix")), std::string("\x66\x4D\x69\x78\x01\x00\x00\x0B\x00\x00\x00", 11));
  TFileMixReader r(Path("empty.mix"));
  EXPECT_EQ(r.Index().Count(), 0);
  std::string data;
  EXPECT_FALSE(r.ExtractToStream("x", data));
}

TEST_F(FileMix, LayoutOfOneEntry) {
  WriteAll(Path("a.txt"), "hello");
  TFileMixWriter w;
  w.lines = {Path("a.txt") + "=a.txt=7"};
  ASSERT_TRUE(w.SaveToFile(Path("one.mix")));
  const std::string bytes = ReadAll(Path("one.mix"));
  ASSERT_EQ(bytes.size(), 11u + 265u + 5u);
  EXPECT_EQ(bytes.substr(0, 11), std::string("fMix\x01\x01\x00\x19\x01\x00\x00", 11));
  std::string name(256, '\0');
  name.replace(0, 5, "A.TXT");
  EXPECT_EQ(bytes.substr(11, 256), name);
  EXPECT_EQ(bytes.substr(267, 9), std::string("\x14\x01\x00\x00\x05\x00\x00\x00\x07", 9));
  EXPECT_EQ(bytes.substr(276), "hello");
}

TEST_F(FileMix, EntriesReadBack) {
  const std::string file = MakeSample();
  TFileMixReader r(file);
  std::string data;
  ASSERT_TRUE(r.ExtractToStream("a.txt", data));
  EXPECT_EQ(data, "hello");
  ASSERT_TRUE(r.ExtractToStream("B.BIN", data));
  EXPECT_EQ(data, std::string("bin\0ary data", 12));
  std::string text;
  ASSERT_TRUE(r.ExtractToString("b.bin", text));
  EXPECT_EQ(text, "bin");
  ASSERT_TRUE(r.ExtractToString("nurasera.NRS", text));
  EXPECT_EQ(text, SJ("「こんにちは」と言う"));
  EXPECT_FALSE(r.ExtractToString("missing", text));
  ASSERT_TRUE(r.ExtractToFile("b.bin", Path("out.bin")));
  EXPECT_EQ(ReadAll(Path("out.bin")), std::string("bin\0ary data", 12));
  EXPECT_FALSE(r.ExtractToFile("missing", Path("none.bin")));
  EXPECT_FALSE(fs::exists(Path("none.bin")));
  r.CopyTo(Path("copy.mix"));
  EXPECT_EQ(ReadAll(Path("copy.mix")), ReadAll(file));
}

TEST_F(FileMix, EncipheredEntryIsStoredThroughTheCipher) {
  const std::string file = MakeSample();
  const std::string bytes = ReadAll(file);
  TFileMixReader r(file);
  const TMixIndexNode* node = r.Index().Find("B.BIN");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->flag, 1);
  const std::string stored = bytes.substr(static_cast<size_t>(node->offset), static_cast<size_t>(node->size));
  TCipher c;
  c.Assign(std::string("bin\0ary data", 12));
  c.Transform(SJ("]ぬけ#ぽれ＊?>>>"));
  EXPECT_EQ(stored, c.Memory());
  EXPECT_EQ(MixContainerKey().size(), 16u);
}

TEST_F(FileMix, NamesDuplicatesAndLines) {
  WriteAll(Path("x"), "first");
  WriteAll(Path("y"), "second");
  const std::string longName(300, 'n');
  TFileMixWriter w;
  w.lines = {Path("x") + "=same=0", Path("y") + "=SAME", Path("x") + "=" + longName + "=0",
             Path("y"), Path("x") + "=odd=flag"};
  ASSERT_TRUE(w.SaveToFile(Path("d.mix")));
  const std::string bytes = ReadAll(Path("d.mix"));
  EXPECT_EQ(bytes[5], 5);  // five records, duplicates included
  TFileMixReader r(Path("d.mix"));
  std::string data;
  ASSERT_TRUE(r.ExtractToStream("same", data));
  EXPECT_EQ(data, "second");
  EXPECT_FALSE(r.ExtractToStream(longName, data));
  ASSERT_TRUE(r.ExtractToStream(longName.substr(0, 255), data));
  EXPECT_EQ(data, "first");
  // A line with a path only: empty name, flag 0.
  EXPECT_EQ(bytes[11 + 3 * 265], '\0');
  EXPECT_EQ(bytes[11 + 3 * 265 + 264], '\0');
  ASSERT_TRUE(r.ExtractToStream("ODD", data));
  EXPECT_EQ(data, "first");
}

TEST_F(FileMix, WriterRangeErrors) {
  WriteAll(Path("x"), "x");
  TFileMixWriter w;
  w.lines = {Path("x") + "=a=256"};
  EXPECT_THROW(w.SaveToFile(Path("e.mix")), ERangeError);
  w.lines = {Path("x") + "=a=-1"};
  EXPECT_THROW(w.SaveToFile(Path("e.mix")), ERangeError);
  w.lines.assign(65536, Path("x") + "=a=0");
  EXPECT_THROW(w.SaveToFile(Path("e.mix")), ERangeError);
  w.lines = {Path("missing") + "=a=0"};
  EXPECT_THROW(w.SaveToFile(Path("e.mix")), ERuntimeError);
}

// A save that fails midway keeps the old container whole: a source that
// cannot be read after others were written, and a write error (beyond the
// file-size limit). No temporary file stays beside it.
TEST_F(FileMix, FailedSaveKeepsTheOldContainer) {
  const std::string container = MakeSample();
  const std::string before = ReadAll(container);
  const auto entries = [&] { return std::distance(fs::directory_iterator(dir_), {}); };
  const auto count = entries();

  TFileMixWriter missing;
  missing.lines = {Path("a.txt") + "=a.txt=0", Path("gone.txt") + "=gone.txt=0"};
  EXPECT_THROW(missing.SaveToFile(container), ERuntimeError);
  EXPECT_EQ(ReadAll(container), before);

  WriteAll(Path("big.bin"), std::string(64 * 1024, 'x'));
  TFileMixWriter big;
  big.lines = {Path("a.txt") + "=a.txt=0", Path("big.bin") + "=big.bin=0"};
  {
    test::FileSizeLimit limit(before.size() + 1024);
    EXPECT_THROW(big.SaveToFile(container), ERuntimeError);
  }
  EXPECT_EQ(ReadAll(container), before);
  EXPECT_EQ(entries(), count + 1);  // big.bin only
  EXPECT_TRUE(big.SaveToFile(container));
  EXPECT_GT(ReadAll(container).size(), before.size() + 1024);
}

TEST_F(FileMix, IndexHash) {
  TMixIndexHash h;
  EXPECT_EQ(h.Add(nullptr), -1);
  auto node = [](const std::string& name, int32_t size) {
    auto n = std::make_unique<TMixIndexNode>();
    n->name = name;
    n->size = size;
    return n;
  };
  EXPECT_EQ(h.Add(node("AB", 1)), 1);
  EXPECT_EQ(h.Add(node("BA", 2)), 2);  // same bucket, another name
  EXPECT_EQ(h.Add(node("AB", 3)), 2);  // replaces
  EXPECT_EQ(h.Find("AB")->size, 3);
  EXPECT_EQ(h.Find("BA")->size, 2);
  EXPECT_EQ(h.Find("ab"), nullptr);
  EXPECT_EQ(h.Find(""), nullptr);
  h.Clear();
  EXPECT_EQ(h.Count(), 0);
  EXPECT_EQ(h.Find("AB"), nullptr);
}

TEST_F(FileMix, BadMagicGivesTheHeaderMessage) {
  WriteAll(Path("bad.mix"), "fmix\x01\x00\x00\x0B\x00\x00\x00");
  try {
    TFileMixReader r(Path("bad.mix"));
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.what(), "\"" + Path("bad.mix") + SJ("\"は、TFileMixHeaderでは形式が違うため読めません。"));
  }
  EXPECT_THROW(TFileMixReader(Path("absent.mix")), ERuntimeError);
}

// Every truncation and random byte damage: the header message or a clean
// false, never a crash or an oversized allocation (run under the sanitizers).
TEST_F(FileMix, TruncatedAndCorruptedContainers) {
  const std::string good = ReadAll(MakeSample());
  const std::string damaged = Path("damaged.mix");
  for (size_t len = 0; len < good.size(); ++len) {
    WriteAll(damaged, good.substr(0, len));
    EXPECT_THROW(TFileMixReader r(damaged), EReadError) << "length " << len;
  }
  std::mt19937 rng(12345);
  const std::vector<std::string> names = {"a.txt", "b.bin", "nurasera.nrs", "A.TXT"};
  int opened = 0;
  for (int round = 0; round < 1500; ++round) {
    std::string bytes = good;
    const int changes = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < changes; ++k) {
      // Mostly the header and the table, where damage matters.
      const size_t at = rng() % 3 ? rng() % std::min<size_t>(bytes.size(), 11 + 3 * 265) : rng() % bytes.size();
      bytes[at] = static_cast<char>(rng());
    }
    if (rng() % 4 == 0) bytes.resize(rng() % bytes.size());
    WriteAll(damaged, bytes);
    try {
      TFileMixReader r(damaged);
      ++opened;
      std::string data;
      for (const auto& n : names) r.ExtractToStream(n, data);
    } catch (const EReadError&) {
    }
  }
  EXPECT_GT(opened, 0);
}

// The program's own executable with a container appended behind it.
TEST_F(FileMix, ContainerAppendedToTheExecutable) {
  const std::string exe = std::string(NURA_BIN_DIR) + "/nurasera";
  ASSERT_TRUE(fs::exists(exe));
  const std::string container = ReadAll(MakeSample());
  const std::string program = Path("program");
  fs::copy_file(exe, program);
  std::string data;
  EXPECT_FALSE(FindAppendedData(program, data));  // nothing appended yet
  WriteAll(program, container, true);
  ASSERT_TRUE(FindAppendedData(program, data));
  EXPECT_EQ(data, container);
  WriteAll(Path("tmp.mix"), data);
  TFileMixReader r(Path("tmp.mix"));
  std::string text;
  ASSERT_TRUE(r.ExtractToString("nurasera.nrs", text));
  EXPECT_EQ(text, SJ("「こんにちは」と言う"));

  // Other bytes before the container are copied too, so the reader refuses.
  fs::copy_file(exe, Path("program2"));
  WriteAll(Path("program2"), "xyz" + container, true);
  ASSERT_TRUE(FindAppendedData(Path("program2"), data));
  EXPECT_EQ(data.substr(0, 3), "xyz");
  WriteAll(Path("tmp2.mix"), data);
  EXPECT_THROW(TFileMixReader r2(Path("tmp2.mix")), EReadError);

  // A damaged ELF header never crashes the locator: a few rounds on the
  // whole image, many on its head alone (the tables then lie beyond the end).
  const std::string image = ReadAll(program);
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    std::string bytes = round < 2 ? image : image.substr(0, 4096);
    bytes[rng() % 64] = static_cast<char>(rng());
    WriteAll(Path("program3"), bytes);
    FindAppendedData(Path("program3"), data);
  }
}

TEST_F(FileMix, PeImageLocator) {
  std::string pe(0x210, '\0');
  pe[0] = 'M';
  pe[1] = 'Z';
  pe[0x3C] = 0x40;
  pe[0x46] = 1;                // one section
  pe[0x148] = 0x10;            // raw size
  pe[0x14C] = 0x00;            // raw data pointer 0x200
  pe[0x14D] = 0x02;
  WriteAll(Path("pe.exe"), pe + "fMix-rest");
  std::string data;
  ASSERT_TRUE(FindAppendedData(Path("pe.exe"), data));
  EXPECT_EQ(data, "fMix-rest");
  WriteAll(Path("pe2.exe"), pe + "no container");
  EXPECT_FALSE(FindAppendedData(Path("pe2.exe"), data));
  pe[0x46] = 0;  // zero sections
  WriteAll(Path("pe3.exe"), pe + "fMix");
  EXPECT_FALSE(FindAppendedData(Path("pe3.exe"), data));
  WriteAll(Path("short.exe"), "MZ");
  EXPECT_FALSE(FindAppendedData(Path("short.exe"), data));
  WriteAll(Path("text.txt"), "plain text fMix");
  EXPECT_FALSE(FindAppendedData(Path("text.txt"), data));

  // Headers far into the file, the raw size spanning offset 32768.
  std::string far(0x8110, '\0');
  far[0] = 'M';
  far[0x3C] = static_cast<char>(0xF6);  // PE header at 0x7EF6
  far[0x3D] = 0x7E;
  far[0x7EF6 + 6] = 1;                  // one section, its header at 0x7FEE
  far[0x7FFE] = 0x10;                   // raw size 0x10 at 0x7FFE..0x8001
  far[0x8003] = static_cast<char>(0x81);  // raw data pointer 0x8100 at 0x8002
  WriteAll(Path("far.exe"), far + "fMix-far");
  ASSERT_TRUE(FindAppendedData(Path("far.exe"), data));
  EXPECT_EQ(data, "fMix-far");
}

}  // namespace
}  // namespace nura
