// Conversion between Shift-JIS (code page 932), UTF-8 and UTF-16.
// Script values are Shift-JIS inside; these functions are used only at the
// edges (terminal, file names, widgets). A character that the target cannot
// hold becomes "?"; malformed input never crashes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nura {

// True when `c` starts a two-byte Shift-JIS character.
inline bool IsSjisLead(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// True when `c` can be the second byte of a two-byte character.
inline bool IsSjisTrail(unsigned char c) {
  return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

// Unicode code point of the Shift-JIS code `code` (one byte < 0x100, or
// lead << 8 | trail), or -1 when the code is not defined.
int32_t SjisCodeToUnicode(uint32_t code);

// Shift-JIS code of a Unicode code point, or -1 when code page 932 has none.
int32_t UnicodeToSjisCode(uint32_t ucs);

std::string SjisToUtf8(std::string_view sjis);
std::string Utf8ToSjis(std::string_view utf8);

// A Shift-JIS copy of a UTF-8 source literal: SJ("言う"). Converts on each
// call; keep the result in a static where it is used often.
inline std::string SJ(std::string_view utf8) { return Utf8ToSjis(utf8); }

// Script text as it comes from a file. A text that starts with the UTF-8
// byte order mark, or that is valid UTF-8 holding at least one multi-byte
// sequence (Shift-JIS text with kana or kanji practically never is), is
// converted to Shift-JIS, the mark dropped; any other text is Shift-JIS
// already and stays as it is. False when a UTF-8 character has no
// Shift-JIS form: `badLine` is then its line, counted from 1, and `text`
// is unchanged.
bool ScriptTextToSjis(std::string& text, int& badLine);

// UTF-16 as Qt's strings hold it (platform/gui/qt_sjis.h); a character
// outside the BMP becomes one "?".
std::u16string SjisToUtf16(std::string_view sjis);
std::string Utf16ToSjis(std::u16string_view text);

}  // namespace nura
