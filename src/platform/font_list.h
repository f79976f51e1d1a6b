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

}  // namespace nura
