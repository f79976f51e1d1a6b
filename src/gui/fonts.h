// Font names that scripts use, as the desktop has them.
#pragma once

namespace nura {

// Maps the Windows font names that scripts name ("ＭＳ ゴシック",
// "ＭＳ Ｐゴシック", "ＭＳ 明朝", "FixedSys" ...) to Noto CJK fonts.
void InstallFontSubstitutes();

}  // namespace nura
