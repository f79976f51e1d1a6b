// Handlers of the number commands: rounding and cutting, the mathematical
// functions, random numbers, statistics over arrays, arithmetic on a
// variable, 32-bit bit operations and number formatting. Numbers are read
// with TextToNumber, computed in long double and written with the one
// general number format.
#include "commands/math_commands.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "engine/command_api.h"
#include "commands/format_directive.h"
#include "support/number_functions.h"
#include "commands/random.h"
#include "commands/string_command_support.h"
#include "engine/conv_half.h"
#include "engine/errors.h"
#include "engine/locale_map.h"
#include "engine/number_format.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

// ---- results ----

// A floating-point result, checked (NaN and infinities are errors).
void SetNumber(TNuraEngine& engine, long double value) {
  SetNumberResult(engine, CheckFloat(value));
}

// ---- rounding and cutting ----

void IntegerPart(TNuraEngine& engine, CommandId) { SetIntegerResult(engine, TruncToInt64(PopNumber(engine))); }

void Round(TNuraEngine& engine, CommandId) { SetIntegerResult(engine, RoundToInt64(PopNumber(engine))); }

void CeilFloor(TNuraEngine& engine, CommandId id) {
  const long double x = PopNumber(engine);
  const long double whole = id == CommandId::Ceil ? std::ceil(x) : std::floor(x);
  SetNumber(engine, TruncToInt32(whole));
}

void Frac(TNuraEngine& engine, CommandId) {
  SetResult(engine, FractionText(ToHalfWidth(PopText(engine))), "e");
}

void CutAtPlace(TNuraEngine& engine, CommandId id) {
  const int32_t places = PopInteger(engine);
  const long double x = PopNumber(engine);
  SetNumber(engine, id == CommandId::TruncateAt ? TruncateDigits(places, x) : RoundDigits(places, x));
}

void Abs(TNuraEngine& engine, CommandId) { SetNumber(engine, std::fabs(PopNumber(engine))); }

// ---- mathematical functions ----

// The natural logarithm with the processor's errors: 0 divides by zero,
// a negative number is an invalid operation.
long double CheckedLog(long double x) {
  if (x == 0) throw EZeroDivide();
  if (x < 0) throw EInvalidOp();
  return std::log(x);
}

// The functions that write the value only (the trigonometric family).
void Trigonometric(TNuraEngine& engine, CommandId id) {
  const long double x = PopNumber(engine);
  long double value = 0;
  switch (id) {
    case CommandId::Sin: value = std::sin(x); break;
    case CommandId::Cos: value = std::cos(x); break;
    case CommandId::Tan: value = std::tan(x); break;
    case CommandId::ArcTan: value = std::atan(x); break;
    case CommandId::ArcCos: value = std::acos(x); break;
    case CommandId::ArcSin: value = std::asin(x); break;
    case CommandId::CyclesToRadians: value = x * 2 * kPi; break;
    case CommandId::DegreesToRadians: value = x * kPi / 180; break;
    case CommandId::GradsToRadians: value = x * kPi / 200; break;
    case CommandId::RadiansToCycles: value = x / (2 * kPi); break;
    case CommandId::RadiansToDegrees: value = x * 180 / kPi; break;
    case CommandId::RadiansToGrads: value = x * 200 / kPi; break;
    default: break;
  }
  SetValueOnly(engine, FormatGeneral(CheckFloat(value)));
}

void Hypot(TNuraEngine& engine, CommandId) {
  const long double y = PopNumber(engine);
  const long double x = PopNumber(engine);
  SetValueOnly(engine, FormatGeneral(CheckFloat(std::hypot(x, y))));
}

void ExpLnSqrt(TNuraEngine& engine, CommandId id) {
  const long double x = PopNumber(engine);
  switch (id) {
    case CommandId::Exp: SetNumber(engine, std::exp(x)); break;
    case CommandId::Ln: SetNumber(engine, CheckedLog(x)); break;
    case CommandId::Sqrt:
      if (x < 0) throw EInvalidOp();
      SetNumber(engine, std::sqrt(x));
      break;
    case CommandId::Log2: SetNumber(engine, CheckedLog(x) / std::log(2.0L)); break;
    case CommandId::Log10: SetNumber(engine, CheckedLog(x) / std::log(10.0L)); break;
    default: break;
  }
}

void Log(TNuraEngine& engine, CommandId) {
  const long double x = PopNumber(engine);
  const long double base = PopNumber(engine);
  SetNumber(engine, CheckedDivide(CheckedLog(x), CheckedLog(base)));
}

