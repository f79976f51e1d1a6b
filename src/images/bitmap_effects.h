// Neighbourhood and geometric effects: edges, box blur, sharpen, sepia,
// free rotation and anti-aliased text. They work on scanlines directly.
#pragma once

#include <QFont>
#include <string_view>

#include "images/abitmap.h"

namespace nura {

// Edge detection into a new 24-bit bitmap (initial colour elsewhere); the
// bitmap is then assigned from it.
void EdgeDetect(TABitmap& bitmap);
// Box blur of radius r, in place (24 bits): each pixel becomes the mean of
// the clipped window, which already holds replaced pixels above and to the
// left. A negative radius raises the division-by-zero error.
void Blur(TBitmap& bitmap, int radius);
// Sharpen of strength 0..255 (else the range error), in place (32 bits).
void Sharpen(TBitmap& bitmap, int strength);
// Sepia toning with a tone value for blue, green and red (24 bits).
void Sepia(TBitmap& bitmap, int toneBlue, int toneGreen, int toneRed);
// Turns the picture by `degrees` about its centre into a new 32-bit bitmap
// of the same size; places nothing reaches keep the initial colour.
void RotateFree(TABitmap& bitmap, int degrees);
// Draws Shift-JIS `text` at (x, y) in `font` and colour 0x00BBGGRR,
// smoothed by drawing it at three times the size.
void DrawAntialiasedText(TABitmap& canvas, int x, int y, std::string_view text, const QFont& font,
                         uint32_t colour);

}  // namespace nura
