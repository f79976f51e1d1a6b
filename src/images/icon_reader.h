// ".ico" (and ".cur") files read back: the largest image of the file,
// a DIB with its mask or a PNG, drawn over white like an icon drawn on a
// new bitmap. Damaged files raise EInvalidGraphic or EGLDPNG.
#pragma once

#include <string>

#include "platform/bitmap.h"

namespace nura {

// The icon as a 24-bit bitmap of its own size; transparent pixels white.
void ReadIco(const std::string& data, TBitmap& out);

}  // namespace nura
