#include "images/resample.h"

#include <gtest/gtest.h>

#include "engine/errors.h"
#include "images/image_test_support.h"

namespace nura {
namespace {

using test::GreyBitmap;
using test::MakeBitmap;
using test::Pixels;
using test::Reds;

TEST(Resample, EnlargesWithCubicWeightsAndKeepsTheEnds) {
  TBitmap bmp = GreyBitmap(2, 1, {0, 255});
  StretchBitmap(bmp, 3, 1);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{0, 128, 255}));

  bmp = GreyBitmap(1, 4, {10, 200, 30, 90});
  StretchBitmap(bmp, 1, 7);
  // the ends and d = 2, 4 (on source nodes) exactly; clamped nodes at the edges
  EXPECT_EQ(Reds(bmp), (std::vector<int>{10, 116, 200, 123, 30, 49, 90}));

  bmp = GreyBitmap(4, 1, {255, 255, 0, 0});
  StretchBitmap(bmp, 7, 1);
  const std::vector<int> r = Reds(bmp);
  EXPECT_EQ(r[0], 255);
  EXPECT_EQ(r[1], 255);  // overshoot above 255 is clipped
  EXPECT_EQ(r[5], 0);    // and below 0
}

TEST(Resample, ShrinksByExactAreaAverage) {
  TBitmap bmp = GreyBitmap(4, 1, {0, 0, 255, 255});
  StretchBitmap(bmp, 2, 1);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{0, 255}));

  // 3 -> 2: each destination pixel covers one and a half source pixels
  bmp = GreyBitmap(3, 1, {0, 255, 0});
  StretchBitmap(bmp, 2, 1);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{85, 85}));

  bmp = GreyBitmap(1, 3, {30, 60, 90});
  StretchBitmap(bmp, 1, 1);
  EXPECT_EQ(Reds(bmp), (std::vector<int>{60}));  // (2^17 + 180 x 2^18) x 1398101 shr 40
}

TEST(Resample, ConstantPicturesStayConstant) {
  for (auto [w, h] : {std::pair{13, 11}, {3, 2}, {7, 11}, {1, 1}, {20, 1}}) {
    TBitmap bmp = MakeBitmap(7, 5, std::vector<uint32_t>(35, 0x336699));
    StretchBitmap(bmp, w, h);
    ASSERT_EQ(bmp.Width(), w);
    ASSERT_EQ(bmp.Height(), h);
    EXPECT_EQ(Pixels(bmp), std::vector<uint32_t>(w * h, 0x336699)) << w << "x" << h;
  }
  TBitmap one = MakeBitmap(1, 1, {0x123456});
  StretchBitmap(one, 5, 3);
  EXPECT_EQ(Pixels(one), std::vector<uint32_t>(15, 0x123456));
}

TEST(Resample, SameSizeEmptyAndBadSizes) {
  TBitmap bmp = MakeBitmap(2, 1, {0x010203, 0x040506}, 32);
  StretchBitmap(bmp, 2, 1);
  EXPECT_EQ(bmp.BitsPerPixel(), 24);
  EXPECT_EQ(Pixels(bmp), (std::vector<uint32_t>{0x010203, 0x040506}));

  TBitmap empty(0, 4);
  StretchBitmap(empty, 10, 10);
  EXPECT_EQ(empty.Width(), 0);

  EXPECT_THROW(StretchBitmap(bmp, -1, 1), ERangeError);
  EXPECT_THROW(StretchBitmap(bmp, 1, 400002), ERangeError);
  StretchBitmap(bmp, 0, 3);
  EXPECT_EQ(bmp.Width(), 0);
  EXPECT_EQ(bmp.Height(), 3);
}

}  // namespace
}  // namespace nura
