#include "commands/math_commands.h"

#include "common/command_test_support.h"
#include "commands/random.h"
#include "engine/errors.h"

namespace nura {
namespace {

class MathCommands : public CommandFixture {
 protected:
  static void SetUpTestSuite() { RegisterMathCommands(); }
};

TEST_F(MathCommands, RandomSequenceAfterSeeding) {
  Call(CommandId::RandomSeed, {"0"});
  EXPECT_EQ(Call(CommandId::Rnd), "2.3283064365387E-10");
  EXPECT_EQ(Kind(), "e");
  EXPECT_EQ(Call(CommandId::Rnd), "0.0313799395225942");
  Call(CommandId::RandomSeed, {"0"});
  for (const char* expected : {"0", "3", "86", "20", "27"}) EXPECT_EQ(Call(CommandId::Random, {"100"}), expected);
  // A range that is not an integer means 100.
  Call(CommandId::RandomSeed, {"0"});
  EXPECT_EQ(Call(CommandId::Random, {Text("abc")}), "0");
  EXPECT_EQ(Call(CommandId::Random, {Text("$100")}), "8");  // 256 read as hexadecimal: 134775814 * 256 >> 32
}

TEST_F(MathCommands, RandomRangeMustBePositive) {
  EXPECT_NE(ErrorOf(CommandId::Random, {"0"}).find(SJ("命令の引数に誤りがあります。")), std::string::npos);
  EXPECT_NE(ErrorOf(CommandId::Random, {"-5"}), "");
}

TEST_F(MathCommands, RoundingAndCutting) {
  EXPECT_EQ(Call(CommandId::Round, {"2.5"}), "2");
  EXPECT_EQ(Call(CommandId::RoundAt, {"3.5", "0"}), "4");
  EXPECT_EQ(Call(CommandId::RoundAt, {"2.5", "0"}), "2");
  EXPECT_EQ(Call(CommandId::TruncateAt, {"-1.99", "0"}), "-1");
  EXPECT_EQ(Call(CommandId::TruncateAt, {"-1.99", "1"}), "-1.9");
  EXPECT_EQ(Call(CommandId::Integer, {Text("1,234.9")}), "1234");
  EXPECT_EQ(Call(CommandId::Int, {"-7.9"}), "-7");
  EXPECT_EQ(Call(CommandId::Ceil, {"1.2"}), "2");
  EXPECT_EQ(Call(CommandId::Floor, {"-1.2"}), "-2");
  EXPECT_EQ(Call(CommandId::Abs, {"-3.5"}), "3.5");
  EXPECT_EQ(Call(CommandId::Frac, {"3.25"}), "0.25");
  EXPECT_EQ(Call(CommandId::Frac, {"-3.25"}), "0.25");
  EXPECT_EQ(Call(CommandId::Frac, {"3"}), "0");
  EXPECT_EQ(Kind(), "e");
}

TEST_F(MathCommands, IntegersOutOfRangeAreRangeErrors) {
  EXPECT_THROW(Call(CommandId::Integer, {Text("1.0E20")}), ERangeError);
  EXPECT_THROW(Call(CommandId::Mod, {Text("-2147483648"), "-1"}), ERangeError);
  EXPECT_THROW(Call(CommandId::And, {Text("4294967296"), "1"}), ERangeError);
  EXPECT_THROW(Call(CommandId::Ceil, {Text("1.0E10")}), ERangeError);
  EXPECT_THROW(Call(CommandId::Mod, {"5", "0"}), EDivByZero);
}

TEST_F(MathCommands, Functions) {
  EXPECT_EQ(Call(CommandId::Power, {"10", "16"}), "1E16");
  EXPECT_EQ(Call(CommandId::Power, {"2", "0.5"}), "1.4142135623731");
  EXPECT_EQ(Call(CommandId::Sqrt, {"16"}), "4");
  EXPECT_EQ(Call(CommandId::Log, {"2", "8"}), "3");
  EXPECT_EQ(Call(CommandId::Log10, {"1000"}), "3");
  EXPECT_EQ(Call(CommandId::Log2, {"1024"}), "10");
  EXPECT_EQ(Call(CommandId::Hypot, {"3", "4"}), "5");
  EXPECT_EQ(Call(CommandId::RadiansToDegrees, {Text("3.14159265358979")}), "180");
  EXPECT_THROW(Call(CommandId::Sqrt, {"-1"}), EInvalidOp);
  EXPECT_THROW(Call(CommandId::Ln, {"0"}), EZeroDivide);
  EXPECT_THROW(Call(CommandId::ArcSin, {"2"}), EInvalidOp);
  EXPECT_THROW(Call(CommandId::Exp, {"100000"}), EOverflow);
}

TEST_F(MathCommands, TrigonometricFamilyKeepsTheTypeLetter) {
  engine.SetResult("x", "s");
  EXPECT_EQ(Call(CommandId::Sin, {"0"}), "0");
  EXPECT_EQ(engine.ResultNode()->Annotation(), "s");
  Call(CommandId::Exp, {"0"});
  EXPECT_EQ(Kind(), "e");
}

TEST_F(MathCommands, Statistics) {
  const std::string pair = Text("1\r\n\r\n 3 \r\n");
  EXPECT_EQ(Call(CommandId::ArrayVariance, {pair}), "1");
  EXPECT_EQ(Call(CommandId::ArrayStdDev, {pair}), "1.4142135623731");
  EXPECT_EQ(Call(CommandId::ArraySum, {pair}), "4");
  EXPECT_EQ(Call(CommandId::ArrayAverage, {Text("")}), "0");
  EXPECT_EQ(Call(CommandId::ArrayAverage, {Text(SJ("１２") + "\r\n" + "4")}), "8");
  EXPECT_EQ(Call(CommandId::ArrayMax, {Text("5\n-2\n9")}), "9");
  EXPECT_EQ(Call(CommandId::ArrayMin, {Text("5\n-2\n9")}), "-2");
  EXPECT_NE(ErrorOf(CommandId::ArrayStdDev, {Text("5")}).find(SJ("命令の引数に誤りがあります。")), std::string::npos);
}

TEST_F(MathCommands, ArithmeticOnAVariable) {
  engine.Base().AddVariable("A", "ab", "s");
  EXPECT_EQ(Call(CommandId::Add, {"A", Text("cd")}), "abcd");
  EXPECT_EQ(engine.Base().words.FindValue("A", false), "abcd");
  engine.Base().AddVariable("B", "2", "e");
  EXPECT_EQ(Call(CommandId::Add, {"B", "3"}), "5");
  EXPECT_EQ(Kind(), "e");
  EXPECT_EQ(Call(CommandId::Subtract, {"B", "1"}), "4");
  EXPECT_EQ(Call(CommandId::Multiply, {"B", "2.5"}), "10");
  EXPECT_EQ(Call(CommandId::Divide, {"B", "4"}), "2.5");
  EXPECT_EQ(engine.Base().words.FindValue("B", false), "2.5");
  EXPECT_EQ(Call(CommandId::Add, {"7", "3"}), "10");  // an expression, not a variable
  EXPECT_THROW(Call(CommandId::Divide, {"B", "0"}), EZeroDivide);
}

TEST_F(MathCommands, BitOperations) {
  EXPECT_EQ(Call(CommandId::And, {"12", "10"}), "8");
  EXPECT_EQ(Call(CommandId::Or, {"12", "10"}), "14");
  EXPECT_EQ(Call(CommandId::Xor, {"12", "10"}), "6");
  EXPECT_EQ(Call(CommandId::Not, {"0"}), "1");
  EXPECT_EQ(Call(CommandId::Not, {"5"}), "0");
  EXPECT_EQ(Call(CommandId::Mod, {"-7", "3"}), "-1");
  EXPECT_EQ(Call(CommandId::Shr, {"-1", "28"}), "15");
  EXPECT_EQ(Call(CommandId::Shl, {"1", "33"}), "2");
  EXPECT_EQ(Call(CommandId::Hex, {"-1"}), "FFFFFFFF");
  EXPECT_EQ(Call(CommandId::Hex, {"10"}), "0A");
}

TEST_F(MathCommands, Formatting) {
  engine.SetResult("", "s");
  EXPECT_EQ(Call(CommandId::CurrencyFormat, {Text("1234.5")}), "1,234.50");
  EXPECT_EQ(Call(CommandId::CurrencyFormat, {Text("1234567")}), "1,234,567");
  EXPECT_EQ(engine.ResultNode()->Annotation(), "s");
  EXPECT_EQ(Call(CommandId::AlignRight, {Text("abc"), "5"}), "  abc");
  EXPECT_EQ(Call(CommandId::AlignRight, {Text("abc"), "2"}), "abc");
  EXPECT_EQ(Call(CommandId::ZeroPad, {"7", "3"}), "007");
  EXPECT_EQ(Call(CommandId::FormatByDirective, {Text("3.14159"), Text("%.2f")}), "3.14");
  EXPECT_EQ(Kind(), "s");
  EXPECT_EQ(Call(CommandId::FormatByDirective, {"5", Text("%3d")}), "  5");
  EXPECT_EQ(Call(CommandId::FormatByDirective, {"5", Text("%.3d")}), "005");
  EXPECT_EQ(Call(CommandId::FormatByDirective, {Text("abc"), Text("%s (made)")}), "abc (made)");
  EXPECT_EQ(Call(CommandId::FormatByDirective, {Text("12.5"), Text("%d ms")}), "12 ms");
  const std::string error = ErrorOf(CommandId::FormatByDirective, {"1", Text("%s%s")});
  EXPECT_NE(error.find(SJ("\"指定形式に変換\"は、文法が正しくないため、実行できません。")),
            std::string::npos);
  EXPECT_NE(ErrorOf(CommandId::FormatByDirective, {"1", Text("%n%p")}), "");
}

}  // namespace
}  // namespace nura
