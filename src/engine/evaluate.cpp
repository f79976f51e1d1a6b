#include "engine/evaluate.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

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

bool IsComparison(Op op) { return op >= Op::kEqual && op <= Op::kGreater; }

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

bool ComparisonHolds(Op op, int c) {
  switch (op) {
    case Op::kEqual:
    case Op::kEqualEqual: return c == 0;
    case Op::kNotEqual:
    case Op::kLessGreater:
    case Op::kGreaterLess: return c != 0;
    case Op::kLess: return c < 0;
    case Op::kGreater: return c > 0;
    case Op::kGreaterEqual:
    case Op::kEqualGreater: return c >= 0;
    default: return c <= 0;  // "<=", "=<"
  }
}

class TExpressionParser {
 public:
  TExpressionParser(const char*& cursor, const OperandReader& reader)
      : cursor_(cursor), reader_(reader) {}
  // The parser reads "(" and `first` before the text at the cursor.
  TExpressionParser(const char*& cursor, const OperandReader& reader, TStrNum first)
      : cursor_(cursor), reader_(reader), first_(std::move(first)), pending_(2) {}

  TStrNum Run() {
    Next();
    TStrNum value = Logical();
    if (token_.kind != TTokenClass::kEnd) throw EExpression(SJ("計算結果が不正"));
    return value;
  }

 private:
  void Next() {
    if (pending_ == 2) {  // the "(" before the operand already read
      token_ = {TTokenClass::kOperator, Op::kOpen};
      pending_ = 1;
      return;
    }
    if (pending_ == 1) {
      token_ = {TTokenClass::kOperand, Op::kNone};
      return;
    }
    token_ = ReadExpressionToken(cursor_);
  }
  bool AtOperator(Op a, Op b = Op::kNone, Op c = Op::kNone, Op d = Op::kNone) const {
    return token_.kind == TTokenClass::kOperator &&
           (token_.op == a || token_.op == b || token_.op == c || token_.op == d);
  }

  TStrNum Logical() {
    TStrNum left = Comparison();
    while (AtOperator(Op::kAnd, Op::kOr)) {
      const Op op = token_.op;
      Next();
      const TStrNum right = Comparison();
      const bool holds = op == Op::kAnd ? (left.IsTrue() && right.IsTrue())
                                        : (left.IsTrue() || right.IsTrue());
      left = TStrNum::FromNumber(holds ? 1 : 0);
    }
    return left;
  }

  TStrNum Comparison() {
    TStrNum left = Additive();
    while (token_.kind == TTokenClass::kOperator && IsComparison(token_.op)) {
      const Op op = token_.op;
      Next();
      const TStrNum right = Additive();
      left = TStrNum::FromNumber(ComparisonHolds(op, CompareValues(left, right)) ? 1 : 0);
    }
    return left;
  }

  TStrNum Additive() {
    TStrNum left = Multiplicative();
    while (AtOperator(Op::kPlus, Op::kMinus, Op::kConcat)) {
      const Op op = token_.op;
      Next();
      const TStrNum right = Multiplicative();
      if (op == Op::kConcat) {
        std::string text = left.TakeText();
        text += right.Text();
        left = TStrNum::FromText(std::move(text));
      } else {
        left = CheckedNumber(Arithmetic(op, left.AsNumber(), right.AsNumber()));
      }
    }
    return left;
  }

  TStrNum Multiplicative() {
    TStrNum left = Primary();
    while (AtOperator(Op::kTimes, Op::kDivide, Op::kRemainder, Op::kPower)) {
      const Op op = token_.op;
      Next();
      const TStrNum right = Primary();
      left = CheckedNumber(Arithmetic(op, left.AsNumber(), right.AsNumber()));
    }
    return left;
  }

  TStrNum Primary() {
    const TNestingGuard guard;
    if (token_.kind == TTokenClass::kEnd) throw EExpression(SJ("計算結果が不正"));
    if (token_.kind == TTokenClass::kOperand) {
      TStrNum value;
      if (pending_ == 1) {
        value = std::move(first_);
        pending_ = 0;
      } else {
        value = reader_(cursor_);
      }
      Next();
      return value;
    }
    if (token_.op == Op::kOpen) {
      Next();
      TStrNum value = Logical();
      if (!AtOperator(Op::kClose)) throw EExpression(SJ("\")\"がありません。"));
      Next();
      return value;
    }
    if (token_.op == Op::kMinus || token_.op == Op::kPlus) {  // a sign before an operand
      const bool negate = token_.op == Op::kMinus;
      Next();
      TStrNum value = Primary();
      return negate ? Negate(value) : value;
    }
    throw EExpression(SJ("演算子「") + OperatorText(token_.op) + SJ("」の位置が不正。"));
  }

  static TStrNum Negate(const TStrNum& v) {
    if (v.is_number) return TStrNum::FromNumber(-v.number);
    return TStrNum::FromText("-" + v.Text());
  }

  const char*& cursor_;
  const OperandReader& reader_;
  TStrNum first_;
  int pending_ = 0;  // 2: "(" and the first operand to come; 1: the operand
  TExpressionToken token_;
};

std::string LineFrom(const char* start) {
  const char* end = start;
  while (*end != '\0' && *end != '\r' && *end != '\n') ++end;
  return std::string(start, end);
}

}  // namespace

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
    TExpressionParser parser(cursor, read_operand);
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
    TExpressionParser parser(cursor, read_operand, std::move(first));
    return parser.Run();
  } catch (const std::exception& e) {
    throw EExpression(SJ("計算式に誤りがあります。") + e.what() + firstText() + LineFrom(start));
  }
}

}  // namespace nura
