// The names of the fonts that the platform offers (Shift-JIS).
#pragma once

#include <span>
#include <string>
#include <vector>

namespace nura {

// A Windows font name that scripts use (UTF-8) and the fonts of this
// desktop that stand in for it, best first.
struct TFontSubstitute {
  const char* name;
  const char* const* families;  // ends with nullptr
};
// The table that the window system installs into its font lookup.
std::span<const TFontSubstitute> FontSubstitutes();

// The Windows names of FontSubstitutes(), in the lower case in which the
// platform keeps them, sorted as it lists them.
std::vector<std::string> FontSubstituteNames();
// The installed font families; none when there is no GUI application.
std::vector<std::string> InstalledFontFamilies();

}  // namespace nura
