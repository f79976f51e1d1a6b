// Pixel operations on 24-bit bitmaps: colour tables (negative, grey scale,
// brightness, solarize, gamma), flips and quarter turns. Each first makes
// the bitmap 24 bits per pixel and works on its scanlines directly.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/gui/bitmap.h"

namespace nura {

// The row addresses of a bitmap, one per row, for work that revisits rows;
// "ビットマップが不正です。" (EInvalidGraphicOperation) for an empty bitmap.
std::vector<uint8_t*> RowTable(TBitmap& bitmap);

using TLookupTable = std::array<uint8_t, 256>;

// Replaces each of the three colour bytes of every pixel by table[byte].
void ApplyLookupTable(TBitmap& bitmap, const TLookupTable& table);

void Negative(TBitmap& bitmap);
// g = round((R x 30 + G x 59 + B x 11) / 100), halves to even, in all three bytes.
void GreyScale(TBitmap& bitmap);
// Adds `offset` to every colour byte, clamped; only offsets -255..-1 and 1..255 act.
void Brightness(TBitmap& bitmap, int offset);
void FlipHorizontal(TBitmap& bitmap);
void FlipVertical(TBitmap& bitmap);
// A quarter turn into a new height x width bitmap; "ビットマップが不正です。"
// for an empty bitmap.
void Rotate90(TBitmap& bitmap, bool clockwise);
// Bytes up to 127 stay, higher ones become 255 - v.
void Solarize(TBitmap& bitmap);
// Acts only for 0.75 <= g <= 3 and g not 2.2: v -> 255 x (v / 255) ^ (g / 2.2).
void Gamma(TBitmap& bitmap, double g);

}  // namespace nura
