// The expression compiler reads a text as the engine's reading evaluator
// would (ExpandString, ReadOperand and the operand reader of expand.cpp)
// and records a step for everything it would compute. Whatever the reading
// would hand to code (calls, "{}" in literals, properties, table cells, words
// that are no variables) makes the compiler decline.
#include "engine/compiled_expression.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "engine/expression_parser.h"
#include "engine/operand_text.h"
#include "engine/scanners.h"
#include "engine/sjis_text.h"

namespace nura {

namespace {

bool IsGeneralInteger(const std::string& text) {
  int64_t value = 0;
  return ReadGeneralInteger(text, value);
}

}  // namespace

TStrNum VariableValue(const std::string& value, const std::string& kind) {
  if (!IsNumberKind(kind)) return TStrNum::FromText(value);
  // A number whose text the general format gives back: its text is made
  // only when asked for.
  int64_t whole = 0;
  if (ReadGeneralInteger(value, whole)) return TStrNum::FromNumber(static_cast<long double>(whole));
  TStrNum v = TStrNum::FromText(value);
  v.is_number = true;
  v.number = TextNumberValue(value);
  return v;
}

TStrNum VariableValue(const THashNode& node) {
  const std::string& kind = node.Annotation();
  int64_t whole = 0;
  // Only numbers whose general format is their digits.
  if (IsNumberKind(kind) && node.ReadWhole(whole) && whole > -kPlainWholeLimit && whole < kPlainWholeLimit)
    return TStrNum::FromNumber(static_cast<long double>(whole));
  return VariableValue(node.Value(), kind);
}

namespace {

// Thrown inside the compiler: the text stays with the reading evaluator.
struct TDecline {};

using TStep = TCompiledExpression::TStep;
using TKind = TStep::TKind;

}  // namespace

class TExpressionCompiler {
 public:
  struct Value {};

  TExpressionCompiler(const THash& words, std::vector<TStep>& steps) : words_(words), steps_(steps) {}

  // As ExpandString reads it.
  void Argument(const std::string& text) {
    const char* p = text.c_str();
    SkipBlanks(p);
    if (*p == '\0') throw TDecline{};  // the empty text leaves the result kind as it was
    Operand(p);
    for (;;) {
      SkipBlanks(p);
      if (*p == '\0') return;
      if (*p == '&' && p[1] != '&') {
        ++p;
        SkipBlanks(p);
        if (*p == '\r' || *p == '\n') throw TDecline{};
        Operand(p);
        Emit(TKind::kBinary, TOperator::kConcat);
        continue;
      }
      if (!std::strchr("%&*+-/<=>^|!", *p)) throw TDecline{};  // a plain text ("5個")
      // The value so far goes on as the first operand of "(" + value + rest + ")".
      Emit(TKind::kFirst);
      const std::string rest = std::string(p) + ")";
      const char* q = rest.c_str();
      TExpressionParser<TExpressionCompiler> parser(q, *this, Value{});
      parser.Run();
      return;
    }
  }

  // As EvaluateExpression reads it.
  void Expression(const std::string& text) {
    const char* p = text.c_str();
    const TNestingGuard guard;
    TExpressionParser<TExpressionCompiler> parser(p, *this);
    parser.Run();
  }

  // The parser's backend.
  Value Operand(const char*& p) {
    SkipBlanks(p);
    const char c = *p;
    if (c == '"' || c == '`') {
      const OperandReader decline = [](const char*&) -> TStrNum { throw TDecline{}; };
      Emit(TKind::kText).text = ReadStringLiteral(p, decline);
      return {};
    }
    if (c == '(') {
      Expression(ReadParenthesizedGroup(p));
      return {};
    }
    const char* probe = p;
    if (c == '-' && ReadNumberLiteral(probe).empty()) throw TDecline{};
    const std::string number = ReadNumberLiteral(p);
    if (!number.empty()) {
      Emit(TKind::kNumber).number = NumberLiteralValue(number);
      return {};
    }
    const std::string word = ReadOperandWord(p);
    if (word.empty()) throw TDecline{};
    Word(word, p);
    return {};
  }
  Value Binary(TOperator op, Value, Value) {
    Emit(TKind::kBinary, op);
    return {};
  }
  Value Sign(bool negate, Value) {
    if (negate) Emit(TKind::kNegate);
    return {};
  }

