// Our LHA and CAB writers on data that spans many blocks and on the
// degenerate tables (one symbol, no matches), read back by libarchive and
// checked by lhasa and cabextract; files read into a tar archive whole,
// or refused when they are not of the size listed or not regular files.
#include <sys/stat.h>

#include <random>
#include <sstream>

#include "archive/archive_io.h"
#include "archive/cab_writer.h"
#include "archive/lha_writer.h"
#include "archive_test_support.h"
#include "platform/file_io.h"

namespace nura::test {
namespace {

class Writers : public ArchiveFixture {
 protected:
  static std::vector<std::pair<std::string, std::string>> Samples() {
    std::mt19937 random(99);
    std::string words, noise, pairs;
    const char* vocabulary[] = {"archive ", "member ", "header ", "huffman ", "window ", "\n"};
    for (int i = 0; i < 60000; ++i) words += vocabulary[random() % 6];
    for (int i = 0; i < 70000; ++i) noise += static_cast<char>(random());
    for (int i = 0; i < 9000; ++i) pairs += (i % 2 ? 'a' : 'b');
    return {{"words.txt", words},          {"noise.bin", noise},   {"same.txt", std::string(100000, 'x')},
            {"pairs.txt", pairs},          {"one.txt", "1"},       {"empty.txt", ""},
            {"sub/日本語.txt", "日本語"}};
  }

