// The source preprocessor: rewrites a program text in one pass into the
// form the statement loop walks. Comments go, full-width characters outside
// string literals fold to ASCII, and behind every line end outside a
// literal stands a line marker: CR LF, the number of the line just ended,
// ":". So "A" CR LF "B" becomes "A" CR LF "1:B".
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace nura {

// Formats the message of an unbalanced delimiter for the engine: receives
// the source line to report and the message text, returns the text to raise
// (the engine sets its line and clears its cursor here).
using PreprocessErrorFormatter = std::function<std::string(int line, const std::string& text)>;

// Replaces `text` by its preprocessed form. An unclosed "{" comment, double
// quote literal or backquote literal raises ENura with the formatter's text.
void PreprocessSource(std::string& text, const PreprocessErrorFormatter& formatError);
// The same with FormatErrorMessage(fileName, line, text) as the formatter.
void PreprocessSource(std::string& text, std::string_view fileName);

// One character at the cursor (two bytes for a lead byte with its trail,
// else one; empty at the NUL); the cursor moves past it.
inline std::string_view ReadSourceChar(const char*& cursor) {
  unsigned char c = static_cast<unsigned char>(*cursor);
  size_t len = c == 0 ? 0 : ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && cursor[1] ? 2 : 1;
  std::string_view ch(cursor, len);
  cursor += len;
  return ch;
}

// At a line end of the preprocessed text: skips TAB, LF, CR and spaces,
// then reads the marker's digits and its ":". The line number read, or -1
// when no digits follow (the cursor then stands after the skipped blanks).
int ReadLineMarker(const char*& cursor);

// The source line of the statement at `cursor` in the preprocessed `text`:
// the number of the marker at the end of the cursor's line. The last line,
// which has no marker, is one more than the marker before it. When no
// marker can be read (a line break inside a literal, a null cursor) the
// result is `heldLine`.
int CurrentLine(std::string_view text, const char* cursor, int heldLine);

}  // namespace nura
