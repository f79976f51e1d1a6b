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

#include "commands/command_errors.h"
#include "commands/format_directive.h"
#include "commands/number_functions.h"
#include "commands/random.h"
#include "commands/string_command_support.h"
#include "engine/command_registry.h"
#include "engine/conv_half.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/locale_map.h"
#include "engine/number_format.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

// ---- results ----

void SetNumber(TNuraEngine& engine, long double value) {
  engine.SetResult(FormatGeneral(CheckFloat(value)), "e");
}

void SetInteger(TNuraEngine& engine, int64_t value) {
  engine.SetResult(std::to_string(value), "e");
}

// Sets the value of "それ" and leaves its type letter as it is.
void SetValueOnly(TNuraEngine& engine, const std::string& value) {
  engine.ResultNode()->value = value;
}

using string_cmd::PopInt32;

// ---- rounding and cutting ----

void IntegerPart(TNuraEngine& engine, int) { SetInteger(engine, TruncToInt64(engine.PopArgumentNumber())); }

void Round(TNuraEngine& engine, int) { SetInteger(engine, RoundToInt64(engine.PopArgumentNumber())); }

void CeilFloor(TNuraEngine& engine, int id) {
  const long double x = engine.PopArgumentNumber();
  const long double whole = id == 147 ? std::ceil(x) : std::floor(x);
  SetNumber(engine, TruncToInt32(whole));
}

void Frac(TNuraEngine& engine, int) {
  engine.SetResult(FractionText(ToHalfWidth(engine.PopArgumentText())), "e");
}

void CutAtPlace(TNuraEngine& engine, int id) {
  const int32_t places = PopInt32(engine);
  const long double x = engine.PopArgumentNumber();
  SetNumber(engine, id == 32 ? TruncateDigits(places, x) : RoundDigits(places, x));
}

void Abs(TNuraEngine& engine, int) { SetNumber(engine, std::fabs(engine.PopArgumentNumber())); }

// ---- mathematical functions ----

// The natural logarithm with the processor's errors: 0 divides by zero,
// a negative number is an invalid operation.
long double CheckedLog(long double x) {
  if (x == 0) throw EZeroDivide();
  if (x < 0) throw EInvalidOp();
  return std::log(x);
}

// The functions that write the value only (the trigonometric family).
void Trigonometric(TNuraEngine& engine, int id) {
  const long double x = engine.PopArgumentNumber();
  long double value = 0;
  switch (id) {
    case 52: value = std::sin(x); break;
    case 53: value = std::cos(x); break;
    case 54: value = std::tan(x); break;
    case 216: value = std::atan(x); break;
    case 217: value = std::acos(x); break;
    case 218: value = std::asin(x); break;
    case 220: value = x * 2 * kPi; break;
    case 221: value = x * kPi / 180; break;
    case 222: value = x * kPi / 200; break;
    case 223: value = x / (2 * kPi); break;
    case 224: value = x * 180 / kPi; break;
    case 225: value = x * 200 / kPi; break;
  }
  SetValueOnly(engine, FormatGeneral(CheckFloat(value)));
}

void Hypot(TNuraEngine& engine, int) {
  const long double y = engine.PopArgumentNumber();
  const long double x = engine.PopArgumentNumber();
  SetValueOnly(engine, FormatGeneral(CheckFloat(std::hypot(x, y))));
}

void ExpLnSqrt(TNuraEngine& engine, int id) {
  const long double x = engine.PopArgumentNumber();
  switch (id) {
    case 148: SetNumber(engine, std::exp(x)); break;
    case 152: SetNumber(engine, CheckedLog(x)); break;
    case 156:
      if (x < 0) throw EInvalidOp();
      SetNumber(engine, std::sqrt(x));
      break;
    case 179: SetNumber(engine, CheckedLog(x) / std::log(2.0L)); break;
    case 180: SetNumber(engine, CheckedLog(x) / std::log(10.0L)); break;
  }
}

void Log(TNuraEngine& engine, int) {
  const long double x = engine.PopArgumentNumber();
  const long double base = engine.PopArgumentNumber();
  SetNumber(engine, CheckedDivide(CheckedLog(x), CheckedLog(base)));
}

void Power(TNuraEngine& engine, int) {
  const long double exponent = engine.PopArgumentNumber();
  const long double base = engine.PopArgumentNumber();
  if (base == 0 && exponent < 0) throw EZeroDivide();
  SetNumber(engine, std::pow(base, exponent));
}

// ---- random numbers ----

void RandomInteger(TNuraEngine& engine, int id) {
  int32_t range = 100;
  if (!ParsePlainInteger(engine.PopArgumentText(), range)) range = 100;
  if (range <= 0) RaiseArgumentError(engine, id, SJ("乱数の範囲には1以上の整数を指定してください。"));
  SetInteger(engine, RandomBelow(static_cast<uint32_t>(range)));
}

void RandomUnit(TNuraEngine& engine, int) { SetNumber(engine, RandomReal()); }

void RandomSeed(TNuraEngine& engine, int) {
  const long double n = engine.PopArgumentNumber();
  if (n == -1) {
    SeedRandomFromClock();
  } else {
    SeedRandom(TruncToInt32(n));
  }
}

// ---- statistics ----

