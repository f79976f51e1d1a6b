// "ファイル合成" and "合成ファイル取り出す" on real files.
#include <gmock/gmock.h>

#include <cstdint>
#include <string>

#include "net/net_test_support.h"

namespace nura::test {
namespace {

uint32_t Le32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
  return v;
}

class ContainerTest : public NetCommandTest {
 protected:
  void SetUp() override {
    NetCommandTest::SetUp();
    engine.Base().baseFolder = folder + "/";  // the script's folder: changes there need no question
    WriteFile(folder + "/a.txt", "hello");
    WriteFile(folder + "/b.txt", "abc");
  }
};

TEST_F(ContainerTest, PlainListStoresEachFileUnderItsNameAndReadsBack) {
  const std::string mix = folder + "/c.mix";
  Call(CommandId::MixFiles, {folder + "/a.txt\r\n" + folder + "/b.txt", mix});
  const std::string bytes = ReadFile(mix);
  ASSERT_EQ(bytes.size(), 549u);
  EXPECT_EQ(bytes.substr(0, 5), std::string("fMix\x01", 5));
  EXPECT_EQ(static_cast<unsigned char>(bytes[5]) | static_cast<unsigned char>(bytes[6]) << 8, 2);
  EXPECT_EQ(Le32(bytes, 7), 549u);
  EXPECT_EQ(bytes.substr(11, 6), std::string("A.TXT\0", 6));
  EXPECT_EQ(Le32(bytes, 11 + 256), 541u);
  EXPECT_EQ(Le32(bytes, 11 + 260), 5u);
  EXPECT_EQ(bytes[11 + 264], 0);
  EXPECT_EQ(bytes.substr(11 + 265, 6), std::string("B.TXT\0", 6));
  EXPECT_EQ(Le32(bytes, 11 + 265 + 256), 546u);
  EXPECT_EQ(Le32(bytes, 11 + 265 + 260), 3u);
  EXPECT_EQ(bytes.substr(541), "helloabc");
  EXPECT_EQ(Call(CommandId::ExtractMixedFile, {mix, "b.txt"}), "abc");
  EXPECT_THAT(ErrorOf(CommandId::ExtractMixedFile, {mix, "x.txt"}),
              ::testing::HasSubstr("ファイル\"x.txt\"が、ありません。"));
}

TEST_F(ContainerTest, CommasStandForEqualsAndFlagsEncipher) {
  const std::string withEquals = folder + "/e.mix";
  const std::string withCommas = folder + "/c.mix";
  Call(CommandId::MixFiles, {folder + "/a.txt=first.txt=1\r\n" + folder + "/b.txt=second.txt=0", withEquals});
  Call(CommandId::MixFiles, {folder + "/a.txt,first.txt,1\r\n" + folder + "/b.txt,second.txt,0", withCommas});
  EXPECT_EQ(ReadFile(withCommas), ReadFile(withEquals));
  EXPECT_EQ(ReadFile(withEquals).find("hello"), std::string::npos);  // enciphered
  EXPECT_EQ(Call(CommandId::ExtractMixedFile, {withCommas, "FIRST.TXT"}), "hello");
}

TEST_F(ContainerTest, AMissingSourceLeavesTheOldContainerWhole) {
  const std::string mix = folder + "/c.mix";
  Call(CommandId::MixFiles, {folder + "/a.txt", mix});
  const std::string before = ReadFile(mix);
  EXPECT_NE(ErrorOf(CommandId::MixFiles, {folder + "/a.txt\r\n" + folder + "/missing.txt", mix}), "");
  EXPECT_EQ(ReadFile(mix), before);
  EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{"a.txt", "b.txt", "c.mix"}));
}

}  // namespace
}  // namespace nura::test
