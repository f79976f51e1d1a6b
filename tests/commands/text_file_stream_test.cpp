#include "commands/text_file_stream.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/file_io.h"
#include "platform/sjis.h"
#include "common/run_program.h"

namespace nura {
namespace {

class TextFileStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = test::MakeTempFolder();
    path = folder + "/t.txt";
  }
  void TearDown() override { std::filesystem::remove_all(folder); }
  void Write(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
  void ExpectLinesOfByteAtATimeReading(const std::string& bytes, int round);
  std::string Content() {
    std::string bytes;
    ReadNativeFile(path, bytes);
    return bytes;
  }
  std::string folder, path;
};

TEST_F(TextFileStreamTest, LineEndsOfEveryKindAndTheLastLine) {
  Write(std::string("a\r\nb\nc\rd\0e\r\n\r\nlast", 18));
  TTextFileStream s(path, kOpenRead);
  for (const char* want : {"a", "b", "c", "d", "e", ""}) {
    EXPECT_FALSE(s.Eof());
    EXPECT_EQ(s.ReadLine(), want);
  }
  EXPECT_EQ(s.ReadLine(), "last");
  EXPECT_TRUE(s.Eof());
  EXPECT_EQ(s.ReadLine(), "");
}

TEST_F(TextFileStreamTest, PairsAcrossTheBufferBoundary) {
  // CR at byte 4095, LF at 4096: one line end.
  Write(std::string(4095, 'x') + "\r\nnext\r\n");
  {
    TTextFileStream s(path, kOpenRead);
    EXPECT_EQ(s.ReadLine(), std::string(4095, 'x'));
    EXPECT_EQ(s.ReadLine(), "next");
    EXPECT_TRUE(s.Eof());
  }
  // A two-byte character split by the boundary stays whole; its trail
  // byte 0x5C is no separator.
  const std::string so = SJ("ソ");
  Write(std::string(4095, 'y') + so + "\n");
  TTextFileStream s(path, kOpenRead);
  EXPECT_EQ(s.ReadLine(), std::string(4095, 'y') + so);
  EXPECT_TRUE(s.Eof());
}

// The byte-at-a-time reading of one line from `at`: a lead byte takes the
// byte after it whatever it is; CR, LF, CR LF and NUL end the line.
std::string SimpleReadLine(const std::string& bytes, size_t& at) {
  std::string line;
  while (at < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[at++]);
    if (IsSjisLead(c)) {
      line += static_cast<char>(c);
      if (at < bytes.size()) line += bytes[at++];
      continue;
    }
    if (c == '\n' || c == '\0') break;
    if (c == '\r') {
      if (at < bytes.size() && bytes[at] == '\n') ++at;
      break;
    }
    line += static_cast<char>(c);
  }
  return line;
}

// Writes `bytes` and reads them back line by line into a buffer that held
// text before: every line and position as byte-at-a-time reading gives
// them, the end where the bytes end, and nothing behind it.
void TextFileStreamTest::ExpectLinesOfByteAtATimeReading(const std::string& bytes, int round) {
  Write(bytes);
  TTextFileStream s(path, kOpenRead);
  std::string line = "left over";
  size_t at = 0;
  while (at < bytes.size()) {
    ASSERT_FALSE(s.Eof()) << round << " at " << at;
    const std::string expected = SimpleReadLine(bytes, at);
    s.ReadLine(line);
    ASSERT_EQ(line, expected) << round << " at " << at;
    ASSERT_EQ(s.Position(), static_cast<int64_t>(at)) << round;
  }
  EXPECT_TRUE(s.Eof()) << round;
  s.ReadLine(line);
  EXPECT_EQ(line, "") << round;
}

