#include "commands/math_commands.h"

#include "command_test_support.h"
#include "commands/random.h"
#include "engine/errors.h"

namespace nura {
namespace {

class MathCommands : public CommandFixture {
 protected:
  static void SetUpTestSuite() { RegisterMathCommands(); }
};

TEST_F(MathCommands, RandomSequenceAfterSeeding) {
  Call(159, {"0"});
  EXPECT_EQ(Call(158), "2.3283064365387E-10");
  EXPECT_EQ(Kind(), "e");
  EXPECT_EQ(Call(158), "0.0313799395225942");
  Call(159, {"0"});
  for (const char* expected : {"0", "3", "86", "20", "27"}) EXPECT_EQ(Call(17, {"100"}), expected);
  // A range that is not an integer means 100.
  Call(159, {"0"});
  EXPECT_EQ(Call(17, {Text("abc")}), "0");
  EXPECT_EQ(Call(17, {Text("$100")}), "8");  // 256 read as hexadecimal: 134775814 * 256 >> 32
}

TEST_F(MathCommands, RandomRangeMustBePositive) {
  EXPECT_NE(ErrorOf(17, {"0"}).find(SJ("命令の引数に誤りがあります。")), std::string::npos);
  EXPECT_NE(ErrorOf(17, {"-5"}), "");
}

TEST_F(MathCommands, RoundingAndCutting) {
  EXPECT_EQ(Call(155, {"2.5"}), "2");
  EXPECT_EQ(Call(33, {"3.5", "0"}), "4");
  EXPECT_EQ(Call(33, {"2.5", "0"}), "2");
  EXPECT_EQ(Call(32, {"-1.99", "0"}), "-1");
  EXPECT_EQ(Call(32, {"-1.99", "1"}), "-1.9");
  EXPECT_EQ(Call(31, {Text("1,234.9")}), "1234");
  EXPECT_EQ(Call(151, {"-7.9"}), "-7");
  EXPECT_EQ(Call(147, {"1.2"}), "2");
  EXPECT_EQ(Call(149, {"-1.2"}), "-2");
  EXPECT_EQ(Call(146, {"-3.5"}), "3.5");
  EXPECT_EQ(Call(150, {"3.25"}), "0.25");
  EXPECT_EQ(Call(150, {"-3.25"}), "0.25");
  EXPECT_EQ(Call(150, {"3"}), "0");
  EXPECT_EQ(Kind(), "e");
}

TEST_F(MathCommands, IntegersOutOfRangeAreRangeErrors) {
  EXPECT_THROW(Call(31, {Text("1.0E20")}), ERangeError);
  EXPECT_THROW(Call(343, {Text("-2147483648"), "-1"}), ERangeError);
  EXPECT_THROW(Call(340, {Text("4294967296"), "1"}), ERangeError);
  EXPECT_THROW(Call(147, {Text("1.0E10")}), ERangeError);
  EXPECT_THROW(Call(343, {"5", "0"}), EDivByZero);
}

TEST_F(MathCommands, Functions) {
  EXPECT_EQ(Call(154, {"10", "16"}), "1E16");
  EXPECT_EQ(Call(154, {"2", "0.5"}), "1.4142135623731");
  EXPECT_EQ(Call(156, {"16"}), "4");
  EXPECT_EQ(Call(153, {"2", "8"}), "3");
  EXPECT_EQ(Call(180, {"1000"}), "3");
  EXPECT_EQ(Call(179, {"1024"}), "10");
  EXPECT_EQ(Call(219, {"3", "4"}), "5");
  EXPECT_EQ(Call(224, {Text("3.14159265358979")}), "180");
  EXPECT_THROW(Call(156, {"-1"}), EInvalidOp);
  EXPECT_THROW(Call(152, {"0"}), EZeroDivide);
  EXPECT_THROW(Call(218, {"2"}), EInvalidOp);
  EXPECT_THROW(Call(148, {"100000"}), EOverflow);
}

TEST_F(MathCommands, TrigonometricFamilyKeepsTheTypeLetter) {
  engine.SetResult("x", "s");
  EXPECT_EQ(Call(52, {"0"}), "0");
  EXPECT_EQ(engine.ResultNode()->annotation, "s");
  Call(148, {"0"});
  EXPECT_EQ(Kind(), "e");
}

TEST_F(MathCommands, Statistics) {
  const std::string pair = Text("1\r\n\r\n 3 \r\n");
  EXPECT_EQ(Call(228, {pair}), "1");
  EXPECT_EQ(Call(229, {pair}), "1.4142135623731");
  EXPECT_EQ(Call(226, {pair}), "4");
  EXPECT_EQ(Call(227, {Text("")}), "0");
  EXPECT_EQ(Call(227, {Text(SJ("１２") + "\r\n" + "4")}), "8");
  EXPECT_EQ(Call(239, {Text("5\n-2\n9")}), "9");
  EXPECT_EQ(Call(240, {Text("5\n-2\n9")}), "-2");
  EXPECT_NE(ErrorOf(229, {Text("5")}).find(SJ("命令の引数に誤りがあります。")), std::string::npos);
}

TEST_F(MathCommands, ArithmeticOnAVariable) {
  engine.Base().AddVariable("A", "ab", "s");
  EXPECT_EQ(Call(280, {"A", Text("cd")}), "abcd");
  EXPECT_EQ(engine.Base().words.FindValue("A", false), "abcd");
  engine.Base().AddVariable("B", "2", "e");
  EXPECT_EQ(Call(280, {"B", "3"}), "5");
  EXPECT_EQ(Kind(), "e");
  EXPECT_EQ(Call(281, {"B", "1"}), "4");
  EXPECT_EQ(Call(282, {"B", "2.5"}), "10");
  EXPECT_EQ(Call(283, {"B", "4"}), "2.5");
  EXPECT_EQ(engine.Base().words.FindValue("B", false), "2.5");
  EXPECT_EQ(Call(280, {"7", "3"}), "10");  // an expression, not a variable
  EXPECT_THROW(Call(283, {"B", "0"}), EZeroDivide);
}

TEST_F(MathCommands, BitOperations) {
  EXPECT_EQ(Call(340, {"12", "10"}), "8");
  EXPECT_EQ(Call(341, {"12", "10"}), "14");
  EXPECT_EQ(Call(342, {"12", "10"}), "6");
  EXPECT_EQ(Call(395, {"0"}), "1");
  EXPECT_EQ(Call(395, {"5"}), "0");
  EXPECT_EQ(Call(343, {"-7", "3"}), "-1");
  EXPECT_EQ(Call(344, {"-1", "28"}), "15");
  EXPECT_EQ(Call(345, {"1", "33"}), "2");
  EXPECT_EQ(Call(346, {"-1"}), "FFFFFFFF");
  EXPECT_EQ(Call(346, {"10"}), "0A");
}

TEST_F(MathCommands, Formatting) {
  engine.SetResult("", "s");
  EXPECT_EQ(Call(173, {Text("1234.5")}), "1,234.50");
  EXPECT_EQ(Call(173, {Text("1234567")}), "1,234,567");
  EXPECT_EQ(engine.ResultNode()->annotation, "s");
  EXPECT_EQ(Call(174, {Text("abc"), "5"}), "  abc");
  EXPECT_EQ(Call(174, {Text("abc"), "2"}), "abc");
  EXPECT_EQ(Call(175, {"7", "3"}), "007");
  EXPECT_EQ(Call(293, {Text("3.14159"), Text("%.2f")}), "3.14");
  EXPECT_EQ(Kind(), "s");
  EXPECT_EQ(Call(293, {"5", Text("%3d")}), "  5");
  EXPECT_EQ(Call(293, {"5", Text("%.3d")}), "005");
  EXPECT_EQ(Call(293, {Text("abc"), Text("%s (made)")}), "abc (made)");
  EXPECT_EQ(Call(293, {Text("12.5"), Text("%d ms")}), "12 ms");
  const std::string error = ErrorOf(293, {"1", Text("%s%s")});
  EXPECT_NE(error.find(SJ("\"指定形式に変換\"は、文法が正しくないため、実行できません。")),
            std::string::npos);
  EXPECT_NE(ErrorOf(293, {"1", Text("%n%p")}), "");
}

}  // namespace
}  // namespace nura
