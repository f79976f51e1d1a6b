// What the program asks of the desktop: the user's folders, the screen
// size, the system colours and the platform's name. Folder results are
// native UTF-8 paths with "/" that end in "/", or empty when Linux has no
// such folder.
#pragma once

#include <cstdint>
#include <string>

namespace nura {

// The folders that scripts can ask for by name. The Windows-only ones map
// to the nearest XDG folder or have none.
enum class SystemFolder {
  Desktop,     // XDG desktop
  RecycleBin,  // the XDG trash ($XDG_DATA_HOME/Trash/files)
  Documents,   // XDG documents
  StartMenu,   // the user's application entries ($XDG_DATA_HOME/applications)
  Startup,     // the XDG autostart folder ($XDG_CONFIG_HOME/autostart)
  SendTo,      // none
  Favorites,   // none
  Windows,     // none
  System,      // none
  Temp,        // the temporary folder
  Program,     // the folder of the running program
};

std::string SystemFolderPath(SystemFolder folder);

// The running program's file (native), or empty when it cannot be found.
std::string ProgramFilePath();

struct ScreenSize {
  int width;
  int height;
};

// The primary screen in pixels; without the window system (or a screen),
// the 800 x 800 of Qt's offscreen platform.
ScreenSize PrimaryScreenSize();

// A system colour by its Windows colour index (1 desktop, 2 active title,
// 3 inactive title, 4 window/menu, 13 selection) as 0x00BBGGRR, taken from
// the application palette, or without the window system from the palette
// of Qt's offscreen platform. Unknown indexes give 0.
uint32_t SystemColour(int index);

// A readable name of the operating system, for example "Debian GNU/Linux 12".
std::string PlatformName();

}  // namespace nura
