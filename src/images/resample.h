// High-quality resizing: four-point cubic interpolation along a dimension
// that grows, exact area averaging along one that shrinks; fixed-point
// integer arithmetic on 24-bit scanlines.
#pragma once

#include "platform/gui/bitmap.h"

namespace nura {

// Resizes `bitmap` in place (it becomes 24 bits per pixel): the width
// first, then the height. Nothing happens for an empty bitmap. Sizes
// outside 0..400001 raise the range error.
void StretchBitmap(TBitmap& bitmap, int newWidth, int newHeight);

}  // namespace nura