  void ExpectReadBack(TBackendFormat format, const std::string& file,
                      const std::vector<std::pair<std::string, std::string>>& samples) {
    TUtf8Locale locale;
    TArchiveReader reader(format);
    ASSERT_TRUE(reader.Open(file)) << reader.Error();
    TMember member;
    size_t index = 0;
    for (int r; (r = reader.Next(member)) != 0; ++index) {
      ASSERT_EQ(r, 1) << reader.Error();
      ASSERT_LT(index, samples.size());
      std::string data;
      ASSERT_TRUE(reader.ReadData(data)) << reader.Error();
      EXPECT_EQ(member.name, samples[index].first);
      EXPECT_TRUE(data == samples[index].second) << member.name;
    }
    EXPECT_EQ(index, samples.size());
  }
};

TEST_F(Writers, LhaReadsBackThroughLibarchiveAndLhasa) {
  const auto samples = Samples();
  std::ostringstream out;
  TLhaWriter writer(out);
  for (const auto& [name, data] : samples) writer.AddFile(Utf8ToSjis(name), 1700000000, data, false);
  ASSERT_TRUE(writer.Finish());
  WriteBytes(Path("w.lzh"), out.str());
  EXPECT_LT(out.str().size(), 200000u);  // the text compresses, the noise is stored
  ExpectReadBack(TBackendFormat::Lha, Path("w.lzh"), samples);
  if (HaveTool("lhasa")) {
    const ToolResult tested = RunTool("lhasa t '" + Path("w.lzh") + "'");
    EXPECT_EQ(tested.status, 0) << tested.output;
    EXPECT_EQ(tested.output.find("CRC"), std::string::npos) << tested.output;
  }
  EXPECT_EQ(LhaCrc16("123456789"), 0xBB3D);
}

TEST_F(Writers, CabReadsBackThroughLibarchiveAndCabextract) {
  const auto samples = Samples();
  TCabWriter writer;
  for (const auto& [name, data] : samples) writer.AddFile(name, 1700000000, data);
  std::ostringstream out;
  ASSERT_TRUE(writer.Write(out));
  WriteBytes(Path("w.cab"), out.str());
  ExpectReadBack(TBackendFormat::Cab, Path("w.cab"), samples);
  if (HaveTool("cabextract")) {
    const ToolResult tested = RunTool("cabextract -t '" + Path("w.cab") + "'");
    EXPECT_EQ(tested.status, 0) << tested.output;
    EXPECT_NE(tested.output.find("All done, no errors."), std::string::npos) << tested.output;
  }
}

TEST_F(Writers, TarTakesFilesWholeAroundTheReadingBlockAndRefusesOthersAtOnce) {
  std::mt19937 random(3);
  std::vector<std::pair<std::string, std::string>> files;
  for (const size_t size : {0u, 1u, 65535u, 65536u, 65537u, 131072u, 140000u}) {
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    const std::string name = "in/f" + std::to_string(size) + ".bin";
    WriteBytes(Path(name), bytes);
    files.emplace_back(name, bytes);
  }
  TUtf8Locale locale;
  {
    TAtomicFileWriter out(Path("w.tar"));
    ASSERT_TRUE(out.Open());
    std::string error;
    auto sink = OpenMemberSink(TBackendFormat::Tar, "w.tar", out, -1, "", error);
    ASSERT_TRUE(sink) << error;
    for (const auto& [name, bytes] : files) {
      const TMember member{name, 1700000000, false, bytes.size()};
      EXPECT_EQ(sink->AddFile(member, Path(name)), TMemberSink::kAdded) << name << sink->error;
    }
    ASSERT_TRUE(sink->Finish()) << sink->error;
    ASSERT_TRUE(out.Commit());
  }
  ExpectReadBack(TBackendFormat::Tar, Path("w.tar"), files);
  // Not the size listed (grown or shrunk since), a FIFO (which the open
  // never waits for), a file of the kernel whose size says 0, none at all.
  ASSERT_EQ(mkfifo(Path("in/fifo").c_str(), 0600), 0);
  struct Refused {
    std::string native;
    uint64_t size;
    const char* message;
  };
  const std::vector<Refused> refused = {
      {Path(files[3].first), 65535, "読み込み中にファイルが変わったか読めなくなりました。"},
      {Path(files[3].first), 65537, "読み込み中にファイルが変わったか読めなくなりました。"},
      {Path(files[1].first), 0, "読み込み中にファイルが変わったか読めなくなりました。"},
      {Path("in/fifo"), 0, "読み込み中にファイルが変わったか読めなくなりました。"},
      {"/proc/self/status", 0, "読み込み中にファイルが変わったか読めなくなりました。"},
      {Path("in/none"), 0, "読み込めません。"}};
  TAtomicFileWriter out(Path("refused.tar"));
  ASSERT_TRUE(out.Open());
  std::string error;
  for (const Refused& r : refused) {
    if (r.native.rfind("/proc/", 0) == 0 && !std::filesystem::exists(r.native)) continue;
    auto sink = OpenMemberSink(TBackendFormat::Tar, "refused.tar", out, -1, "", error);
    ASSERT_TRUE(sink) << error;
    EXPECT_EQ(sink->AddFile(TMember{"m", 1700000000, false, r.size}, r.native), TMemberSink::kUnreadable)
        << r.native << " " << r.size;
    EXPECT_EQ(sink->error, r.native + ": " + r.message);
  }
}

// Members that fit the plain header come out the same through our own ustar
// writer, whole or block by block, as through libarchive's pax writer; for
// members just outside it the pax writer needs an extended header, so each
// bound is where it draws it.
TEST_F(Writers, PlainTarHeadersAreTheBytesThePaxWriterGives) {
  const auto write = [&](const std::vector<TMember>& members, bool plain) {
    const std::string file = Path(plain ? "plain.tar" : "pax.tar");
    TAtomicFileWriter out(file);
    EXPECT_TRUE(out.Open());
    std::string error;
    auto sink = OpenMemberSink(TBackendFormat::Tar, file, out, -1, "", error, plain);
    EXPECT_TRUE(sink) << error;
    for (size_t i = 0; i < members.size(); ++i) {
      const TMember& member = members[i];
      const std::string data(member.size, static_cast<char>('a' + i % 26));
      if (i % 2 == 0) {
        EXPECT_TRUE(sink->Add(member, data)) << sink->error;
        continue;
      }
      const TDataBlocks halves = [&](const TDataTake& take) {
        return take(std::string_view(data).substr(0, data.size() / 2)) &&
               take(std::string_view(data).substr(data.size() / 2));
      };
      EXPECT_EQ(sink->AddBlocks(member, halves), TMemberSink::kAdded) << sink->error;
    }
    EXPECT_TRUE(sink->Finish()) << sink->error;
    EXPECT_TRUE(out.Commit());
    return ReadBytes(file);
  };
  std::mt19937 random(5);
  std::vector<TMember> members;
  for (int i = 0; i < 200; ++i) {
    std::string name(1 + random() % 100, 'x');
    for (char& c : name) c = static_cast<char>(0x20 + random() % 0x5f);
    members.push_back(TMember{name, static_cast<int64_t>(random() % 0x7fffffff), false, random() % 1500});
  }
  members.push_back(TMember{std::string(100, 'n'), 0x7ffffffe, false, 0});
  for (const TMember& member : members) ASSERT_TRUE(FitsPlainTarHeader(member)) << member.name;
  EXPECT_EQ(write(members, true), write(members, false));
  const std::vector<TMember> outside = {{std::string(101, 'n'), 1700000000, false, 1},
                                        {"t.txt", 0x7fffffff, false, 1},
                                        {"t.txt", -1, false, 1},
                                        {"\xe6\x97\xa5.txt", 1700000000, false, 1}};
  for (const TMember& member : outside) {
    EXPECT_FALSE(FitsPlainTarHeader(member)) << member.name;
    const std::string pax = write({member}, false);
    ASSERT_GT(pax.size(), 156u);
    EXPECT_EQ(pax[156], 'x') << member.name << " " << member.mtime;  // an extended header comes first
  }
  EXPECT_FALSE(FitsPlainTarHeader(TMember{"", 1700000000, false, 1}));
  EXPECT_FALSE(FitsPlainTarHeader(TMember{"tab\t.txt", 1700000000, false, 1}));
  EXPECT_FALSE(FitsPlainTarHeader(TMember{"d", 1700000000, true, 0}));
}

// A member is stored under its path without the drive, the root, empty
// parts, "." and "..", with "/" between the parts, whichever separators
// the path had.
TEST(StoredNames, DropDriveRootAndDotParts) {
  EXPECT_EQ(StoredMemberName("C:\\dir\\.\\sub/../f.txt"), "dir/sub/f.txt");
  EXPECT_EQ(StoredMemberName("/tmp//a/b/"), "tmp/a/b");
  EXPECT_EQ(StoredMemberName("f00001.txt"), "f00001.txt");
  EXPECT_EQ(StoredMemberName("日本\\語.txt"), "日本/語.txt");
  EXPECT_EQ(StoredMemberName(".."), "");
  EXPECT_EQ(StoredMemberName(""), "");
}

}  // namespace
}  // namespace nura::test
