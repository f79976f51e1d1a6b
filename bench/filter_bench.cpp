// Filter and resampling speed on a 2000 x 2000 24-bit picture, in
// megapixels per second.
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>

#include "images/bitmap_effects.h"
#include "images/bitmap_filters.h"
#include "images/resample.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSize = 2000;

nura::TBitmap MakePicture() {
  nura::TBitmap bmp(kSize, kSize, 24);
  std::mt19937 rng(1);
  for (int y = 0; y < kSize; ++y) {
    uint8_t* p = bmp.ScanLine(y);
    for (int i = 0; i < 3 * kSize; ++i) p[i] = static_cast<uint8_t>((i / 3 + y) / 16 + rng() % 32);
  }
  return bmp;
}

// Runs `work` on a fresh copy of the picture; the rate counts `pixels`.
void Measure(const char* name, const nura::TBitmap& picture, double pixels,
             const std::function<void(nura::TBitmap&)>& work) {
  nura::TBitmap bmp = picture;
  const auto start = Clock::now();
  work(bmp);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("%-34s %8.1f ms %9.1f Mpixel/s\n", name, seconds * 1000, pixels / seconds / 1e6);
}

}  // namespace

int main() {
  const nura::TBitmap picture = MakePicture();
  const double pixels = double{kSize} * kSize;
  Measure("grey scale", picture, pixels, [](nura::TBitmap& b) { nura::GreyScale(b); });
  Measure("negative", picture, pixels, [](nura::TBitmap& b) { nura::Negative(b); });
  Measure("flip vertical", picture, pixels, [](nura::TBitmap& b) { nura::FlipVertical(b); });
  Measure("rotate 90", picture, pixels, [](nura::TBitmap& b) { nura::Rotate90(b, true); });
  Measure("blur radius 5", picture, pixels, [](nura::TBitmap& b) { nura::Blur(b, 5); });
  Measure("sharpen 128 (with 32-bit convert)", picture, pixels, [](nura::TBitmap& b) { nura::Sharpen(b, 128); });
  Measure("sepia", picture, pixels, [](nura::TBitmap& b) { nura::Sepia(b, 200, 100, 50); });
  Measure("resample to 1333 x 1333", picture, pixels, [](nura::TBitmap& b) { nura::StretchBitmap(b, 1333, 1333); });
  Measure("resample to 3000 x 3000", picture, pixels, [](nura::TBitmap& b) { nura::StretchBitmap(b, 3000, 3000); });
  return 0;
}
