// JPEG files through libjpeg. Its errors, which by default end the
// process, raise EInvalidGraphic here with the library's reason.
#pragma once

#include <string>

#include "platform/gui/bitmap.h"

namespace nura {

// Decodes a JPEG file image into a 24-bit bitmap (grey and CMYK files too).
void ReadJpeg(const std::string& data, TBitmap& out);
// The JPEG file of `bitmap` at `quality` 1..100 (ERangeError outside).
std::string WriteJpeg(const TBitmap& bitmap, int quality);

}  // namespace nura
