// The expression compiler reads a text as the engine's reading evaluator
// would (ExpandString, ReadOperand and the operand reader of expand.cpp)
// and records a step for everything it would compute. Whatever the reading
// would hand to code (calls, "{}" in literals, properties, table cells, words
// that are no variables) makes the compiler decline.
#include "engine/compiled_expression.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/expression_parser.h"
#include "engine/operand_text.h"
#include "engine/scanners.h"
#include "engine/sjis_text.h"

namespace nura {

namespace {

// True when `text` is what the general format writes for its integer: no
// leading zero, no "-0", at most 15 digits.
bool IsGeneralInteger(const std::string& text) {
  const size_t sign = !text.empty() && text[0] == '-' ? 1 : 0;
  const size_t digits = text.size() - sign;
  if (digits == 0 || digits > 15 || (text[sign] == '0' && (digits > 1 || sign))) return false;
  for (size_t i = sign; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

}  // namespace

TStrNum VariableValue(const std::string& value, const std::string& kind) {
  if (kind.empty() || kind.back() != 'e') return TStrNum::FromText(value);
  long double number = 0;
  // A number whose text the general format gives back: its text is made
  // only when asked for.
  if (IsGeneralInteger(value) && ReadPlainInteger(value, number)) return TStrNum::FromNumber(number);
  TStrNum v = TStrNum::FromText(value);
  v.is_number = true;
  v.number = TextNumberValue(value);
  return v;
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
  // Numbers alone, not too deep: the numeric pass may answer.
  int depth = 0, deepest = 0;
  compiled->numeric_ = true;
  for (const TStep& step : compiled->steps_) {
    if (step.kind == TStep::TKind::kText || step.kind == TStep::TKind::kElement ||
        (step.kind == TStep::TKind::kBinary && step.op == TOperator::kConcat)) {
      compiled->numeric_ = false;
    }
    if (step.kind == TStep::TKind::kBinary) --depth;
    if (step.kind == TStep::TKind::kNumber || step.kind == TStep::TKind::kVariable) deepest = std::max(deepest, ++depth);
  }
  if (deepest > kMaxNumberDepth) compiled->numeric_ = false;
  return compiled;
}

namespace {

// A value of the numeric pass: the number the value gives to arithmetic,
// and whether the value is a number (else a text that reads as it).
struct TNumberSlot {
  long double number;
  bool isNumber;
  const std::string* text = nullptr;  // a variable's own text, not yet through an operator
};

// A slot whose variable text is not the general-format text of its number
// (an empty number, "1.50"): given on as it stands, only its text is exact.
bool TextMatters(const TNumberSlot& slot) {
  return slot.text && slot.isNumber && !IsGeneralInteger(*slot.text);
}

}  // namespace

bool TCompiledExpression::EvaluateNumbers(TStrNum& value) const {
  TNumberSlot stack[kMaxNumberDepth];
  int top = -1;
  for (const TStep& step : steps_) {
    switch (step.kind) {
      case TKind::kNumber:
        stack[++top] = {step.number, true};
        break;
      case TKind::kVariable: {
        const THashNode& node = *step.node;
        if (node.kind != kWordVariable) return false;
        const bool isNumber = !node.annotation.empty() && node.annotation.back() == 'e';
        stack[++top] = {TextNumberValue(node.value), isNumber, &node.value};
        break;
      }
      case TKind::kBinary: {
        // Fields read and written one by one: copying whole slots would
        // read the 10-byte numbers back in other widths, which stalls.
        const long double right = stack[top].number;
        const bool rightIsNumber = stack[top].isNumber;
        TNumberSlot& left = stack[--top];
        const TOperator op = step.op;
        long double result = 0;
        if (op == TOperator::kAnd || op == TOperator::kOr) {
          const bool l = left.number != 0, r = right != 0;
          result = op == TOperator::kAnd ? (l && r ? 1.0L : 0.0L) : (l || r ? 1.0L : 0.0L);
        } else if (op >= TOperator::kEqual && op <= TOperator::kGreater) {
          if (!rightIsNumber) return false;  // texts compare as texts
          result = NumbersCompare(op, left.number, right) ? 1.0L : 0.0L;
        } else {
          try {
            result = ApplyArithmetic(op, left.number, right);
          } catch (const EExpression&) {
            return false;
          }
        }
        left.number = result;
        left.isNumber = true;
        left.text = nullptr;
        break;
      }
      case TKind::kNegate:
        if (!stack[top].isNumber || TextMatters(stack[top])) return false;  // a text gets "-" in front
        stack[top] = {-stack[top].number, true};
        break;
      case TKind::kFirst:
        if (TextMatters(stack[top])) return false;
        if (stack[top].isNumber) {
          if (!ReadsBackExactly(stack[top].number)) return false;
          if (stack[top].number == 0) stack[top].number = 0;
        }
        break;
      default:
        return false;
    }
  }
  if (top != 0 || !stack[0].isNumber || TextMatters(stack[0])) return false;
  value = TStrNum::FromNumber(stack[0].number);
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
          stack.push_back(VariableValue(step.node->value, step.node->annotation));
          break;
        case TKind::kElement: {
          const THashNode& owner = *step.node;
          const std::string& key = stack.back().Text();
          if (owner.kind != kWordHash || !owner.hash || key.empty()) return false;
          const THashNode* element = owner.hash->Find(key, false);
          if (!element) return false;  // the reading tries the key expanded
          stack.back() = VariableValue(element->value, element->annotation);
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
