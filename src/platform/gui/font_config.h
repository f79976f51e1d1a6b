// fontconfig's configuration at the end of a GUI application.
#pragma once

namespace nura {

// Just before the application object goes: Qt's font database then frees
// fontconfig's configuration, which makes fontconfig load every font
// configuration file first when the program never needed a font (a console
// script); an empty configuration put in its place is freed instead.
void ReleaseFontConfiguration();

}  // namespace nura
