// Shift-JIS position tests and line splitting for the editor. Positions
// are 1-based byte positions. A lead byte counts as the start of a two-byte
// character only when a trail byte follows it; a lead byte at the end of a
// text or before a byte that cannot be a trail byte (a line break, a
// control byte) is one byte of its own, here and everywhere in the editor.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/sjis.h"

namespace nura {

class TheStringList;

// Byte length (1 or 2) of the character that starts at 0-based index `i`.
inline size_t EditorCharLength(std::string_view text, size_t i) {
  return (i + 1 < text.size() && IsSjisLead(static_cast<unsigned char>(text[i])) &&
          IsSjisTrail(static_cast<unsigned char>(text[i + 1])))
             ? 2
             : 1;
}

// How many times `byte` occurs in the first `n` bytes (at most the length).
int CountCharInPrefix(std::string_view text, char byte, int n);
// Whether a two-byte character starts at `pos`.
bool IsDbcsLeadAt(std::string_view text, int pos);
// Whether `pos` is the second byte of a two-byte character.
bool IsDbcsTrailAt(std::string_view text, int pos);
// The byte at `pos`; 0 outside 1..length.
unsigned char ByteAtPos(std::string_view text, int pos);
// Whether `part` occurs in `text` at a character start; false for an empty
// part or one longer than the text. Used as "is this character in the set".
bool SjisContains(std::string_view part, std::string_view text);

inline int MaxOfInts(int a, int b) { return a > b ? a : b; }
inline int MinOfInts(int a, int b) { return a < b ? a : b; }

// The lines of a text: CR LF, LF or a lone CR ends a line, a final line
// break gives no empty last line. NUL bytes are kept.
std::vector<std::string> SplitRowsText(std::string_view text);
// Fills `list` (cleared first, inside one update) with the lines of the
// text up to its first NUL.
void TextToStrings(std::string_view text, TheStringList& list);

}  // namespace nura
