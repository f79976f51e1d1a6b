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
  v.text = FormatGeneral(value);
  return v;
}

TStrNum TStrNum::FromText(std::string text) {
  TStrNum v;
  v.text = std::move(text);
  return v;
}

long double TStrNum::AsNumber() const {
  return is_number ? number : TextNumberValue(text);
}

namespace {

bool IsOperatorChar(char c) { return c != '\0' && std::strchr("%&*+-/<=>^|()!", c) != nullptr; }

const char* const kTwoCharOperators[] = {"&&", "||", "==", "!=", "<>", "><", ">=", "=>", "<=", "=<"};

bool IsComparison(const std::string& op) {
  static const char* const kOps[] = {"=", "==", "!=", "<>", "><", "<", ">", ">=", "=>", "<=", "=<"};
  for (const char* o : kOps) {
    if (op == o) return true;
  }
  return false;
}

// A finite result or the error: no infinity or NaN leaves the evaluator.
TStrNum CheckedNumber(long double value) {
  if (!std::isfinite(value)) throw EExpression(SJ("プログラムで不正な操作がありました。"));
  return TStrNum::FromNumber(value);
}

long double Arithmetic(const std::string& op, long double l, long double r) {
  if ((op == "/" || op == "%") && r == 0) throw EExpression(SJ("0で割ることはできません。"));
  if (op == "+") return l + r;
  if (op == "-") return l - r;
  if (op == "*") return l * r;
  if (op == "/") return l / r;
  if (op == "%") return std::fmod(l, r);
  return std::pow(l, r);  // "^"
}

int CompareValues(const TStrNum& l, const TStrNum& r) {
  if (r.is_number) {
    const long double a = l.AsNumber();
    return a < r.number ? -1 : (a > r.number ? 1 : 0);
  }
  const int c = l.text.compare(r.text);  // std::string compares bytes unsigned
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool ComparisonHolds(const std::string& op, int c) {
  if (op == "=" || op == "==") return c == 0;
  if (op == "!=" || op == "<>" || op == "><") return c != 0;
  if (op == "<") return c < 0;
  if (op == ">") return c > 0;
  if (op == ">=" || op == "=>") return c >= 0;
  return c <= 0;  // "<=", "=<"
}

// Nesting of groups, signs and nested evaluations (literal braces, groups
// read by the operand reader) is bounded, so that no text can exhaust the
// stack.
constexpr int kMaxNesting = 200;
thread_local int nesting = 0;

class TNestingGuard {
 public:
  TNestingGuard() {
    if (++nesting > kMaxNesting) {
      --nesting;
      throw EExpression(SJ("計算式の入れ子が深すぎます。"));
    }
  }
  ~TNestingGuard() { --nesting; }
  TNestingGuard(const TNestingGuard&) = delete;
  TNestingGuard& operator=(const TNestingGuard&) = delete;
};

class TExpressionParser {
 public:
  TExpressionParser(const char*& cursor, const OperandReader& reader)
      : cursor_(cursor), reader_(reader) {}

  TStrNum Run() {
    Next();
    TStrNum value = Logical();
    if (token_.kind != TTokenClass::kEnd) throw EExpression(SJ("計算結果が不正"));
    return value;
  }

 private:
  void Next() { token_ = ReadExpressionToken(cursor_); }
  bool AtOperator(std::initializer_list<const char*> ops) const {
    if (token_.kind != TTokenClass::kOperator) return false;
    for (const char* o : ops) {
      if (token_.text == o) return true;
    }
    return false;
  }

  TStrNum Logical() {
    TStrNum left = Comparison();
    while (AtOperator({"&&", "||"})) {
      const std::string op = token_.text;
      Next();
      const TStrNum right = Comparison();
      const bool holds = op == "&&" ? (left.IsTrue() && right.IsTrue())
                                    : (left.IsTrue() || right.IsTrue());
      left = TStrNum::FromNumber(holds ? 1 : 0);
    }
    return left;
  }

  TStrNum Comparison() {
    TStrNum left = Additive();
    while (token_.kind == TTokenClass::kOperator && IsComparison(token_.text)) {
      const std::string op = token_.text;
      Next();
      const TStrNum right = Additive();
      left = TStrNum::FromNumber(ComparisonHolds(op, CompareValues(left, right)) ? 1 : 0);
    }
    return left;
  }

  TStrNum Additive() {
    TStrNum left = Multiplicative();
    while (AtOperator({"+", "-", "&"})) {
      const std::string op = token_.text;
      Next();
      const TStrNum right = Multiplicative();
      if (op == "&") {
        left = TStrNum::FromText(left.text + right.text);
      } else {
        left = CheckedNumber(Arithmetic(op, left.AsNumber(), right.AsNumber()));
      }
    }
    return left;
  }

  TStrNum Multiplicative() {
    TStrNum left = Primary();
    while (AtOperator({"*", "/", "%", "^"})) {
      const std::string op = token_.text;
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
      TStrNum value = reader_(cursor_);
      Next();
      return value;
    }
    if (token_.text == "(") {
      Next();
      TStrNum value = Logical();
      if (!AtOperator({")"})) throw EExpression(SJ("\")\"がありません。"));
      Next();
      return value;
    }
    if (token_.text == "-" || token_.text == "+") {  // a sign before an operand
      const bool negate = token_.text == "-";
      Next();
      TStrNum value = Primary();
      return negate ? Negate(value) : value;
    }
    throw EExpression(SJ("演算子「") + token_.text + SJ("」の位置が不正。"));
  }

  static TStrNum Negate(const TStrNum& v) {
    if (v.is_number) return TStrNum::FromNumber(-v.number);
    return TStrNum::FromText("-" + v.text);
  }

  const char*& cursor_;
  const OperandReader& reader_;
  TExpressionToken token_;
};

std::string LineFrom(const char* start) {
  const char* end = start;
  while (*end != '\0' && *end != '\r' && *end != '\n') ++end;
  return std::string(start, end);
}

}  // namespace

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
  for (const char* op : kTwoCharOperators) {
    if (cursor[0] == op[0] && cursor[1] == op[1]) {
      token.text = op;
      cursor += 2;
      return token;
    }
  }
  token.text = std::string(1, c);
  ++cursor;
  return token;
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

}  // namespace nura