TEST_F(TextFileStreamTest, LinesAgreeWithByteAtATimeReadingAcrossBoundaries) {
  std::mt19937 random(39);
  static const char kBytes[] = {'a', '\r', '\n', '\0', '\x81', '\x83', '\x5C', '\x41', '\x0D'};
  for (int round = 0; round < 40; ++round) {
    // Around one or two buffers, with the interesting bytes near the edges.
    const size_t size = TTextFileStream::kBufferSize * (1 + round % 2) - 8 + random() % 16;
    std::string bytes(size, 'x');
    for (char& c : bytes) {
      if (random() % 4 == 0) c = kBytes[random() % sizeof kBytes];
    }
    for (size_t k = 1; k <= 2; ++k) {
      const size_t boundary = k * TTextFileStream::kBufferSize;
      for (size_t edge = boundary - 3; edge < std::min(size, boundary + 3); ++edge)
        bytes[edge] = kBytes[random() % sizeof kBytes];
    }
    ASSERT_NO_FATAL_FAILURE(ExpectLinesOfByteAtATimeReading(bytes, round));
  }
}

TEST_F(TextFileStreamTest, RunsOfLeadBytesBeforeLineEndsAgreeWithByteAtATimeReading) {
  // Long runs of bytes that are all lead bytes (characters whose trail is
  // a lead byte too), odd and even, before CR, LF and NUL: whether the end
  // byte is a trail hangs on the count of the run, across buffer fills.
  std::mt19937 random(11);
  static const char kLeads[] = {'\x81', '\x88', '\x9F', '\xE0', '\xFC'};
  static const char kOthers[] = {'\r', '\n', '\0', 'a', '\x5C'};
  for (int round = 0; round < 30; ++round) {
    const size_t size = TTextFileStream::kBufferSize * (1 + round % 2) + random() % 32;
    std::string bytes;
    while (bytes.size() < size) {
      bytes.append(random() % (round % 3 == 0 ? 40 : 6), kLeads[random() % sizeof kLeads]);
      bytes += kOthers[random() % sizeof kOthers];
    }
    ASSERT_NO_FATAL_FAILURE(ExpectLinesOfByteAtATimeReading(bytes, round));
  }
}

TEST_F(TextFileStreamTest, LongPlainRunsAgreeWithByteAtATimeReading) {
  // Plain runs of many words with the odd byte that only looks special
  // (half-width kana, 0x80, 0xFD..0xFF, control bytes, DEL) between line
  // ends and lead bytes, at every offset within a word, and lines that
  // pass one or more buffer fills whole.
  std::mt19937 random(7);
  static const char kOdd[] = {'\xA0', '\xB1', '\xDF', '\x80', '\xFD', '\xFF', '\x01', '\x09',
                              '\x0B', '\x0C', '\x0E', '\x7F', '\x5C', '\x40'};
  static const char kEnds[] = {'\r', '\n', '\0', '\x81', '\x9F', '\xE0', '\xFC'};
  for (int round = 0; round < 60; ++round) {
    const size_t size = TTextFileStream::kBufferSize * (1 + round % 3) + random() % 64;
    const unsigned sparse = 2 + static_cast<unsigned>(round % 5) * 40;  // one end in about this many
    std::string bytes(size, 'a');
    for (char& c : bytes) {
      c = static_cast<char>('0' + random() % 64);
      if (random() % 16 == 0) c = kOdd[random() % sizeof kOdd];
      if (random() % sparse == 0) c = kEnds[random() % sizeof kEnds];
    }
    if (round % 7 == 0) bytes.back() = '\x82';  // a lead byte as the file's last
    ASSERT_NO_FATAL_FAILURE(ExpectLinesOfByteAtATimeReading(bytes, round));
  }
}