void Power(TNuraEngine& engine, CommandId) {
  const long double exponent = PopNumber(engine);
  const long double base = PopNumber(engine);
  if (base == 0 && exponent < 0) throw EZeroDivide();
  SetNumber(engine, std::pow(base, exponent));
}

// ---- random numbers ----

void RandomInteger(TNuraEngine& engine, CommandId id) {
  int32_t range = 100;
  if (!ParsePlainInteger(PopText(engine), range)) range = 100;
  if (range <= 0) RaiseArgumentError(engine, id, SJ("乱数の範囲には1以上の整数を指定してください。"));
  SetIntegerResult(engine, RandomBelow(static_cast<uint32_t>(range)));
}

void RandomUnit(TNuraEngine& engine, CommandId) { SetNumber(engine, RandomReal()); }

void RandomSeed(TNuraEngine& engine, CommandId) {
  const long double n = PopNumber(engine);
  if (n == -1) {
    SeedRandomFromClock();
  } else {
    SeedRandom(TruncToInt32(n));
  }
}

// ---- statistics ----

std::vector<long double> ReadArrayValues(const std::string& text) {
  std::vector<long double> values;
  for (const std::string& raw : SplitLines(text)) {
    const std::string line = TrimText(ToHalfWidth(raw));
    if (!line.empty()) values.push_back(TextToNumber(line));
  }
  if (values.empty()) values.push_back(0);
  return values;
}

void Statistics(TNuraEngine& engine, CommandId id) {
  const std::vector<long double> values = ReadArrayValues(PopText(engine));
  switch (id) {
    case CommandId::ArraySum: SetNumber(engine, Sum(values)); break;
    case CommandId::ArrayAverage: SetNumber(engine, Mean(values)); break;
    case CommandId::ArrayVariance: SetNumber(engine, PopulationVariance(values)); break;
    case CommandId::ArrayStdDev: {
      const auto deviation = SampleStandardDeviation(values);
      if (!deviation) RaiseArgumentError(engine, id, SJ("標準偏差には二つ以上の値が必要です。"));
      SetNumber(engine, *deviation);
      break;
    }
    case CommandId::ArrayMax: SetNumber(engine, Maximum(values)); break;
    case CommandId::ArrayMin: SetNumber(engine, Minimum(values)); break;
    default: break;
  }
}

// ---- arithmetic on a variable ----

// The first argument of 足す, 引く, 掛ける and 割る: a variable (whose
// value is used and updated) or an expression.
string_cmd::TVariableArgument PopOperand(TNuraEngine& engine) {
  string_cmd::TVariableArgument operand = string_cmd::PopVariableArgument(engine);
  if (operand.node && operand.node->isProtected)
    RaiseScriptError(engine, "\"" + operand.raw + "\"" + SJ("は、読取専用です。"));
  return operand;
}

void StoreOperand(TNuraEngine& engine, const string_cmd::TVariableArgument& operand,
                  const std::string& value, const std::string& kind) {
  SetResult(engine, value, kind);
  if (operand.node) {
    operand.node->SetValue(value);
    operand.node->SetAnnotation(kind);
  }
}

void Add(TNuraEngine& engine, CommandId) {
  const std::string value = PopText(engine);
  const std::string kind = ResultKind(engine);
  const auto first = PopOperand(engine);
  if (kind == "e") {
    const long double sum = TextToNumber(first.value) + TextToNumber(value);
    StoreOperand(engine, first, FormatGeneral(CheckFloat(sum)), kind);
  } else {
    StoreOperand(engine, first, first.value + value, kind);
  }
}

void Arithmetic(TNuraEngine& engine, CommandId id) {
  const long double value = PopNumber(engine);
  const auto first = PopOperand(engine);
  const long double x = TextToNumber(first.value);
  long double result = 0;
  switch (id) {
    case CommandId::Subtract: result = x - value; break;
    case CommandId::Multiply: result = x * value; break;
    case CommandId::Divide: result = CheckedDivide(x, value); break;
    default: break;
  }
  StoreOperand(engine, first, FormatGeneral(CheckFloat(result)), "e");
}

// ---- integer and bit operations ----

