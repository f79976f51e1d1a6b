// Expressions read once from their program text and computed many times:
// numbers and literals read in advance, variables resolved to their nodes,
// operators as steps. Only expressions whose reading runs no code and
// depends on nothing but the word table are compiled (plain variables,
// literals without embedded expressions, numbers, groups, elements of a
// hash by a computed key); anything else stays with the reading evaluator.
// A compiled expression is true while the word table keeps its shape (the
// caller keeps it under THash::ShapeGeneration), and an evaluation that
// meets a case it cannot answer exactly as the reading would (a variable
// that became a hash, a missing element, an error) declines, so that the
// reading evaluator computes it, with its own errors.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/evaluate.h"
#include "engine/number_format.h"
#include "engine/nura_base.h"

namespace nura {

// True when the kind letter (the last letter of an annotation) says number.
inline bool IsNumberKind(const std::string& kind) { return !kind.empty() && kind.back() == 'e'; }

// The value of a variable as an operand: its text, and its number when its
// kind says number.
TStrNum VariableValue(const std::string& value, const std::string& kind);
// The same of a word's value; a whole number waiting for its text is given
// as its number, the text left unwritten.
TStrNum VariableValue(const THashNode& node);

class TCompiledExpression {
 public:
  // How the text is read: as an argument text (ExpandString: operands
  // joined by "&", then the rest as an expression behind the value so
  // far) or as an expression (EvaluateExpression).
  enum class TForm { kArgument, kExpression };

  // Nil when the text holds anything that is not compiled.
  static std::shared_ptr<const TCompiledExpression> Compile(const std::string& text, TForm form,
                                                            const THash& words);

  // Computes the value; false when the reading evaluator must compute it.
  bool Evaluate(TStrNum& value) const;
  // The value when it is a whole number of at most 15 digits computed from
  // whole numbers alone (its general format is its plain digits); false
  // when Evaluate must compute it.
  bool EvaluateWhole(int64_t& whole) const;
  // "X & operand & ..." with X the variable `target` itself and every other
  // operand a text, a number or another variable: appends the operands'
  // texts to X's text; false (nothing done) for any other expression.
  bool AppendTo(THashNode& target) const;

  struct TStep {
    enum class TKind : uint8_t { kNumber, kText, kVariable, kElement, kBinary, kNegate, kFirst };
    TKind kind = TKind::kNumber;
    TOperator op = TOperator::kNone;
    long double number = 0;
    int64_t whole = 0;  // kNumber: the number when it is whole
    std::string text;   // kText: the text; kNumber: its general format
    NodePtr node;  // kVariable: the variable; kElement: the hash
  };

 private:
  friend class TExpressionCompiler;
  static constexpr int kMaxNumberDepth = 16;
  // The pass over numbers alone, for expressions of numbers and variables
  // whose texts matter only as numbers; false when a text is needed.
  // TNumbers gives the kind of number and its arithmetic (whole numbers
  // or extended precision).
  template <class TNumbers>
  bool RunNumbers(typename TNumbers::TNumber& result) const;
  // Its pass over a stack of operands, apart so that a chain needs no room
  // for the stack.
  template <class TNumbers>
  [[gnu::noinline]] bool RunStack(typename TNumbers::TNumber& result) const;
  // The numeric pass of a chain "variable op operand op operand ..." (each
  // operand a number or a variable), which needs no stack.
  template <class TNumbers>
  bool RunChain(typename TNumbers::TNumber& result) const;
  // The numeric pass, in whole numbers first.
  bool EvaluateNumbers(TStrNum& value) const;
  std::vector<TStep> steps_;
  bool numeric_ = false;
  bool whole_ = false;  // numeric, with whole numbers and no "^" alone
  // Numeric, a variable then pairs of an operand and an operator, from step
  // chain_ on (0: no chain; 2 when the variable is the first operand of an
  // argument text).
  uint8_t chain_ = 0;
  const THashNode* chainVariable_ = nullptr;  // a chain's variable (held by its step), one load nearer
  mutable std::vector<TStrNum> stack_;  // reused: evaluations run no code, so never nest
};

using CompiledExpressionRef = std::shared_ptr<const TCompiledExpression>;

}  // namespace nura
