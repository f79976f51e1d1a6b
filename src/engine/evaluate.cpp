#include "engine/evaluate.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/expression_parser.h"
#include "engine/number_format.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {

TStrNum TStrNum::FromNumber(long double value) {
  TStrNum v;
  v.number = value;
  v.is_number = true;
  v.has_text_ = false;
  return v;
}

TStrNum TStrNum::FromText(std::string text) {
  TStrNum v;
  v.text_ = std::move(text);
  return v;
}

const std::string& TStrNum::Text() const {
  if (!has_text_) {
    text_ = FormatGeneral(number);
    has_text_ = true;
  }
  return text_;
}

void TStrNum::WriteText(std::string& out) const {
  if (has_text_) {
    out = text_;
  } else {
    FormatGeneralTo(number, out);
  }
}

std::string TStrNum::TakeText() {
  Text();
  return std::move(text_);
}

long double TStrNum::AsNumber() const {
  return is_number ? number : TextNumberValue(text_);
}

namespace {
constexpr int kMaxNesting = 200;
thread_local int nesting = 0;
}  // namespace

TNestingGuard::TNestingGuard() {
  if (++nesting > kMaxNesting) {
    --nesting;
    throw EExpression(SJ("計算式の入れ子が深すぎます。"));
  }
}

TNestingGuard::~TNestingGuard() { --nesting; }

