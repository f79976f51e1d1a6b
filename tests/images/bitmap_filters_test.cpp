#include "images/bitmap_filters.h"

#include <gtest/gtest.h>

#include "images/graphic_errors.h"
#include "images/image_test_support.h"

namespace nura {
namespace {

using test::GreyBitmap;
using test::MakeBitmap;
using test::Pixels;
using test::Reds;

TEST(BitmapFilters, ColourTablesGiveExactBytes) {
  TBitmap bmp = MakeBitmap(3, 1, {0x000000FF, 0x00FFFFFF, 0x00102030}, 32);
  GreyScale(bmp);
  EXPECT_EQ(bmp.BitsPerPixel(), 24);
  // red 255 -> 76.5 rounds to even 76; 0x30,0x20,0x10 -> (48*30+32*59+16*11)/100 = 35.04
  EXPECT_EQ(Pixels(bmp), (std::vector<uint32_t>{0x4C4C4C, 0xFFFFFF, 0x232323}));

  bmp = MakeBitmap(2, 1, {0x00000000, 0x00FF8001});
  Negative(bmp);
  EXPECT_EQ(Pixels(bmp), (std::vector<uint32_t>{0xFFFFFF, 0x007FFE}));

  bmp = GreyBitmap(4, 1, {0, 127, 128, 255});
  Solarize(bmp);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{0, 127, 127, 0}));
}

TEST(BitmapFilters, BrightnessAndGammaActOnlyInTheirRanges) {
  TBitmap bmp = GreyBitmap(3, 1, {0, 100, 250});
  Brightness(bmp, 300);
  Brightness(bmp, 0);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{0, 100, 250}));
  Brightness(bmp, 10);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{10, 110, 255}));
  Brightness(bmp, -255);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{0, 0, 0}));

  bmp = GreyBitmap(3, 1, {0, 128, 255});
  Gamma(bmp, 2.2);
  Gamma(bmp, 0.5);
  Gamma(bmp, 3.5);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{0, 128, 255}));
  Gamma(bmp, 1.1);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{0, 181, 255}));
}

TEST(BitmapFilters, FlipsAndQuarterTurns) {
  // 3 x 2:  1 2 3 / 4 5 6
  TBitmap bmp = GreyBitmap(3, 2, {1, 2, 3, 4, 5, 6});
  FlipHorizontal(bmp);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{3, 2, 1, 6, 5, 4}));
  FlipVertical(bmp);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{6, 5, 4, 3, 2, 1}));

  bmp = GreyBitmap(3, 2, {1, 2, 3, 4, 5, 6});
  Rotate90(bmp, true);
  ASSERT_EQ(bmp.Width(), 2);
  ASSERT_EQ(bmp.Height(), 3);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{4, 1, 5, 2, 6, 3}));
  Rotate90(bmp, false);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{1, 2, 3, 4, 5, 6}));

  bmp = GreyBitmap(4, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  FlipVertical(bmp);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{9, 10, 11, 12, 5, 6, 7, 8, 1, 2, 3, 4}));
}

TEST(BitmapFilters, EmptyAndSinglePixelBitmapsAreSafe) {
  for (auto [w, h] : {std::pair{0, 0}, {0, 3}, {3, 0}, {1, 1}}) {
    TBitmap bmp(w, h, 8);
    FlipHorizontal(bmp);
    FlipVertical(bmp);
    Negative(bmp);
    GreyScale(bmp);
    Solarize(bmp);
    EXPECT_EQ(bmp.BitsPerPixel(), 24);
    if (bmp.Empty()) {
      EXPECT_THROW(Rotate90(bmp, true), EInvalidGraphicOperation);
      EXPECT_THROW(RowTable(bmp), EInvalidGraphicOperation);
    } else {
      Rotate90(bmp, true);
      EXPECT_EQ(Pixels(bmp), (std::vector<uint32_t>{0}));  // white, negated
    }
  }
}

}  // namespace
}  // namespace nura
