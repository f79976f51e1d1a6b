// Width, kana and case mapping of Shift-JIS text with our own code page 932
// tables (the Japanese locale's string mapping). Each routine maps the whole
// text character by character; the result ends at the first NUL byte.
#pragma once

#include <string>
#include <string_view>

namespace nura {

// Half-width letters, digits, signs, space and kana become full-width; a
// half-width kana followed by a voiced mark becomes one character.
std::string ToFullWidth(std::string_view text);
// The reverse; a voiced full-width kana becomes the kana and its mark.
std::string ToHalfWidth(std::string_view text);
// Katakana to hiragana, and hiragana to katakana (full-width only).
std::string ToHiragana(std::string_view text);
std::string ToKatakana(std::string_view text);
// Latin, full-width Latin, Greek, Cyrillic and Roman numeral case.
std::string ToLowerCase(std::string_view text);
std::string ToUpperCase(std::string_view text);

// The locale's string comparison used for searching: true when the two
// texts are the same text. Our tables treat this as byte equality.
bool LocaleTextEquals(std::string_view a, std::string_view b);

}  // namespace nura