namespace {

using Op = TOperator;

bool IsOperatorChar(char c) { return c != '\0' && std::strchr("%&*+-/<=>^|()!", c) != nullptr; }

struct TOperatorSpelling {
  char text[3];
  Op op;
};

// Two-character operators first: the longest spelling wins.
constexpr TOperatorSpelling kSpellings[] = {
    {"&&", Op::kAnd},          {"||", Op::kOr},           {"==", Op::kEqualEqual},
    {"!=", Op::kNotEqual},     {"<>", Op::kLessGreater},  {"><", Op::kGreaterLess},
    {">=", Op::kGreaterEqual}, {"=>", Op::kEqualGreater}, {"<=", Op::kLessEqual},
    {"=<", Op::kEqualLess},    {"=", Op::kEqual},         {"<", Op::kLess},
    {">", Op::kGreater},       {"+", Op::kPlus},          {"-", Op::kMinus},
    {"&", Op::kConcat},        {"*", Op::kTimes},         {"/", Op::kDivide},
    {"%", Op::kRemainder},     {"^", Op::kPower},         {"(", Op::kOpen},
    {")", Op::kClose},         {"!", Op::kBang},          {"|", Op::kBar},
};

// A finite result or the error: no infinity or NaN leaves the evaluator.
TStrNum CheckedNumber(long double value) {
  if (!std::isfinite(value)) throw EExpression(SJ("プログラムで不正な操作がありました。"));
  return TStrNum::FromNumber(value);
}

long double Arithmetic(Op op, long double l, long double r) {
  if ((op == Op::kDivide || op == Op::kRemainder) && r == 0) {
    throw EExpression(SJ("0で割ることはできません。"));
  }
  switch (op) {
    case Op::kPlus: return l + r;
    case Op::kMinus: return l - r;
    case Op::kTimes: return l * r;
    case Op::kDivide: return l / r;
    case Op::kRemainder: return std::fmod(l, r);
    default: return std::pow(l, r);  // "^"
  }
}

int CompareValues(const TStrNum& l, const TStrNum& r) {
  if (r.is_number) {
    const long double a = l.AsNumber();
    return a < r.number ? -1 : (a > r.number ? 1 : 0);
  }
  const int c = l.Text().compare(r.Text());  // std::string compares bytes unsigned
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// The evaluator's backend of the parser: operands come from the reader and
// every operator computes at once.
struct TEvaluatingBackend {
  using Value = TStrNum;
  const OperandReader& reader;
  Value Operand(const char*& cursor) { return reader(cursor); }
  Value Binary(Op op, Value left, Value right) {
    ApplyBinaryInPlace(op, left, right);
    return left;
  }
  Value Sign(bool negate, Value value) { return negate ? ApplyNegation(value) : value; }
};

std::string LineFrom(const char* start) {
  const char* end = start;
  while (*end != '\0' && *end != '\r' && *end != '\n') ++end;
  return std::string(start, end);
}

}  // namespace

void ApplyBinaryInPlace(TOperator op, TStrNum& left, const TStrNum& right) {
  switch (op) {
    case Op::kAnd: left = TStrNum::FromNumber(left.IsTrue() && right.IsTrue() ? 1 : 0); return;
    case Op::kOr: left = TStrNum::FromNumber(left.IsTrue() || right.IsTrue() ? 1 : 0); return;
    case Op::kConcat: {
      std::string text = left.TakeText();
      text += right.Text();
      left = TStrNum::FromText(std::move(text));
      return;
    }
    case Op::kPlus:
    case Op::kMinus:
    case Op::kTimes:
    case Op::kDivide:
    case Op::kRemainder:
    case Op::kPower: left = CheckedNumber(Arithmetic(op, left.AsNumber(), right.AsNumber())); return;
    default: left = TStrNum::FromNumber(ComparisonHolds(op, CompareValues(left, right)) ? 1 : 0); return;
  }
}

long double ApplyArithmetic(TOperator op, long double left, long double right) {
  return CheckedNumber(Arithmetic(op, left, right)).number;
}

TStrNum ApplyNegation(const TStrNum& value) {
  if (value.is_number) return TStrNum::FromNumber(-value.number);
  return TStrNum::FromText("-" + value.Text());
}

const char* OperatorText(TOperator op) {
  for (const auto& spelling : kSpellings) {
    if (spelling.op == op) return spelling.text;
  }
  return "";
}

TExpressionToken ReadExpressionToken(const char*& cursor) {
  while (*cursor == ' ' || *cursor == '\t') ++cursor;
  TExpressionToken token;
  const char c = *cursor;
  if (c == '\0' || c == '\r' || c == '\n') return token;  // kEnd
  if (!IsOperatorChar(c)) {
    token.kind = TTokenClass::kOperand;
    return token;
  }
  token.kind = TTokenClass::kOperator;
  for (const auto& spelling : kSpellings) {
    if (cursor[0] != spelling.text[0]) continue;
    if (spelling.text[1] != '\0' && cursor[1] != spelling.text[1]) continue;
    token.op = spelling.op;
    cursor += spelling.text[1] != '\0' ? 2 : 1;
    return token;
  }
  return token;  // not reached: every operator character has a spelling
}

TStrNum EvaluateExpression(const char*& cursor, const OperandReader& read_operand) {
  const char* start = cursor;
  try {
    const TNestingGuard guard;
    TEvaluatingBackend backend{read_operand};
    TExpressionParser<TEvaluatingBackend> parser(cursor, backend);
    return parser.Run();
  } catch (const std::exception& e) {
    throw EExpression(SJ("計算式に誤りがあります。") + e.what() + LineFrom(start));
  }
}

TStrNum EvaluateExpression(const std::string& text, const OperandReader& read_operand) {
  const char* cursor = text.c_str();
  return EvaluateExpression(cursor, read_operand);
}

TStrNum EvaluateExpressionAfter(TStrNum first, const char*& cursor, const OperandReader& read_operand,
                                const std::function<std::string()>& firstText) {
  const char* start = cursor;
  try {
    const TNestingGuard guard;
    TEvaluatingBackend backend{read_operand};
    TExpressionParser<TEvaluatingBackend> parser(cursor, backend, std::move(first));
    return parser.Run();
  } catch (const std::exception& e) {
    throw EExpression(SJ("計算式に誤りがあります。") + e.what() + firstText() + LineFrom(start));
  }
}

}  // namespace nura
