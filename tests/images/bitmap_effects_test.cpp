#include "images/bitmap_effects.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/errors.h"
#include "images/image_test_support.h"
#include "common/qt_app.h"

namespace nura {
namespace {

using test::GreyBitmap;
using test::MakeBitmap;
using test::Pixels;
using test::Reds;

// The blur as a direct window sum, in place, to compare against.
std::vector<int> ReferenceBlur(int w, int h, std::vector<int> v, int r) {
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int sum = 0, count = 0;
      for (int i = std::max(0, y - r); i <= std::min(h - 1, y + r); ++i) {
        for (int j = std::max(0, x - r); j <= std::min(w - 1, x + r); ++j) sum += v[i * w + j], ++count;
      }
      v[y * w + x] = sum / count;
    }
  }
  return v;
}

TEST(BitmapEffects, BlurAveragesTheWindowInPlace) {
  TBitmap bmp = GreyBitmap(3, 1, {0, 90, 180});
  Blur(bmp, 1);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{45, 105, 142}));  // replaced pixels count on

  std::mt19937 rng(7);
  for (auto [w, h, r] : {std::tuple{7, 5, 2}, {5, 9, 1}, {6, 4, 10}, {1, 8, 3}}) {
    std::vector<int> levels(w * h);
    for (int& v : levels) v = static_cast<int>(rng() % 256);
    TBitmap b = GreyBitmap(w, h, levels);
    Blur(b, r);
    EXPECT_EQ(Reds(b), ReferenceBlur(w, h, levels, r)) << w << "x" << h << " r" << r;
  }

  bmp = GreyBitmap(2, 2, {1, 2, 3, 4});
  Blur(bmp, 0);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_THROW(Blur(bmp, -1), EDivByZero);
  TBitmap empty(0, 0);
  Blur(empty, 3);
}

TEST(BitmapEffects, SharpenEdgesAndSepia) {
  TBitmap bmp = GreyBitmap(3, 3, {50, 50, 50, 50, 100, 50, 50, 50, 50});
  Sharpen(bmp, 255);
  EXPECT_EQ(bmp.BitsPerPixel(), 32);
  // S = 500, h = clamp((1100 - 500) div 2) = 255, new = 255 x 255 div 256 = 254
  EXPECT_EQ(Reds(bmp), (std::vector<int>{50, 50, 50, 50, 254, 50, 50, 50, 50}));
  Sharpen(bmp, 0);  // (centre x 255) div 256
  EXPECT_EQ(Reds(bmp)[4], 253);
  EXPECT_THROW(Sharpen(bmp, 256), ERangeError);
  EXPECT_THROW(Sharpen(bmp, -1), ERangeError);

  TABitmap edges;
  edges.Assign(GreyBitmap(4, 4, std::vector<int>(16, 10)));
  EdgeDetect(edges);
  EXPECT_EQ(edges.BitsPerPixel(), 32);
  std::vector<int> expected(16, 255);
  expected[4] = 0;  // row 1, column 0: 9 x 10 - 9 x 10
  EXPECT_EQ(Reds(edges), expected);

  bmp = MakeBitmap(2, 1, {0x000000, 0xFFFFFF});
  Sepia(bmp, 200, 100, 50);
  EXPECT_EQ(Pixels(bmp), (std::vector<uint32_t>{0x000000, 0xFDFDFD}));
  bmp = GreyBitmap(1, 1, {64});
  Sepia(bmp, 200, 100, 50);  // (64 x t) shr 7
  EXPECT_EQ(Pixels(bmp), (std::vector<uint32_t>{0x643219}));
  EXPECT_THROW(Sepia(bmp, 256, 0, 0), ERangeError);
}

TEST(BitmapEffects, FreeRotationTurnsAboutTheCentre) {
  const std::vector<int> levels{1, 2, 3, 4, 5, 6, 7, 8, 9};
  TABitmap bmp;
  bmp.Assign(GreyBitmap(3, 3, levels));
  RotateFree(bmp, 0);
  EXPECT_EQ(Reds(bmp), levels);
  RotateFree(bmp, 90);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{7, 4, 1, 8, 5, 2, 9, 6, 3}));
  RotateFree(bmp, 180);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{3, 6, 9, 2, 5, 8, 1, 4, 7}));
  // 45 degrees: corners leave the picture, places nothing reaches stay white
  bmp.Assign(GreyBitmap(2, 2, {1, 2, 3, 4}));
  RotateFree(bmp, 45);
  EXPECT_EQ(bmp.Width(), 2);
  TABitmap empty;
  RotateFree(empty, 30);
}

TEST(BitmapEffects, BlendedCopyStaysInsideBothBitmaps) {
  TABitmap white(2, 2);
  white.Fill(0xFFFFFF);
  TBitmap target(3, 3, 32);
  target.Fill(0);
  white.BlendTo(1, 1, 100, 100, target, 128);
  EXPECT_EQ(Reds(target), (std::vector<int>{0, 0, 0, 0, 127, 127, 0, 127, 127}));
  EXPECT_EQ(target.ScanLine(1)[4], 127);  // blue
  target.Fill(0);
  white.BlendTo(0, -1, 3, 3, target, 256);  // taken as 255; source row 1 lands on row 0
  EXPECT_EQ(Reds(target), (std::vector<int>{254, 254, 0, 0, 0, 0, 0, 0, 0}));
  white.BlendTo(0, 0, 3, 3, target, 0);
  EXPECT_EQ(Reds(target)[0], 254);
  EXPECT_THROW(white.BlendTo(-1, 0, 3, 3, target, 100), ERangeError);
  EXPECT_THROW(white.BlendTo(8192, 0, 3, 3, target, 100), ERangeError);
  EXPECT_THROW(white.BlendTo(0, 0, 3, 3, target, -1), ERangeError);
  TABitmap empty;
  empty.BlendTo(0, 0, 5, 5, target, 100);
}

TEST(BitmapEffects, AntialiasedTextBlendsTheFontColour) {
  test::EnsureQtApplication();
  TABitmap canvas(60, 40);
  canvas.Fill(0xFFFFFF);
  QFont font("Noto Sans CJK JP");
  font.setPixelSize(16);
  DrawAntialiasedText(canvas, 4, 4, "MW", font, 0x0000FF);  // red
  int red = 0, partial = 0;
  for (uint32_t c : Pixels(canvas)) {
    if (c == 0xFFFFFF) continue;
    EXPECT_EQ(c & 0xFF, 0xFFu);  // red stays, green and blue fall together
    EXPECT_EQ((c >> 8) & 0xFF, (c >> 16) & 0xFF);
    (((c >> 8) & 0xFF) < 0x20 ? red : partial)++;
  }
  EXPECT_GT(red, 5);
  EXPECT_GT(partial, 5);
  EXPECT_EQ(canvas.PixelColour(0, 0), 0xFFFFFFu);
  DrawAntialiasedText(canvas, -10, 35, "MW", font, 0);  // partly outside
  DrawAntialiasedText(canvas, 0, 0, "", font, 0);
}

}  // namespace
}  // namespace nura