 private:
  void Word(const std::string& word, const char*& p) {
    if (*p == '(' && IsCallable(words_.FindNode(word, true))) throw TDecline{};
    if (EndsWithNo(word)) {
      // "Hの(key)": an element of a hash by a computed key.
      NodePtr owner = words_.FindNode(word.substr(0, word.size() - SJ("の").size()), false);
      if (!owner) throw TDecline{};
      SkipBlanks(p);
      if (*p != '(') throw TDecline{};
      Expression(ReadParenthesizedGroup(p));
      Emit(TKind::kElement).node = std::move(owner);
      return;
    }
    NodePtr node = words_.FindNode(word, false);
    if (!node || node->kind != kWordVariable || *p == '#' || *p == '(') throw TDecline{};
    Emit(TKind::kVariable).node = std::move(node);
  }

  TStep& Emit(TKind kind, TOperator op = TOperator::kNone) {
    TStep& step = steps_.emplace_back();
    step.kind = kind;
    step.op = op;
    return step;
  }

  const THash& words_;
  std::vector<TStep>& steps_;
};

namespace {

// "variable op operand op operand ...", each operand a number or a
// variable: each operator takes the value so far and the operand before
// it. The step where the pairs start, 0 when the steps are no such chain.
uint8_t ChainStart(const std::vector<TStep>& steps) {
  if (steps.size() < 2 || steps[0].kind != TKind::kVariable) return 0;
  const size_t start = steps[1].kind == TKind::kFirst ? 2 : 1;
  if (steps.size() <= start || (steps.size() - start) % 2 != 0) return 0;
  for (size_t i = start; i < steps.size(); i += 2) {
    const TKind operand = steps[i].kind;
    if ((operand != TKind::kNumber && operand != TKind::kVariable) || steps[i + 1].kind != TKind::kBinary) {
      return 0;
    }
  }
  return static_cast<uint8_t>(start);
}

}  // namespace

CompiledExpressionRef TCompiledExpression::Compile(const std::string& text, TForm form, const THash& words) {
  auto compiled = std::make_shared<TCompiledExpression>();
  TExpressionCompiler compiler(words, compiled->steps_);
  try {
    if (form == TForm::kArgument) {
      compiler.Argument(text);
    } else {
      compiler.Expression(text);
    }
  } catch (const TDecline&) {
    return nullptr;
  } catch (const std::exception&) {
    return nullptr;  // the reading evaluator reports it
  }
  // Numbers alone, not too deep: the numeric pass may answer; with whole
  // numbers and no power, the pass in whole numbers.
  int depth = 0, deepest = 0;
  compiled->numeric_ = true;
  compiled->whole_ = true;
  for (TStep& step : compiled->steps_) {
    if (step.kind == TKind::kText || step.kind == TKind::kElement ||
        (step.kind == TKind::kBinary && step.op == TOperator::kConcat)) {
      compiled->numeric_ = false;
    }
    if (step.kind == TKind::kNumber) {
      if (!ReadWholeNumber(step.number, step.whole)) compiled->whole_ = false;
      step.text = FormatGeneral(step.number);
    }
    if (step.kind == TKind::kBinary && step.op == TOperator::kPower) compiled->whole_ = false;
    if (step.kind == TKind::kBinary) --depth;
    if (step.kind == TKind::kNumber || step.kind == TKind::kVariable) deepest = std::max(deepest, ++depth);
  }
  if (deepest > kMaxNumberDepth) compiled->numeric_ = false;
  compiled->whole_ = compiled->whole_ && compiled->numeric_;
  compiled->chain_ = compiled->numeric_ ? ChainStart(compiled->steps_) : 0;
  if (compiled->chain_) compiled->chainVariable_ = compiled->steps_[0].node.get();
  return compiled;
}

namespace {

// A value of the numeric pass: the number the value gives to arithmetic,
// and whether the value is a number (else a text that reads as it).
template <class TNumber>
struct TNumberSlot {
  TNumber number;
  bool isNumber;
  const std::string* text;  // a variable's own text, not yet through an operator
};

// The numbers of the numeric pass in extended precision, as the reading
// evaluator computes: any text is read as a number.
struct TExtendedNumbers {
  using TNumber = long double;
  static TNumber Literal(const TStep& step) { return step.number; }
  static bool Read(const THashNode& node, TNumber& number) {
    number = TextNumberValue(node.Value());
    return true;
  }
  static bool Arithmetic(TOperator op, TNumber left, TNumber right, TNumber& result) {
    try {
      result = ApplyArithmetic(op, left, right);
      return true;
    } catch (const EExpression&) {
      return false;
    }
  }
  static bool ReadsBack(TNumber number) { return ReadsBackExactly(number); }
  // A slot whose variable text is not the general-format text of its
  // number (an empty number, "1.50"): given on as it stands, only its text
  // is exact.
  static bool TextMatters(const TNumberSlot<TNumber>& slot) {
    return slot.text && slot.isNumber && !IsGeneralInteger(*slot.text);
  }
};

// The numbers of the numeric pass as whole numbers: only texts in the
// general format of a whole number are read, and only results that stay
// well inside 64 bits are given, where the extended precision (a 64-bit
// mantissa) computes exactly the same. Anything else is left to the pass
// in extended precision.
struct TWholeNumbers {
  using TNumber = int64_t;
  static constexpr int64_t kBound = int64_t{1} << 62;
  static TNumber Literal(const TStep& step) { return step.whole; }
  static bool Read(const THashNode& node, TNumber& number) { return node.ReadWhole(number); }
  static bool Arithmetic(TOperator op, TNumber left, TNumber right, TNumber& result) {
    switch (op) {
      case TOperator::kPlus: result = left + right; break;
      case TOperator::kMinus: result = left - right; break;
      case TOperator::kTimes:
        if (__builtin_mul_overflow(left, right, &result)) return false;
        break;
      case TOperator::kDivide:
        if (right == 0 || Remainder(left, right) != 0) return false;  // not whole
        result = left / right;
        break;
      case TOperator::kRemainder:
        if (right == 0) return false;
        result = Remainder(left, right);  // as fmod: the sign of the dividend
        break;
      default:
        return false;
    }
    return result > -kBound && result < kBound;
  }
  static bool ReadsBack(TNumber number) { return number > -kPlainWholeLimit && number < kPlainWholeLimit; }
  static bool TextMatters(const TNumberSlot<TNumber>&) { return false; }  // read only from general texts

