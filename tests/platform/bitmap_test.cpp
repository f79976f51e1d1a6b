#include <gtest/gtest.h>

#include "platform/gui/bitmap.h"

namespace nura {
namespace {

TEST(Bitmap, ResizeKeepsPixelsPaletteAndTransparency) {
  TBitmap b(3, 2, 1);
  std::fill(b.ScanLine(0), b.ScanLine(0) + b.Stride(), 0);
  b.ScanLine(0)[0] = 0xA0;  // pixels 0 and 2 set
  b.Palette() = {0x111111, 0x222222};
  b.SetTransparent(true);
  b.SetTransparentColor(0x01000001);
  b.Resize(2, 3);
  EXPECT_EQ(b.Width(), 2);
  EXPECT_EQ(b.Height(), 3);
  EXPECT_EQ(b.ScanLine(0)[0] & 0xC0, 0x80);
  EXPECT_EQ(b.Palette(), (std::vector<uint32_t>{0x111111, 0x222222}));
  EXPECT_TRUE(b.Transparent());
  EXPECT_EQ(b.TransparentColor(), 0x01000001u);
  TBitmap c(2, 2, 24);
  c.Fill(0x0000FF);
  c.Resize(3, 1);
  EXPECT_EQ(c.ScanLine(0)[2], 0xFF);  // red kept
  EXPECT_EQ(c.ScanLine(0)[3 * 2], 0xFF);  // new area white
}

// The pixels are made when first reached: until then every way in sees
// white, and a new size or format makes a drawn picture white again.
TEST(Bitmap, UntouchedPixelsAreWhiteEveryWayIn) {
  const TBitmap fresh(2, 2, 24);
  const TBitmap copy = fresh;
  EXPECT_EQ(copy.PixelColour(1, 1), 0x00FFFFFFu);
  EXPECT_EQ(fresh.ToImage().pixel(0, 1), qRgb(255, 255, 255));
  TBitmap drawn(2, 2, 32);
  drawn.Fill(0x000000);
  drawn.SetSize(3, 3, 24);
  EXPECT_EQ(drawn.View().pixel(2, 2), qRgb(255, 255, 255));
  TBitmap indexed(4, 1, 8);
  indexed.Fill(0x123456);
  EXPECT_EQ(indexed.ScanLine(0)[3], 0);
  EXPECT_EQ(indexed.PixelColour(3, 0), 0x123456u);
}

}  // namespace
}  // namespace nura
