// Small readers over program text that the evaluator and the argument
// helpers share: words of an operand, groups, and line breaks with their
// line marker.
#pragma once

#include <string>
#include <string_view>

#include "platform/sjis.h"

namespace nura {

// Reads a word at the cursor (after spaces and tabs) up to the first
// delimiter of ScanWord or one of the characters that only expressions
// use: "|", "!", LF and the braces.
std::string ReadOperandWord(const char*& cursor);

// True when the text at the cursor begins with `prefix`. Reads no further
// than the prefix (the text may be long).
inline bool StartsWithText(const char* cursor, std::string_view prefix) {
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (cursor[i] == '\0' || cursor[i] != prefix[i]) return false;
  }
  return true;
}

// True when `word` is a phrase "Bの": "の" behind at least one byte.
inline bool EndsWithNo(const std::string& word) {
  static const std::string no = SJ("の");
  return word.size() > no.size() && word.compare(word.size() - no.size(), no.size(), no) == 0;
}

// True when byte offset `at` of `text` starts a character (is not the
// second byte of a two-byte character).
inline bool IsSjisCharStart(std::string_view text, size_t at) {
  size_t i = 0;
  while (i < at) i += IsSjisLead(static_cast<unsigned char>(text[i])) ? 2 : 1;
  return i == at;
}

// Steps over one line break (CR, LF or CR LF) and the line marker "digits:"
// that the preprocessor writes behind it. False when no break stands there.
bool SkipLineBreak(const char*& cursor);

}  // namespace nura
