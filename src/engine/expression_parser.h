// The grammar of expressions, shared by the evaluator (which computes as it
// reads) and the expression compiler (which records steps to compute
// later). The parser reads tokens and calls its backend for every operand,
// operator and sign, in the order of evaluation:
//   Value Operand(const char*& cursor)   reads one operand at the cursor
//   Value Binary(TOperator, Value, Value)
//   Value Sign(bool negate, Value)
// Errors of the grammar come as EExpression.
#pragma once

#include <utility>

#include "engine/evaluate.h"
#include "platform/sjis.h"

namespace nura {

// The value operations of the evaluator, the result in `left`: "&&", "||",
// comparisons, arithmetic (EExpression for division by zero and results
// that are no finite number) and "&".
void ApplyBinaryInPlace(TOperator op, TStrNum& left, const TStrNum& right);
// An arithmetic operator ("+", "-", "*", "/", "%", "^") on numbers, with
// the errors of ApplyBinaryInPlace.
long double ApplyArithmetic(TOperator op, long double left, long double right);
// Whether a comparison operator holds for operands in order `c` (negative:
// left before right, 0: equal, positive: left after right).
inline bool ComparisonHolds(TOperator op, int c) {
  switch (op) {
    case TOperator::kEqual:
    case TOperator::kEqualEqual: return c == 0;
    case TOperator::kNotEqual:
    case TOperator::kLessGreater:
    case TOperator::kGreaterLess: return c != 0;
    case TOperator::kLess: return c < 0;
    case TOperator::kGreater: return c > 0;
    case TOperator::kGreaterEqual:
    case TOperator::kEqualGreater: return c >= 0;
    default: return c <= 0;  // "<=", "=<"
  }
}
// A comparison of two numbers.
template <class TNumber>
bool NumbersCompare(TOperator op, TNumber left, TNumber right) {
  return ComparisonHolds(op, left < right ? -1 : (left > right ? 1 : 0));
}
// "-" before a value: a number negated, a text with "-" in front.
TStrNum ApplyNegation(const TStrNum& value);

template <class Backend>
class TExpressionParser {
 public:
  using Value = typename Backend::Value;
  using Op = TOperator;

  TExpressionParser(const char*& cursor, Backend& backend) : cursor_(cursor), backend_(backend) {}
  // The parser reads "(" and `first` before the text at the cursor.
  TExpressionParser(const char*& cursor, Backend& backend, Value first)
      : cursor_(cursor), backend_(backend), first_(std::move(first)), pending_(2) {}

  Value Run() {
    Next();
    Value value = Logical();
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
  bool AtOperator(Op op) const { return token_.kind == TTokenClass::kOperator && token_.op == op; }

  // One level of left-associative operators: operands of the level below
  // joined by the operators that `joins` accepts.
  template <Value (TExpressionParser::*Below)(), class Joins>
  Value Level(Joins joins) {
    Value left = (this->*Below)();
    while (token_.kind == TTokenClass::kOperator && joins(token_.op)) {
      const Op op = token_.op;
      Next();
      Value right = (this->*Below)();
      left = backend_.Binary(op, std::move(left), std::move(right));
    }
    return left;
  }

  Value Logical() {
    return Level<&TExpressionParser::Comparison>([](Op op) { return op == Op::kAnd || op == Op::kOr; });
  }
  Value Comparison() {
    return Level<&TExpressionParser::Additive>([](Op op) { return op >= Op::kEqual && op <= Op::kGreater; });
  }
  Value Additive() {
    return Level<&TExpressionParser::Multiplicative>(
        [](Op op) { return op == Op::kPlus || op == Op::kMinus || op == Op::kConcat; });
  }
  Value Multiplicative() {
    return Level<&TExpressionParser::Primary>([](Op op) {
      return op == Op::kTimes || op == Op::kDivide || op == Op::kRemainder || op == Op::kPower;
    });
  }

  Value Primary() {
    const TNestingGuard guard;
    if (token_.kind == TTokenClass::kEnd) throw EExpression(SJ("計算結果が不正"));
    if (token_.kind == TTokenClass::kOperand) {
      Value value;
      if (pending_ == 1) {
        value = std::move(first_);
        pending_ = 0;
      } else {
        value = backend_.Operand(cursor_);
      }
      Next();
      return value;
    }
    if (token_.op == Op::kOpen) {
      Next();
      Value value = Logical();
      if (!AtOperator(Op::kClose)) throw EExpression(SJ("\")\"がありません。"));
      Next();
      return value;
    }
    if (token_.op == Op::kMinus || token_.op == Op::kPlus) {  // a sign before an operand
      const bool negate = token_.op == Op::kMinus;
      Next();
      return backend_.Sign(negate, Primary());
    }
    throw EExpression(SJ("演算子「") + OperatorText(token_.op) + SJ("」の位置が不正。"));
  }

  const char*& cursor_;
  Backend& backend_;
  Value first_{};
  int pending_ = 0;  // 2: "(" and the first operand to come; 1: the operand
  TExpressionToken token_;
};

}  // namespace nura
