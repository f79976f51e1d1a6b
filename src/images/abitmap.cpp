#include "images/abitmap.h"

#include <algorithm>

#include "engine/errors.h"

namespace nura {

void TABitmap::Assign(const TBitmap& source) {
  static_cast<TBitmap&>(*this) = source;
  SetPixelFormat(32);
}

void TABitmap::BlendTo(int x, int y, int width, int height, TBitmap& target, int opacity) {
  target.SetPixelFormat(32);
  SetPixelFormat(32);
  if (opacity < 0 || x < 0 || x > 32767 / 4) throw ERangeError();
  if (opacity == 0) return;
  const unsigned a = static_cast<unsigned>(std::min(opacity, 255));
  // Rows and pixels outside the target or this bitmap are left out.
  const int64_t rowEnd = std::min<int64_t>({int64_t{y} + height, target.Height(), int64_t{y} + Height()});
  const int64_t colEnd = std::min<int64_t>({int64_t{x} + width, target.Width(), int64_t{x} + Width()});
  if (colEnd <= x) return;  // fewer than 4 bytes remain
  const size_t bytes = static_cast<size_t>(colEnd - x) * 4;
  for (int64_t i = std::max(y, 0); i < rowEnd; ++i) {
    uint8_t* dst = target.ScanLine(static_cast<int>(i)) + static_cast<size_t>(x) * 4;
    const uint8_t* src = ScanLine(static_cast<int>(i - y));
    for (size_t k = 0; k < bytes; ++k) dst[k] = static_cast<uint8_t>((a * src[k] + (256 - a) * dst[k]) >> 8);
  }
}

}  // namespace nura