// Reads, writes, seeks and raw reads in random order against the same
// operations on the bytes in memory: the position the script sees, the
// end, and the file's content agree after each.
TEST_F(TextFileStreamTest, MixedOperationsAgreeWithTheBytesInMemory) {
  std::mt19937 random(11);
  static const char kBytes[] = {'a', 'b', '\r', '\n', '\0', '\x83', '\x5C', ' '};
  auto randomText = [&](size_t n) {
    std::string text;
    for (size_t i = 0; i < n; ++i) text += kBytes[random() % sizeof kBytes];
    return text;
  };
  for (int round = 0; round < 12; ++round) {
    std::string bytes = randomText(TTextFileStream::kBufferSize * 2 + random() % 300);
    Write(bytes);
    TTextFileStream s(path, kOpenReadWrite);
    size_t at = 0;
    // Writing at `at` past the end leaves a gap of zero bytes.
    auto put = [&](const std::string& text) {
      if (bytes.size() < at + text.size()) bytes.resize(at + text.size(), '\0');
      bytes.replace(at, text.size(), text);
      at += text.size();
    };
    for (int step = 0; step < 400; ++step) {
      const unsigned op = random() % 10;
      if (op < 5) {
        const std::string expected = SimpleReadLine(bytes, at);
        ASSERT_EQ(s.ReadLine(), expected) << round << " step " << step;
      } else if (op == 5) {
        at = random() % (bytes.size() + 8);
        ASSERT_EQ(s.Seek(static_cast<int64_t>(at), TSeekOrigin::Begin), static_cast<int64_t>(at));
      } else if (op == 6) {
        const int64_t back = -static_cast<int64_t>(random() % std::min<size_t>(bytes.size(), 5000));
        at = bytes.size() + static_cast<size_t>(back);
        ASSERT_EQ(s.Seek(back, TSeekOrigin::End), static_cast<int64_t>(at));
      } else if (op == 7) {
        const size_t n = random() % 5000;
        const std::string expected = at < bytes.size() ? bytes.substr(at, n) : "";
        ASSERT_EQ(s.Read(n), expected) << round << " step " << step;
        at += expected.size();
      } else if (op == 8) {
        const std::string text = randomText(random() % 40);
        s.Write(text);
        put(text);
      } else {
        const std::string text = randomText(random() % 10);
        s.WriteLine(text);
        put(text + "\r\n");
      }
      ASSERT_EQ(s.Position(), static_cast<int64_t>(at)) << round << " step " << step << " op " << op;
      ASSERT_EQ(s.Eof(), at >= bytes.size()) << round << " step " << step;
      ASSERT_EQ(s.Size(), static_cast<int64_t>(bytes.size()));
    }
    EXPECT_EQ(Content(), bytes) << round;
  }
}

TEST_F(TextFileStreamTest, WritesGoWhereTheScriptStands) {
  Write("one\r\ntwo\r\nthree\r\n");
  TTextFileStream s(path, kOpenReadWrite);
  EXPECT_EQ(s.ReadLine(), "one");
  EXPECT_EQ(s.Position(), 5);
  // The buffer read ahead; the write still lands behind the line read.
  s.Write("TWO");
  EXPECT_EQ(Content(), "one\r\nTWO\r\nthree\r\n");
  EXPECT_EQ(s.ReadLine(), "");
  EXPECT_EQ(s.Read(3), "thr");
  s.Seek(0, TSeekOrigin::End);
  EXPECT_TRUE(s.Eof());
  s.WriteLine("four");
  EXPECT_EQ(Content(), "one\r\nTWO\r\nthree\r\nfour\r\n");
}

TEST_F(TextFileStreamTest, AWriteAfterReadingToTheEndAppends) {
  Write("only");
  TTextFileStream s(path, kOpenReadWrite);
  EXPECT_EQ(s.ReadLine(), "only");
  EXPECT_TRUE(s.Eof());
  s.WriteLine("more");
  EXPECT_EQ(Content(), "onlymore\r\n");
}

TEST_F(TextFileStreamTest, OpenModesAndFailures) {
  EXPECT_THROW(TTextFileStream(folder + "/missing", kOpenRead), EStreamError);
  EXPECT_THROW(TTextFileStream(folder, kOpenRead), EStreamError);
  EXPECT_THROW(TTextFileStream(path, 3), EStreamError);
  ASSERT_EQ(::mkfifo((folder + "/fifo").c_str(), 0600), 0);
  EXPECT_THROW(TTextFileStream(folder + "/fifo", kOpenRead), EStreamError);  // never blocks
  EXPECT_THROW(TTextFileStream("/dev/zero", kOpenRead), EStreamError);
  {
    TTextFileStream s(path, kOpenCreate);
    s.WriteLine("x");
  }
  EXPECT_EQ(Content(), "x\r\n");
  TTextFileStream s(path, kOpenRead);
  EXPECT_THROW(s.WriteLine("y"), EStreamError);
  EXPECT_THROW(s.Seek(-5, TSeekOrigin::Begin), EStreamError);
}

}  // namespace
}  // namespace nura
