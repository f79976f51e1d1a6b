// The expression evaluator: numbers, texts, variables and calls combined by
// arithmetic, concatenation, comparison and logical operators, and the
// translation of conditions written in Japanese ("Aが5以上かつBが3") into
// operator form. The evaluator itself knows nothing of the word table: it
// asks an operand reader for every operand, so the engine plugs in its own
// reader (variables, calls, hash elements) and tests can use a plain one.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace nura {

// One operand or intermediate value: a text, a number and whether the
// value is a number. A number's text is its general format, written only
// when it is first asked for; a number read from a text keeps that text.
struct TStrNum {
  long double number = 0;
  bool is_number = false;

  static TStrNum FromNumber(long double value);
  static TStrNum FromText(std::string text);
  const std::string& Text() const;
  // The text, moved out of a value that is no longer needed.
  std::string TakeText();
  // The text written into `out` (whose buffer is reused).
  void WriteText(std::string& out) const;
  // False for a number whose text is still to be made from it.
  bool HasText() const { return has_text_; }
  // The number, or the text read leniently when the value is a text.
  long double AsNumber() const;
  bool IsTrue() const { return AsNumber() != 0; }

 private:
  mutable std::string text_;
  mutable bool has_text_ = true;
};

// An evaluation error not yet formatted for the error log. The engine turns
// it into ENura with the line and file of the statement.
class EExpression : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Bounds the nesting of groups, signs and nested evaluations (literal
// braces, groups read by an operand reader), so that no text can exhaust
// the stack: one guard per level, EExpression "計算式の入れ子が深すぎます。"
// beyond the limit.
class TNestingGuard {
 public:
  TNestingGuard();
  ~TNestingGuard();
  TNestingGuard(const TNestingGuard&) = delete;
  TNestingGuard& operator=(const TNestingGuard&) = delete;
};

enum class TTokenClass { kOperator, kEnd, kOperand };

// The operators and parentheses of expressions.
enum class TOperator : uint8_t {
  kNone, kAnd, kOr, kEqual, kEqualEqual, kNotEqual, kLessGreater, kGreaterLess, kGreaterEqual,
  kEqualGreater, kLessEqual, kEqualLess, kLess, kGreater, kPlus, kMinus, kConcat, kTimes,
  kDivide, kRemainder, kPower, kOpen, kClose, kBang, kBar,
};

struct TExpressionToken {
  TTokenClass kind = TTokenClass::kEnd;
  TOperator op = TOperator::kNone;  // the operator; kNone for end and operand
};

// How the operator is written ("&&", "<=", "(").
const char* OperatorText(TOperator op);

// Reads one operand at the cursor and advances the cursor past it.
using OperandReader = std::function<TStrNum(const char*& cursor)>;

// Skips spaces and tabs and classifies what follows: an operator (read and
// skipped, the longest of the two-character operators first), the end of
// the expression (NUL or a line break; not skipped), or the start of an
// operand (not skipped: the operand reader reads it).
TExpressionToken ReadExpressionToken(const char*& cursor);

// Evaluates the expression at the cursor and advances the cursor past it.
// Errors come as EExpression whose text is "計算式に誤りがあります。", the
// cause and the expression text.
TStrNum EvaluateExpression(const char*& cursor, const OperandReader& read_operand);
TStrNum EvaluateExpression(const std::string& text, const OperandReader& read_operand);

// Evaluates "(" + first + rest as EvaluateExpression would, where `first` is
// an operand already read (whose text would read back as it) and `rest`
// (at the cursor) the rest of the expression with its closing ")": the
// first operand is not written out and read again. `firstText` gives the
// text of "(" + first for error messages.
TStrNum EvaluateExpressionAfter(TStrNum first, const char*& cursor, const OperandReader& read_operand,
                                const std::function<std::string()>& firstText);

// The operand reader without a word table: literals, numbers, "-" before an
// operand, parenthesised groups; a word is its own text.
TStrNum ReadPlainOperand(const char*& cursor, const OperandReader& read_operand);

// Reads a number literal: optional sign, "$" and hexadecimal digits or
// decimal digits with an optional fraction and exponent. Empty when no
// number stands at the cursor (the cursor does not move then).
// An integer followed by an exponent ("1E16", as the general format
// writes it) is read too.
std::string ReadNumberLiteral(const char*& cursor);
// The value of a literal that ReadNumberLiteral read; EExpression when it
// has no finite value.
long double NumberLiteralValue(const std::string& literal);
// A value text as a number: a whole number literal in the general format
// ("1E16") by its value, any other text by the lenient TextToNumber.
long double TextNumberValue(const std::string& text);

// Reads a double-quoted or backquoted literal at the cursor (which stands
// on the opening quote). In a double-quoted literal "\n" and "\t" (also
// with "￥" and full-width n/t) become CR LF and TAB, "\" before any other
// character gives that character, and "{expression}" (also with full-width
// braces) is replaced by its value; a key of the keystroke syntax that is
// no expression ("{ENTER}", "{TAB 3}", "{+}") stays as written. A
// backquoted literal is raw, "``" giving one backquote.
std::string ReadStringLiteral(const char*& cursor, const OperandReader& read_operand);

// The condition of "もし": the text up to the first of "ならば", "なら",
// "違えば", "でなければ". The cursor is left on that word. A line break
// inside is stepped over when the next line begins with one of the words.
std::string ReadConditionText(const char*& cursor);

// Rewrites a condition in Japanese into operator form: "Aが5以上" gives
// "A>=5", "かつ" gives " && ", "または" gives " || ". A word written without
// spaces is cut at "が", "かつ" and "または" unless `is_word` says that the
// whole word is a registered word.
using WordPredicate = std::function<bool(const std::string& word)>;
std::string TranslateConditionPhrase(const std::string& text, const WordPredicate& is_word = nullptr);

}  // namespace nura
