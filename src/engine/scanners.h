// Cursor readers over NUL-terminated Shift-JIS text: the preprocessor, the
// statement loop and the evaluator walk the program text with a char
// pointer and read one token at a time. A lead byte and its trail byte are
// one character, copied whole and never taken for a delimiter; a lead byte
// directly before the terminating NUL counts as a one-byte character, so no
// reader ever steps past the NUL. A null cursor reads as an empty text.
#pragma once

#include <bitset>
#include <string>
#include <string_view>

namespace nura {

// A set of one-byte characters.
using CharSet = std::bitset<256>;

// The length of the character at `p`: 0 at the NUL, 2 for a lead byte with
// its trail, else 1.
inline int SjisCharLength(const char* p) {
  unsigned char c = static_cast<unsigned char>(*p);
  if (c == 0) return 0;
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC) ? (p[1] != 0 ? 2 : 1) : 1;
}

// One character; the cursor moves past it. Empty at the end of the text.
std::string ReadSjisChar(const char*& cursor);

// Moves over TABs and spaces (inline: the statement steps call it often).
inline void SkipBlanks(const char*& cursor) {
  while (cursor && (*cursor == ' ' || *cursor == '\t')) ++cursor;
}
// Moves over TAB, space, "," and the half-width ideographic comma (inline:
// every statement step starts with it).
inline void SkipSeparators(const char*& cursor) {
  if (!cursor) return;
  for (;;) {
    const unsigned char c = static_cast<unsigned char>(*cursor);
    if (c != '\t' && c != ' ' && c != ',' && c != 0xA4) return;
    ++cursor;
  }
}
// True when the last character before `at` on its line, blanks aside, is
// "," or the half-width ideographic comma. Neither blanks nor "," are trail
// bytes, so the bytes before `at` mostly tell; when the byte might be a
// trail byte (0xA4, or "," behind a lead byte of a broken text) the line is
// walked from its start (a line feed is never a trail byte).
bool LineEndsInComma(const char* text, const char* at);

// True for the one-byte characters that end a word (see ScanWord).
bool IsWordDelimiter(unsigned char c);

// Skips TABs and spaces, then copies up to the end or the first word
// delimiter: TAB, CR, space, " # % & ( ) * + , - / : ; < = > ? \ ^ ` and the
// half-width ideographic comma. The cursor stops at the delimiter.
std::string ScanWord(const char*& cursor);

// After SkipSeparators: an optional sign, then "$" with hexadecimal digits
// (returned as decimal text) or decimal digits, a fraction only when "."
// and a digit follow, then an optional exponent. The sign alone when no
// number follows.
std::string ReadNumberToken(const char*& cursor);

// Copies up to the first character start where `delimiter` follows; the
// cursor moves past the delimiter. Without one, everything to the end.
std::string ReadUntilText(std::string_view delimiter, const char*& cursor);

// As ReadUntilText, but `escape` followed by a character copies both, so
// the delimiter cannot start there.
std::string ReadUntilTextEscaped(std::string_view delimiter, const char*& cursor, char escape);

// Copies up to the first one-byte character in `set`; the cursor moves
// past that character, which is not copied.
std::string ReadUntilCharSet(const CharSet& set, const char*& cursor);

// ---- parenthesised groups and literals, side by side ----

// Program text: after SkipSeparators, an optional "(" is stepped over and
// the text up to its matching ")" is returned without it; quotes (" and `)
// and "\" inside double quotes are honoured. An unclosed group throws
// std::runtime_error "\")\"が対応していません。" and leaves the cursor where
// it was.
std::string ScanParenthesized(const char*& cursor);

// Expressions: ScanParenthesized at a "(", an unclosed group raising
// EExpression "\")\"がありません。".
std::string ReadParenthesizedGroup(const char*& cursor);

// A group's contents that hold a comma and no "#" make an argument list
// ("(3,4)"): kept as written, not evaluated as an expression.
bool IsArgumentList(std::string_view inner);
// True when `text`, blanks around it aside, is one group that is an
// argument list.
bool IsArgumentListText(const std::string& text);

// Table conditions: after SkipBlanks, an optional "(" and the text up to
// its matching ")"; quotes " (with "\" escapes) and ' are honoured. An
// unclosed group raises ENura "\")\"が対応していません。", the cursor left
// where it was.
std::string ReadBracketedText(const char*& cursor);

// Moves over the literal that starts at `p` (on its " or `) without
// failing: "\" escapes inside double quotes, `` inside backquotes; an
// unclosed one ends at the NUL. The position behind it.
const char* SkipLiteral(const char* p);

// After SkipSeparators, a literal in double quotes (with "\" escapes) or in
// backquotes (with `` for a backquote), returned as it stands, quotes and
// escapes included; empty when no quote stands there. `maxLength` limits
// the bytes scanned (negative: no limit); an unclosed literal throws
// std::runtime_error with the message of its kind.
std::string ScanQuotedLiteral(const char*& cursor, int maxLength);

}  // namespace nura
