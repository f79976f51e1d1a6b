// Fonts: the names that scripts use, as the desktop has them, and the font
// of the font system variables.
#pragma once

#include <QFont>
#include <cstdint>
#include <string>

namespace nura {

class TNuraEngine;

// Maps the Windows font names that scripts name ("ＭＳ ゴシック",
// "ＭＳ Ｐゴシック", "ＭＳ 明朝", "FixedSys" ...) to Noto CJK fonts.
void InstallFontSubstitutes();

// A point size a script gives, within what the text painting handles:
// 1 to 400 points (as the editor's font), so that huge sizes neither
// overflow the pixel sizes derived from them nor exhaust memory.
int ClampFontSize(int points);

// Sets the style flags (1 bold, 2 italic, 4 underline) on `font`.
void SetFontStyle(QFont& font, int style);
// A font by Shift-JIS name, size in points (at least 1) and style flags
// (1 bold, 2 italic, 4 underline).
QFont ScriptFont(const std::string& name, int size, int style);
// The font of "文字書体" and "文字サイズ"; `colour` gets "文字色".
QFont FontOfSettings(TNuraEngine& engine, int32_t& colour);
// Height in pixels of a text line of `text` (Shift-JIS) drawn on a picture.
int TextHeightOnPicture(const QFont& font, const std::string& text);

}  // namespace nura
