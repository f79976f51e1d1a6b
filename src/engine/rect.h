// A rectangle of the drawing commands and of object placement.
#pragma once

#include <cstdint>

namespace nura {

// Left, top, right, bottom.
struct TRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int64_t Width() const { return int64_t{right} - left; }
  int64_t Height() const { return int64_t{bottom} - top; }
};

}  // namespace nura
