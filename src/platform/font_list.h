// The names of the fonts that the platform offers (Shift-JIS).
#pragma once

#include <string>
#include <vector>

namespace nura {

// The Windows names that scripts use and that the platform substitutes,
// in the lower case in which the platform keeps them.
std::vector<std::string> FontSubstituteNames();
// The installed font families; none when there is no GUI application.
std::vector<std::string> InstalledFontFamilies();

// Just before the application object goes: Qt's font database then frees
// fontconfig's configuration, which makes fontconfig load every font
// configuration file first when the program never needed a font (a console
// script); an empty configuration put in its place is freed instead.
void ReleaseFontConfiguration();

}  // namespace nura
