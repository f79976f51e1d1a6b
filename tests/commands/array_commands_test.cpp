// The array commands and the typed-memory fields, by handler and through
// the field helpers.
#include "commands/array_commands.h"

#include <algorithm>

#include "common/command_test_support.h"
#include "commands/random.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"

namespace nura {
namespace {

class ArrayCommands : public CommandFixture {
 protected:
  static void SetUpTestSuite() { RegisterArrayCommands(); }
  void SetUp() override { engine.SetResult("keep", "e"); }
};

TEST_F(ArrayCommands, SortsIgnoreCaseAndKeepEqualLinesInOrder) {
  EXPECT_EQ(Call(CommandId::Sort, {Text("b\r\nA\r\na")}), "A\r\na\r\nb\r\n");
  EXPECT_EQ(Kind(), "s");
  EXPECT_EQ(Call(CommandId::Sort, {Text("x\ny\rz")}), "x\r\ny\r\nz\r\n");
  EXPECT_EQ(Call(CommandId::Sort, {Text("")}), "");
  EXPECT_EQ(Call(CommandId::NumberSort, {Text("10\r\n9\r\n100")}), "9\r\n10\r\n100\r\n");
  EXPECT_EQ(Kind(), "s");
  // Fractions, negatives and differences beyond 32 bits all order.
  EXPECT_EQ(Call(CommandId::NumberSort, {Text("1.5\r\n1.2\r\n-3\r\n5000000000\r\n0")}),
            "-3\r\n0\r\n1.2\r\n1.5\r\n5000000000\r\n");
}

TEST_F(ArrayCommands, ShuffleKeepsTheLinesAndTheKind) {
  SeedRandom(7);
  const std::string shuffled = Call(CommandId::Shuffle, {Text("a\r\nb\r\nc\r\nd\r\ne")});
  EXPECT_EQ(engine.ResultNode()->Annotation(), "e");  // value only
  std::vector<std::string> lines = SplitLines(shuffled);
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(Call(CommandId::Shuffle, {Text("")}), "");
  // The same seed draws the same order.
  SeedRandom(7);
  EXPECT_EQ(Call(CommandId::Shuffle, {Text("a\r\nb\r\nc\r\nd\r\ne")}), shuffled);
}

TEST_F(ArrayCommands, ReverseIsATableReverse) {
  EXPECT_EQ(Call(CommandId::Reverse, {Text("1,a\r\n2,\"b c\"\r\n3,\"x,y\"")}),
            "3,\"x,y\"\r\n2,b c\r\n1,a\r\n");
  EXPECT_EQ(Kind(), "s");
}

TEST_F(ArrayCommands, InsertAndDeleteLines) {
  EXPECT_EQ(Call(CommandId::InsertLine, {Text("a\r\nb"), "1", Text("X")}), "a\r\nX\r\nb\r\n");
  EXPECT_EQ(engine.ResultNode()->Annotation(), "e");
  EXPECT_EQ(Call(CommandId::InsertLine, {Text("a\r\nb"), "5", Text("X")}), "a\r\nb\r\n\r\n\r\n\r\nX\r\n");
  EXPECT_EQ(Call(CommandId::InsertLine, {Text("a\r\nb"), "-1", Text("X")}), "a\r\nb\r\n");
  EXPECT_EQ(Call(CommandId::InsertLine, {Text(""), "0", Text("X")}), "X\r\n");
  EXPECT_EQ(Call(CommandId::DeleteLine, {Text("a\r\nb\r\nc"), "1"}), "a\r\nc\r\n");
  EXPECT_EQ(Call(CommandId::DeleteLine, {Text("a\r\nb"), "2"}), "a\r\nb\r\n");
  EXPECT_EQ(Call(CommandId::DeleteLine, {Text("a\r\nb"), "-1"}), "a\r\nb\r\n");
  // An index beyond 32 bits is the range error; a huge padding too.
  EXPECT_THROW(Call(CommandId::DeleteLine, {Text("a"), "3000000000"}), ERangeError);
  EXPECT_THROW(Call(CommandId::InsertLine, {Text("a"), "2000000000", Text("X")}), ERangeError);
}

TEST_F(ArrayCommands, BinaryGetReadsLittleEndianFields) {
  engine.Base().AddVariable("B", std::string("\x01\x00\x00\x80zAB\0CD", 10), "s");
  EXPECT_EQ(Call(CommandId::BinaryGet, {"B", "1", Text("INT")}), "-2147483647");
  EXPECT_EQ(Kind(), "e");
  EXPECT_EQ(Call(CommandId::BinaryGet, {"B", "1", Text("dword")}), "2147483649");
  EXPECT_EQ(Call(CommandId::BinaryGet, {"B", "3", Text("WORD")}), "32768");
  EXPECT_EQ(Call(CommandId::BinaryGet, {"B", "4", Text("BYTE")}), "128");
  EXPECT_EQ(Call(CommandId::BinaryGet, {"B", "0", Text("BYTE")}), "1");  // below 2: the first byte
  EXPECT_EQ(Call(CommandId::BinaryGet, {"B", "5", Text("CHAR")}), "z");
  EXPECT_EQ(Kind(), "s");
  engine.SetResult("", "e");
  EXPECT_EQ(Call(CommandId::BinaryGet, {"B", "6", Text("CHAR*")}), "AB");
  EXPECT_EQ(engine.ResultNode()->Annotation(), "e");  // value only
  EXPECT_EQ(Call(CommandId::BinaryGet, {"B", "9", Text("CHAR*")}), "CD");  // ends with the value
  EXPECT_EQ(Call(CommandId::BinaryGet, {"B", "1", Text("FLOAT")}), "CD");  // unknown: nothing
  // Fields beyond the value are never read.
  EXPECT_THROW(Call(CommandId::BinaryGet, {"B", "8", Text("INT")}), ERangeError);
  EXPECT_THROW(Call(CommandId::BinaryGet, {"B", "11", Text("CHAR*")}), ERangeError);
  EXPECT_THROW(Call(CommandId::BinaryGet, {"B", "1e12", Text("BYTE")}), ERangeError);
  EXPECT_NE(ErrorOf(CommandId::BinaryGet, {"NONE", "1", Text("INT")})
                .find(SJ("\"バイナリ取得\"命令の引数に誤りがあります。未定義の変数が指定されました。")),
            std::string::npos);
}

TEST_F(ArrayCommands, BinarySetWritesInPlaceWithinTheValue) {
  NodePtr b = engine.Base().AddVariable("B", std::string(8, '.'), "s");
  Call(CommandId::BinarySet, {Text("-2"), "B", "1", Text("INT")});
  EXPECT_EQ(b->Value(), std::string("\xFE\xFF\xFF\xFF....", 8));
  Call(CommandId::BinarySet, {Text("4294967295"), "B", "5", Text("DWORD")});
  EXPECT_EQ(b->Value().substr(4), std::string("\xFF\xFF\xFF\xFF", 4));
  Call(CommandId::BinarySet, {Text("65537"), "B", "1", Text("WORD")});
  EXPECT_EQ(b->Value().substr(0, 2), std::string("\x01\x00", 2));
  Call(CommandId::BinarySet, {Text("257"), "B", "3", Text("BYTE")});
  EXPECT_EQ(b->Value()[2], '\x01');
  Call(CommandId::BinarySet, {Text("Qx"), "B", "4", Text("CHAR")});
  EXPECT_EQ(b->Value()[3], 'Q');
  Call(CommandId::BinarySet, {Text("hi"), "B", "6", Text("CHAR*")});
  EXPECT_EQ(b->Value().substr(5), std::string("hi\0", 3));
  EXPECT_EQ(b->Value().size(), 8u);
  // Out of range numbers and fields that do not fit change nothing.
  const std::string before = b->Value();
  EXPECT_THROW(Call(CommandId::BinarySet, {Text("-1"), "B", "1", Text("DWORD")}), ERangeError);
  EXPECT_THROW(Call(CommandId::BinarySet, {Text("2147483648"), "B", "1", Text("INT")}), ERangeError);
  EXPECT_THROW(Call(CommandId::BinarySet, {Text("4294967296"), "B", "1", Text("WORD")}), ERangeError);
  EXPECT_THROW(Call(CommandId::BinarySet, {Text("1"), "B", "6", Text("INT")}), ERangeError);
  EXPECT_THROW(Call(CommandId::BinarySet, {Text("1"), "B", "0", Text("BYTE")}), ERangeError);
  EXPECT_THROW(Call(CommandId::BinarySet, {Text("abc"), "B", "6", Text("CHAR*")}), ERangeError);
  EXPECT_THROW(Call(CommandId::BinarySet, {Text("1"), "B", "-3000000000", Text("BYTE")}), ERangeError);
  EXPECT_EQ(b->Value(), before);
  Call(CommandId::BinarySet, {Text("1"), "B", "1", Text("REAL")});
  EXPECT_EQ(b->Value(), before);
}

TEST(BinaryFields, EveryOffsetOfAShortValueStaysInside) {
  const std::string data("\x01\x02\x03", 3);
  for (TBinaryFormat format : {TBinaryFormat::Char, TBinaryFormat::Byte, TBinaryFormat::Word,
                               TBinaryFormat::DWord, TBinaryFormat::Int, TBinaryFormat::CString}) {
    for (int64_t start = -2; start <= 5; ++start) {
      long double number = 0;
      std::string text;
      ReadBinaryField(data, start, format, number, text);
      std::string copy = data;
      WriteBinaryField(copy, start, format, 1, "zz");
      EXPECT_EQ(copy.size(), data.size());
    }
  }
}

}  // namespace
}  // namespace nura
