#include "platform/gui/bitmap.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace nura {
namespace {

TEST(Bitmap, ScanlinesArePaddedBgrAndShareMemoryWithTheView) {
  TBitmap bmp(3, 2, 24);
  EXPECT_EQ(bmp.Stride(), 12);  // 9 bytes padded to four
  bmp.Fill(0x00332211);          // red 0x11, green 0x22, blue 0x33
  EXPECT_EQ(bmp.ScanLine(1)[0], 0x33);
  EXPECT_EQ(bmp.ScanLine(1)[1], 0x22);
  EXPECT_EQ(bmp.ScanLine(1)[2], 0x11);
  {
    QImage view = bmp.View();
    QPainter p(&view);
    p.fillRect(0, 0, 1, 1, QColor(0xAA, 0xBB, 0xCC));
  }
  EXPECT_EQ(bmp.ScanLine(0)[0], 0xCC);
  EXPECT_EQ(bmp.ToImage().pixel(0, 0), qRgb(0xAA, 0xBB, 0xCC));
}

TEST(Bitmap, PaletteFormatsShowThroughTheirPalette) {
  TBitmap bmp(9, 1, 1);
  EXPECT_EQ(bmp.Stride(), 4);
  bmp.Palette() = {0x000000FF, 0x0000FF00};
  bmp.ScanLine(0)[0] = 0x80;  // first pixel index 1, the rest 0
  bmp.ScanLine(0)[1] = 0x00;
  const QImage img = bmp.ToImage();
  EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0xFF, 0));
  EXPECT_EQ(img.pixel(8, 0), qRgb(0xFF, 0, 0));
  EXPECT_THROW(bmp.SetSize(-1, 1, 24), std::invalid_argument);
  EXPECT_THROW(bmp.SetSize(1, 1, 7), std::invalid_argument);
}

}  // namespace
}  // namespace nura
