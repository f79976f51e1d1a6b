// TABitmap: a bitmap that is always 32 bits per pixel and can be blended
// onto another bitmap.
#pragma once

#include "platform/gui/bitmap.h"

namespace nura {

class TABitmap : public TBitmap {
 public:
  TABitmap() { SetPixelFormat(32); }
  TABitmap(int width, int height) : TBitmap(width, height, 32) {}

  // Takes the picture of `source`, then becomes 32 bits per pixel.
  void Assign(const TBitmap& source);

  // Blends this bitmap onto `target` at (x, y) over width x height pixels:
  // each byte becomes (a x source + (256 - a) x target) shr 8. Opacity 0
  // does nothing, 256 and more is taken as 255; a negative opacity, or a
  // byte offset 4x outside 0..32767, raises the range error. Both bitmaps
  // become 32 bits per pixel. Only rows and columns inside both bitmaps
  // are touched.
  void BlendTo(int x, int y, int width, int height, TBitmap& target, int opacity);
};

}  // namespace nura
