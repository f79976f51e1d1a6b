// Small readers over program text that the evaluator and the argument
// helpers share: words of an operand, line breaks with their line marker,
// and the lenient number reading of argument texts.
#pragma once

#include <string>
#include <string_view>

namespace nura {

// Reads a word at the cursor (after spaces and tabs) up to the first
// one-byte delimiter: white space, line breaks, the operator characters,
// quotes, brackets and punctuation of the language. Two-byte characters
// are never taken for delimiters.
std::string ReadOperandWord(const char*& cursor);

// True when the text at the cursor begins with `prefix`.
inline bool StartsWithText(const char* cursor, std::string_view prefix) {
  return std::string_view(cursor).substr(0, prefix.size()) == prefix;
}

// Steps over one line break (CR, LF or CR LF) and the line marker "digits:"
// that the preprocessor writes behind it. False when no break stands there.
bool SkipLineBreak(const char*& cursor);

// Reads a parenthesised group at the cursor (which stands on "(") and
// returns its contents; nested groups and literals are read whole. An
// unclosed group raises EExpression ")"がありません。".
std::string ReadParenthesizedGroup(const char*& cursor);

// The lenient number of an argument text: leading blanks skipped, ","
// ignored, sign, digits, fraction and exponent, or "$" and hexadecimal
// digits; what follows the number is ignored; no number gives 0.
long double ReadLenientNumber(const std::string& text);

}  // namespace nura
