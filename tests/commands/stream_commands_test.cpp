#include "commands/stream_commands.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include "commands/common_memory_stream.h"
#include "common/command_test_support.h"
#include "engine/cipher.h"

namespace nura {
namespace {

TEST(EncipheredFile, RoundTripAndLayout) {
  const std::string text = SJ("秘密のソ表示\r\n") + std::string("\0\xFF", 2);
  const std::string content = EncipherDataFile(text);
  ASSERT_EQ(content.size(), text.size() + 4);
  // The length is not visible in plain.
  EXPECT_NE(content.substr(0, 4), std::string("\x0F\0\0\0", 4));
  // Other enciphering in between does not matter.
  TCipher other;
  other.Assign("abc");
  other.Transform("");
  EXPECT_EQ(DecipherDataFile(content), text);
  EXPECT_EQ(EncipherDataFile(""), "");
  EXPECT_EQ(DecipherDataFile(""), "");
}

TEST(EncipheredFile, DamagedContentIsRefused) {
  std::string content = EncipherDataFile("hello");
  EXPECT_FALSE(DecipherDataFile(content.substr(0, 3)));
  EXPECT_FALSE(DecipherDataFile(content.substr(0, 8)));  // shorter than its length
  content[3] = static_cast<char>(content[3] ^ 0x80);    // a length of gigabytes
  EXPECT_FALSE(DecipherDataFile(content));
  // Foreign bytes never crash or allocate beyond their size.
  for (int n = 4; n < 64; ++n) {
    const auto text = DecipherDataFile(std::string(static_cast<size_t>(n), '\x5A'));
    if (text) {
      EXPECT_LE(text->size(), static_cast<size_t>(n - 4));
    }
  }
}

TEST(SharedMemory, BlocksAreSharedByNameAndBounded) {
  const std::string name = "nuratest-" + std::to_string(::getpid());
  TCommonMemoryStream a(name, 256);
  TCommonMemoryStream b(name, 256);
  a.Write("hello", 5);
  char buffer[8] = {};
  EXPECT_EQ(b.Read(buffer, 5), 5);
  EXPECT_EQ(std::string(buffer, 5), "hello");
  a.Seek(250, 0);
  EXPECT_THROW(a.Write("1234567", 7), EAccessViolation);
  b.Seek(-1, 2);
  EXPECT_EQ(b.Read(buffer, 8), 1);
  EXPECT_EQ(b.Read(buffer, 8), 0);
  b.Seek(-3, 0);
  EXPECT_EQ(b.Read(buffer, 8), 0);
}

class StreamCommands : public CommandFixture {
 protected:
  static void SetUpTestSuite() { RegisterStreamCommands(); }
};

TEST_F(StreamCommands, ShareSaveAndLoad) {
  const std::string name = Text("nuratest-share-" + std::to_string(::getpid()));
  engine.SetResult(std::string(300, 'a'), "s");
  Call(CommandId::ShareSave, {name});
  EXPECT_EQ(Call(CommandId::ShareLoad, {name}), std::string(256, 'a'));
  engine.SetResult(SJ("短い"), "s");
  Call(CommandId::ShareSave, {name});
  EXPECT_EQ(Call(CommandId::ShareLoad, {name}), SJ("短い"));
  EXPECT_EQ(Kind(), "s");
  EXPECT_EQ(Call(CommandId::ShareLoad, {Text("nuratest-never-" + std::to_string(::getpid()))}), "");
}

}  // namespace
}  // namespace nura