 private:
  // Dividing in 32 bits where both operands allow it is much quicker.
  static TNumber Remainder(TNumber left, TNumber right) {
    if ((static_cast<uint64_t>(left) | static_cast<uint64_t>(right)) <= UINT32_MAX) {
      return static_cast<uint32_t>(left) % static_cast<uint32_t>(right);
    }
    return left % right;
  }
};

// A binary operator of the numeric pass; false when the reading must
// compute it.
template <class TNumbers, class TNumber = typename TNumbers::TNumber>
[[gnu::always_inline]] inline bool Combine(TOperator op, TNumber left, TNumber right, bool rightIsNumber, TNumber& value) {
  if (op == TOperator::kAnd || op == TOperator::kOr) {
    const bool l = left != 0, r = right != 0;
    value = op == TOperator::kAnd ? (l && r ? 1 : 0) : (l || r ? 1 : 0);
    return true;
  }
  if (op >= TOperator::kEqual && op <= TOperator::kGreater) {
    if (!rightIsNumber) return false;  // texts compare as texts
    value = NumbersCompare(op, left, right) ? 1 : 0;
    return true;
  }
  return TNumbers::Arithmetic(op, left, right, value);
}

}  // namespace

template <class TNumbers>
bool TCompiledExpression::RunChain(typename TNumbers::TNumber& result) const {
  using TNumber = typename TNumbers::TNumber;
  const THashNode& node = *chainVariable_;
  TNumber value;
  if (node.kind != kWordVariable || !TNumbers::Read(node, value)) return false;
  const TStep* step = &steps_[chain_];
  const TStep* const end = steps_.data() + steps_.size();
  for (; step != end; step += 2) {
    if (step[0].kind == TKind::kNumber) {
      if (!Combine<TNumbers>(step[1].op, value, TNumbers::Literal(step[0]), true, value)) return false;
      continue;
    }
    // A variable operand, as the numeric pass reads it.
    const THashNode& operand = *step[0].node;
    TNumber number;
    if (operand.kind != kWordVariable || !TNumbers::Read(operand, number)) return false;
    if (!Combine<TNumbers>(step[1].op, value, number, IsNumberKind(operand.Annotation()), value)) return false;
  }
  result = value;
  return true;
}

template <class TNumbers>
bool TCompiledExpression::RunNumbers(typename TNumbers::TNumber& result) const {
  // A variable as the first operand keeps its number in whole numbers,
  // which are read only from texts that read back.
  if (chain_ == 1 || (chain_ == 2 && std::is_same_v<TNumbers, TWholeNumbers>)) return RunChain<TNumbers>(result);
  return RunStack<TNumbers>(result);
}

template <class TNumbers>
bool TCompiledExpression::RunStack(typename TNumbers::TNumber& result) const {
  using TNumber = typename TNumbers::TNumber;
  TNumberSlot<TNumber> stack[kMaxNumberDepth];
  int top = -1;
  for (const TStep& step : steps_) {
    switch (step.kind) {
      case TKind::kNumber:
        stack[++top] = {TNumbers::Literal(step), true, nullptr};
        break;
      case TKind::kVariable: {
        const THashNode& node = *step.node;
        if (node.kind != kWordVariable) return false;
        const bool isNumber = IsNumberKind(node.Annotation());
        TNumber number;
        if (!TNumbers::Read(node, number)) return false;
        stack[++top] = {number, isNumber, &node.Value()};
        break;
      }
      case TKind::kBinary: {
        // Fields read and written one by one: copying whole slots would
        // read the 10-byte numbers back in other widths, which stalls.
        const TNumber right = stack[top].number;
        const bool rightIsNumber = stack[top].isNumber;
        TNumberSlot<TNumber>& left = stack[--top];
        TNumber value = 0;
        if (!Combine<TNumbers>(step.op, left.number, right, rightIsNumber, value)) return false;
        left.number = value;
        left.isNumber = true;
        left.text = nullptr;
        break;
      }
      case TKind::kNegate:
        if (!stack[top].isNumber || TNumbers::TextMatters(stack[top])) return false;  // a text gets "-" in front
        stack[top] = {-stack[top].number, true, nullptr};
        break;
      case TKind::kFirst:
        if (TNumbers::TextMatters(stack[top])) return false;
        if (stack[top].isNumber) {
          if (!TNumbers::ReadsBack(stack[top].number)) return false;
          if (stack[top].number == 0) stack[top].number = 0;
        }
        break;
      default:
        return false;
    }
  }
  if (top != 0 || !stack[0].isNumber || TNumbers::TextMatters(stack[0])) return false;
  result = stack[0].number;
  return true;
}

bool TCompiledExpression::EvaluateWhole(int64_t& whole) const {
  return whole_ && RunNumbers<TWholeNumbers>(whole) && TWholeNumbers::ReadsBack(whole);
}

bool TCompiledExpression::EvaluateNumbers(TStrNum& value) const {
  int64_t whole = 0;
  long double number = 0;
  if (EvaluateWhole(whole)) {
    number = static_cast<long double>(whole);
  } else if (!RunNumbers<TExtendedNumbers>(number)) {
    return false;
  }
  value = TStrNum::FromNumber(number);
  return true;
}

bool TCompiledExpression::AppendTo(THashNode& target) const {
  const size_t count = steps_.size();
  if (count < 3 || count % 2 == 0 || steps_[0].kind != TKind::kVariable || steps_[0].node.get() != &target) {
    return false;
  }
  for (size_t i = 1; i < count; i += 2) {
    const TStep& operand = steps_[i];
    const TStep& join = steps_[i + 1];
    if (join.kind != TKind::kBinary || join.op != TOperator::kConcat) return false;
    // X itself again would be read after the first operands were added.
    const bool plainVariable = operand.kind == TKind::kVariable && operand.node.get() != &target &&
                               operand.node->kind == kWordVariable;
    if (!plainVariable && operand.kind != TKind::kText && operand.kind != TKind::kNumber) return false;
  }
  // A variable's text is its value as an operand, whatever its kind.
  for (size_t i = 1; i < count; i += 2) {
    target.MutableValue() += steps_[i].kind == TKind::kVariable ? steps_[i].node->Value() : steps_[i].text;
  }
  return true;
}

bool TCompiledExpression::Evaluate(TStrNum& value) const {
  if (numeric_ && EvaluateNumbers(value)) return true;
  std::vector<TStrNum>& stack = stack_;
  stack.clear();
  try {
    for (const TStep& step : steps_) {
      switch (step.kind) {
        case TKind::kNumber:
          stack.push_back(TStrNum::FromNumber(step.number));
          break;
        case TKind::kText:
          stack.push_back(TStrNum::FromText(step.text));
          break;
        case TKind::kVariable:
          if (step.node->kind != kWordVariable) return false;
          stack.push_back(VariableValue(*step.node));
          break;
        case TKind::kElement: {
          const THashNode& owner = *step.node;
          const std::string& key = stack.back().Text();
          if (owner.kind != kWordHash || !owner.Hash() || key.empty()) return false;
          const THashNode* element = owner.Hash()->Find(key, false);
          if (!element) return false;  // the reading tries the key expanded
          stack.back() = VariableValue(*element);
          break;
        }
        case TKind::kBinary:
          ApplyBinaryInPlace(step.op, stack[stack.size() - 2], stack.back());
          stack.pop_back();
          break;
        case TKind::kNegate:
          stack.back() = ApplyNegation(stack.back());
          break;
        case TKind::kFirst: {
          TStrNum& first = stack.back();
          if (!first.is_number) break;
          if (!ReadsBackExactly(first.number)) return false;
          first = TStrNum::FromNumber(first.number == 0 ? 0 : first.number);
          break;
        }
      }
    }
  } catch (const EExpression&) {
    return false;
  }
  if (stack.size() != 1) return false;
  value = std::move(stack.back());
  stack.clear();
  return true;
}

}  // namespace nura
