// A window's position, size and state as plain values, so that code
// outside the GUI can keep and restore them.
#pragma once

#include <string>

namespace nura {

struct TWindowRect {
  int left = 0, top = 0, width = 0, height = 0;
};

struct TWindowPlacement {
  std::string name;     // the window's object name (UTF-8)
  TWindowRect normal;   // position and size when neither minimised nor maximised
  TWindowRect current;  // position and size now
  int state = 0;        // 0 normal, 1 minimised, 2 maximised
};

}  // namespace nura
