// Mail header words of the form "=?ISO-2022-JP?B?" code "?=", and the
// cut of a text at its first binary byte.
#pragma once

#include <string>
#include <string_view>

namespace nura {

// Shift-JIS header text -> ASCII with each run of Japanese characters as
// its own encoded word (JIS, Base64).
std::string EncodeMimeHeader(std::string_view sjis);

// Replaces each encoded word by its decoded bytes followed by ESC ( J. The
// result is JIS text; callers convert it with ConvertKanjiCode.
std::string DecodeMimeHeader(std::string_view text);

// The text up to its first byte that is neither part of a two-byte
// character, TAB, LF, CR nor printable ASCII.
std::string CutAtBinary(std::string_view text);

}  // namespace nura