std::vector<long double> ReadArrayValues(const std::string& text) {
  std::vector<long double> values;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = TrimText(ToHalfWidth(text.substr(start, end - start)));
    if (!line.empty()) values.push_back(TextToNumber(line));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  if (values.empty()) values.push_back(0);
  return values;
}

void Statistics(TNuraEngine& engine, int id) {
  const std::vector<long double> values = ReadArrayValues(engine.PopArgumentText());
  switch (id) {
    case 226: SetNumber(engine, Sum(values)); break;
    case 227: SetNumber(engine, Mean(values)); break;
    case 228: SetNumber(engine, PopulationVariance(values)); break;
    case 229: {
      const auto deviation = SampleStandardDeviation(values);
      if (!deviation) RaiseArgumentError(engine, id, SJ("標準偏差には二つ以上の値が必要です。"));
      SetNumber(engine, *deviation);
      break;
    }
    case 239: SetNumber(engine, Maximum(values)); break;
    case 240: SetNumber(engine, Minimum(values)); break;
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
  engine.SetResult(value, kind);
  if (operand.node) {
    operand.node->value = value;
    operand.node->annotation = kind;
  }
}

void Add(TNuraEngine& engine, int) {
  const std::string value = engine.PopArgumentText();
  const std::string kind = engine.ResultKind();
  const auto first = PopOperand(engine);
  if (kind == "e") {
    const long double sum = TextToNumber(first.value) + TextToNumber(value);
    StoreOperand(engine, first, FormatGeneral(CheckFloat(sum)), kind);
  } else {
    StoreOperand(engine, first, first.value + value, kind);
  }
}

void Arithmetic(TNuraEngine& engine, int id) {
  const long double value = engine.PopArgumentNumber();
  const auto first = PopOperand(engine);
  const long double x = TextToNumber(first.value);
  long double result = 0;
  switch (id) {
    case 281: result = x - value; break;
    case 282: result = x * value; break;
    case 283: result = CheckedDivide(x, value); break;
  }
  StoreOperand(engine, first, FormatGeneral(CheckFloat(result)), "e");
}

// ---- integer and bit operations ----

void BitOperation(TNuraEngine& engine, int id) {
  const int32_t second = PopInt32(engine);
  const int32_t first = PopInt32(engine);
  int32_t result = 0;
  switch (id) {
    case 340: result = first & second; break;
    case 341: result = first | second; break;
    case 342: result = first ^ second; break;
    case 343: result = Remainder(first, second); break;
    case 344: result = ShiftRight(first, second); break;
    case 345: result = ShiftLeft(first, second); break;
  }
  SetInteger(engine, result);
}

void LogicalNot(TNuraEngine& engine, int) { SetInteger(engine, PopInt32(engine) == 0 ? 1 : 0); }

void Hex(TNuraEngine& engine, int) { engine.SetResult(HexText(PopInt32(engine)), "e"); }

// ---- formatting ----

void Thousands(TNuraEngine& engine, int) { SetValueOnly(engine, FormatThousands(engine.PopArgumentText())); }

void Pad(TNuraEngine& engine, int id) {
  const int32_t width = PopInt32(engine);
  const std::string text = engine.PopArgumentText();
  SetValueOnly(engine, PadLeft(text, width, id == 174 ? ' ' : '0'));
}

void FormatByDirective(TNuraEngine& engine, int id) {
  const std::string format = engine.PopArgumentText();
  const std::string value = engine.PopArgumentText();
  engine.SetResultKind("s");
  const auto text = FormatOneValue(format, value, TextToNumber(value));
  if (!text) RaiseCommandError(engine, id, SJ("は、文法が正しくないため、実行できません。"));
  engine.SetResult(*text, "s");
}

}  // namespace

void RegisterMathCommands() {
  struct Entry {
    int id;
    CommandHandler handler;
  };
  static const Entry kEntries[] = {
      {17, RandomInteger},  {31, IntegerPart},   {32, CutAtPlace},     {33, CutAtPlace},
      {52, Trigonometric},  {53, Trigonometric}, {54, Trigonometric},  {146, Abs},
      {147, CeilFloor},     {148, ExpLnSqrt},    {149, CeilFloor},     {150, Frac},
      {151, IntegerPart},   {152, ExpLnSqrt},    {153, Log},           {154, Power},
      {155, Round},         {156, ExpLnSqrt},    {157, IntegerPart},   {158, RandomUnit},
      {159, RandomSeed},    {173, Thousands},    {174, Pad},           {175, Pad},
      {179, ExpLnSqrt},     {180, ExpLnSqrt},    {216, Trigonometric}, {217, Trigonometric},
      {218, Trigonometric}, {219, Hypot},        {220, Trigonometric}, {221, Trigonometric},
      {222, Trigonometric}, {223, Trigonometric}, {224, Trigonometric}, {225, Trigonometric},
      {226, Statistics},    {227, Statistics},   {228, Statistics},    {229, Statistics},
      {239, Statistics},    {240, Statistics},   {280, Add},           {281, Arithmetic},
      {282, Arithmetic},    {283, Arithmetic},   {293, FormatByDirective}, {340, BitOperation},
      {341, BitOperation},  {342, BitOperation}, {343, BitOperation},  {344, BitOperation},
      {345, BitOperation},  {346, Hex},          {395, LogicalNot},
  };
  for (const Entry& entry : kEntries) RegisterCommandHandler(entry.id, entry.handler);
}

}  // namespace nura
