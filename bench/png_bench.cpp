// PNG codec speed: encoding and decoding a 2000 x 2000 24-bit image, with
// Qt's PNG support (QImage) on the same pixels beside it.
#include <QBuffer>
#include <QImage>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "images/png_reader.h"
#include "images/png_writer.h"
#include "platform/gui/bitmap.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Smooth gradients with a little noise, like a photograph or a screenshot.
nura::TBitmap MakeImage(int size) {
  nura::TBitmap b(size, size, 24);
  std::mt19937 rng(1);
  for (int y = 0; y < size; ++y) {
    uint8_t* p = b.ScanLine(y);
    for (int x = 0; x < size; ++x, p += 3) {
      p[0] = static_cast<uint8_t>(x / 8 + rng() % 4);
      p[1] = static_cast<uint8_t>(y / 8 + rng() % 4);
      p[2] = static_cast<uint8_t>((x + y) / 16);
    }
  }
  return b;
}

void Report(const char* what, double megabytes, double seconds) {
  std::printf("%-34s %8.1f MB/s  (%.3f s)\n", what, megabytes / seconds, seconds);
}

}  // namespace

int main() {
  const int size = 2000;
  const nura::TBitmap image = MakeImage(size);
  const double megabytes = 3.0 * size * size / 1e6;  // raw pixel data

  for (int filter : {1, 0}) {
    nura::TGLDPNGWriteStream writer;
    writer.settings.filter = filter;
    std::string png;
    auto start = Clock::now();
    writer.WriteBitmap(image, png);
    const double encode = Seconds(start);
    nura::TBitmap back;
    start = Clock::now();
    nura::TGLDPNGReadStream reader;
    reader.ReadBitmap(reinterpret_cast<const uint8_t*>(png.data()), png.size(), back);
    const double decode = Seconds(start);
    std::printf("filter %s: %zu bytes\n", filter ? "None" : "adaptive", png.size());
    Report("  GLDPNG encode", megabytes, encode);
    Report("  GLDPNG decode", megabytes, decode);
  }

  QImage qimage(image.ScanLine(0), size, size, image.Stride(), QImage::Format_BGR888);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  auto start = Clock::now();
  qimage.save(&buffer, "PNG");
  const double encode = Seconds(start);
  start = Clock::now();
  const QImage decoded = QImage::fromData(bytes, "PNG");
  const double decode = Seconds(start);
  std::printf("Qt: %lld bytes%s\n", static_cast<long long>(bytes.size()), decoded.isNull() ? " (decode failed)" : "");
  Report("  QImage encode", megabytes, encode);
  Report("  QImage decode", megabytes, decode);
  return 0;
}
