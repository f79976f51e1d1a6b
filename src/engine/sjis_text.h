// Character-safe routines on Shift-JIS text: a lead byte and the byte after
// it are one character and are never split. Positions are 1-based; a byte
// position counts bytes, a character index counts characters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/locale_map.h"

namespace nura {

// Byte length of the character that starts at `i` (1 or 2; 1 for a lead
// byte at the very end).
size_t SjisCharLength(std::string_view text, size_t i);

// Number of characters.
int64_t SjisLength(std::string_view text);
// The characters first .. first + count - 1 (character indexes).
std::string SjisCopy(std::string_view text, int64_t first, int64_t count);
// Code of the first character; ERangeError on an empty text.
int32_t SjisCharCode(std::string_view text);
// Character index of the first occurrence (exact bytes, tried at character
// starts only), 0 when absent or either text is empty.
int64_t SjisPos(std::string_view sub, std::string_view text);
// Byte position of the first occurrence at or after byte position `start`
// (0 or less means 1), candidates at character starts; 0 when absent.
int64_t SjisPosFrom(std::string_view sub, std::string_view text, int64_t start);
// Replaces the first occurrence of `search`, or every one when `all` is set
// (searching goes on after each inserted replacement). `lastEnd`, when
// given, receives the byte position after the last replacement, 0 when
// nothing was replaced.
std::string SjisReplace(std::string_view text, std::string_view search,
                        std::string_view replacement, bool all, int64_t* lastEnd = nullptr);
// The text before the first `delimiter`; it and the delimiter leave `text`.
// Without a delimiter the whole text is returned and `text` is emptied.
std::string CutToken(std::string_view delimiter, std::string& text);

// Drops bytes of value 32 or less at both ends.
std::string TrimText(std::string_view text);
// Whether TrimText would drop anything of `text`.
inline bool HasOuterBlank(std::string_view text) {
  return !text.empty() && (static_cast<unsigned char>(text.front()) <= 32 ||
                           static_cast<unsigned char>(text.back()) <= 32);
}
// TrimText, then ideographic spaces, spaces, TABs, CRs and LFs at both ends.
std::string TrimWideSpace(std::string_view text);
// The trimmed text without every run from "<" to the next ">".
std::string RemoveTags(std::string_view text);
// Cuts the first element <tag ...> ... </tag> (tag in lower or upper case,
// bare or in angle brackets) out of `text`: returns it and deletes
// everything up to its end from `text`. Without a closing tag the element
// is the opening tag alone. Nothing found: empty, and `text` is emptied.
std::string CutTagElement(std::string& text, std::string_view tag);
// Every element of `tag`, each followed by CR LF.
std::string ExtractTagContents(std::string_view text, std::string_view tag);

// Full-width letters, digits and signs of a fixed list to one byte each.
std::string AlnumToHalfWidth(std::string_view text);

// The first character is a hiragana / katakana (two-byte code ranges).
bool IsHiragana(std::string_view text);
bool IsKatakana(std::string_view text);
// A digit followed only by digits, "+", "-", ".", "E" or "e".
bool IsNumericText(std::string_view text);

// The two bytes of a character code, high byte first.
std::string CodeToChar(uint16_t code);
// First byte x 256 + second byte; ERangeError when shorter than two bytes.
int32_t CharToCode(std::string_view text);

// The lenient number reader: full-width folded, commas dropped, "$" for
// hexadecimal, otherwise the longest number at the start; 0 when none.
long double TextToNumber(std::string_view text);
// A text of at most 18 ASCII digits with an optional "-", read exactly; false
// (and `value` untouched) for any other text.
bool ReadPlainInteger(std::string_view text, long double& value);
// A whole text (blanks around it allowed) read strictly as a 32-bit
// integer: an optional "-", then decimal digits, or "$" and one to eight
// hexadecimal digits (taken as 32 bits, so "$FFFFFFFF" is -1). False for
// anything else or a number outside 32 bits.
bool ReadIntegerText(std::string_view text, int32_t& value);
// TextToNumber with thousands separators: "#,##0.00" when the text has a
// ".", else "#,##0".
std::string FormatThousands(std::string_view text);

// Folds the text into lines of at most `width` columns (a two-byte
// character is two columns, a TAB `tabWidth`). A character of `noBreak`
// that would begin a line stays at the end of the previous one.
std::string FoldText(std::string_view text, int width, int tabWidth, std::string_view noBreak);

// The lines of a text as a string list reads them: CR LF, CR or LF ends a
// line; a last line break adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);
// The lines joined as a string list writes them: CR LF after every line.
std::string JoinLines(const std::vector<std::string>& lines);
// Every line end (CR LF, a lone CR or a lone LF) as CR LF.
std::string WithCrLf(std::string_view text);

}  // namespace nura
