// Our LHA and CAB writers on data that spans many blocks and on the
// degenerate tables (one symbol, no matches), read back by libarchive and
// checked by lhasa and cabextract.
#include <random>
#include <sstream>

#include "archive/archive_io.h"
#include "archive/cab_writer.h"
#include "archive/lha_writer.h"
#include "archive_test_support.h"

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

}  // namespace
}  // namespace nura::test