void BitOperation(TNuraEngine& engine, CommandId id) {
  const int32_t second = PopInteger(engine);
  const int32_t first = PopInteger(engine);
  int32_t result = 0;
  switch (id) {
    case CommandId::And: result = first & second; break;
    case CommandId::Or: result = first | second; break;
    case CommandId::Xor: result = first ^ second; break;
    case CommandId::Mod: result = Remainder(first, second); break;
    case CommandId::Shr: result = ShiftRight(first, second); break;
    case CommandId::Shl: result = ShiftLeft(first, second); break;
    default: break;
  }
  SetIntegerResult(engine, result);
}

void LogicalNot(TNuraEngine& engine, CommandId) { SetIntegerResult(engine, PopInteger(engine) == 0 ? 1 : 0); }

void Hex(TNuraEngine& engine, CommandId) { SetResult(engine, HexText(PopInteger(engine)), "e"); }

// ---- formatting ----

void Thousands(TNuraEngine& engine, CommandId) { SetValueOnly(engine, FormatThousands(PopText(engine))); }

void Pad(TNuraEngine& engine, CommandId id) {
  const int32_t width = PopInteger(engine);
  const std::string text = PopText(engine);
  SetValueOnly(engine, PadLeft(text, width, id == CommandId::AlignRight ? ' ' : '0'));
}

void FormatByDirective(TNuraEngine& engine, CommandId id) {
  const std::string format = PopText(engine);
  const std::string value = PopText(engine);
  SetResultKind(engine, "s");
  const auto text = FormatOneValue(format, value, TextToNumber(value));
  if (!text) RaiseCommandError(engine, id, SJ("は、文法が正しくないため、実行できません。"));
  SetTextResult(engine, *text);
}

}  // namespace

constexpr CommandEntry kMathCommands[] = {
    {CommandId::Random, RandomInteger},
    {CommandId::Integer, IntegerPart},
    {CommandId::TruncateAt, CutAtPlace},
    {CommandId::RoundAt, CutAtPlace},
    {CommandId::Sin, Trigonometric},
    {CommandId::Cos, Trigonometric},
    {CommandId::Tan, Trigonometric},
    {CommandId::Abs, Abs},
    {CommandId::Ceil, CeilFloor},
    {CommandId::Exp, ExpLnSqrt},
    {CommandId::Floor, CeilFloor},
    {CommandId::Frac, Frac},
    {CommandId::Int, IntegerPart},
    {CommandId::Ln, ExpLnSqrt},
    {CommandId::Log, Log},
    {CommandId::Power, Power},
    {CommandId::Round, Round},
    {CommandId::Sqrt, ExpLnSqrt},
    {CommandId::Trunc, IntegerPart},
    {CommandId::Rnd, RandomUnit},
    {CommandId::RandomSeed, RandomSeed},
    {CommandId::CurrencyFormat, Thousands},
    {CommandId::AlignRight, Pad},
    {CommandId::ZeroPad, Pad},
    {CommandId::Log2, ExpLnSqrt},
    {CommandId::Log10, ExpLnSqrt},
    {CommandId::ArcTan, Trigonometric},
    {CommandId::ArcCos, Trigonometric},
    {CommandId::ArcSin, Trigonometric},
    {CommandId::Hypot, Hypot},
    {CommandId::CyclesToRadians, Trigonometric},
    {CommandId::DegreesToRadians, Trigonometric},
    {CommandId::GradsToRadians, Trigonometric},
    {CommandId::RadiansToCycles, Trigonometric},
    {CommandId::RadiansToDegrees, Trigonometric},
    {CommandId::RadiansToGrads, Trigonometric},
    {CommandId::ArraySum, Statistics},
    {CommandId::ArrayAverage, Statistics},
    {CommandId::ArrayVariance, Statistics},
    {CommandId::ArrayStdDev, Statistics},
    {CommandId::ArrayMax, Statistics},
    {CommandId::ArrayMin, Statistics},
    {CommandId::Add, Add},
    {CommandId::Subtract, Arithmetic},
    {CommandId::Multiply, Arithmetic},
    {CommandId::Divide, Arithmetic},
    {CommandId::FormatByDirective, FormatByDirective},
    {CommandId::And, BitOperation},
    {CommandId::Or, BitOperation},
    {CommandId::Xor, BitOperation},
    {CommandId::Mod, BitOperation},
    {CommandId::Shr, BitOperation},
    {CommandId::Shl, BitOperation},
    {CommandId::Hex, Hex},
    {CommandId::Not, LogicalNot},
};

void RegisterMathCommands() { RegisterCommandTable(kMathCommands); }

}  // namespace nura
