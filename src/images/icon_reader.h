// ".ico" (and ".cur") files read back: the largest image of the file,
// a DIB with its mask or a PNG, drawn over white like an icon drawn on a
// new bitmap. Damaged files raise EInvalidGraphic or EGLDPNG.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gui/bitmap.h"

namespace nura {

// The icon as a 24-bit bitmap of its own size; transparent pixels white.
void ReadIco(const std::string& data, TBitmap& out);

// The number of images of an icon file (at least 1).
size_t IcoImageCount(const std::string& data);

// The image `index` (from 0) of an icon file, as ReadIco draws it.
void ReadIcoImage(const std::string& data, size_t index, TBitmap& out);

// One image of an icon, a DIB with its mask or a PNG, as ReadIco draws it.
void ReadIconImage(const uint8_t* data, size_t size, TBitmap& out);

// The size an icon directory gives an image (0 width or height is 256).
struct TIconEntrySize {
  unsigned width, height, bits;
};

// The entry with the most pixels, then the most bits per pixel.
size_t BestIconEntry(const std::vector<TIconEntrySize>& entries);

}  // namespace nura
