#include "images/bitmap_effects.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "engine/errors.h"
#include "images/bitmap_filters.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

uint8_t Clamp(int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

// The blur's running sums: per column and channel, the sum over the rows
// of the current window, kept up to date as pixels are replaced.
class TBoxBlur {
 public:
  TBoxBlur(TBitmap& bitmap, int radius)
      : rows_(RowTable(bitmap)), w_(bitmap.Width()), h_(bitmap.Height()), r_(radius),
        columns_(static_cast<size_t>(w_) * 3, 0) {}

  void Run() {
    for (int y = 0; y <= std::min(h_ - 1, r_); ++y) AddRow(y, 1);
    for (int y = 0; y < h_; ++y) {
      if (y - 1 - r_ >= 0) AddRow(y - 1 - r_, -1);
      if (y > 0 && y + r_ <= h_ - 1) AddRow(y + r_, 1);
      BlurRow(y, std::min(h_ - 1, y + r_) - std::max(0, y - r_) + 1);
    }
  }

 private:
  void AddRow(int y, int sign) {
    const uint8_t* p = rows_[y];
    for (size_t i = 0; i < columns_.size(); ++i) columns_[i] += sign * p[i];
  }

  void BlurRow(int y, int64_t rowCount) {
    uint8_t* p = rows_[y];
    int64_t window[3] = {0, 0, 0};
    for (int c = 0; c <= std::min(w_ - 1, r_); ++c) {
      for (int k = 0; k < 3; ++k) window[k] += columns_[3 * c + k];
    }
    for (int x = 0; x < w_; ++x) {
      if (x > 0 && x + r_ <= w_ - 1) {
        for (int k = 0; k < 3; ++k) window[k] += columns_[3 * (x + r_) + k];
      }
      if (x - 1 - r_ >= 0) {
        for (int k = 0; k < 3; ++k) window[k] -= columns_[3 * (x - 1 - r_) + k];
      }
      const int64_t count = rowCount * (std::min(w_ - 1, x + r_) - std::max(0, x - r_) + 1);
      for (int k = 0; k < 3; ++k) {
        const size_t i = 3 * static_cast<size_t>(x) + k;
        const int64_t value = window[k] / count;
        const int64_t delta = value - p[i];
        p[i] = static_cast<uint8_t>(value);
        columns_[i] += delta;
        window[k] += delta;
      }
    }
  }

  std::vector<uint8_t*> rows_;
  int w_, h_, r_;
  std::vector<int64_t> columns_;
};

TLookupTable SepiaTable(int tone) {
  if (tone < 0 || tone > 255) throw ERangeError();
  TLookupTable table;
  for (int i = 0; i < 128; ++i) {
    table[i] = static_cast<uint8_t>((i * tone) >> 7);
    table[128 + i] = static_cast<uint8_t>(((i * 255) >> 7) + (((127 - i) * tone) >> 7));
  }
  return table;
}

// Copies the w x h area of `src` at (sx, sy) to `dst` at (dx, dy), both
// 32-bit, clipped to both bitmaps.
void CopyArea(const TBitmap& src, int sx, int sy, TBitmap& dst, int dx, int dy, int w, int h) {
  const int left = std::max({0, -sx, -dx}), top = std::max({0, -sy, -dy});
  const int right = std::min({w, src.Width() - sx, dst.Width() - dx});
  const int bottom = std::min({h, src.Height() - sy, dst.Height() - dy});
  for (int v = top; v < bottom; ++v) {
    std::copy_n(src.ScanLine(sy + v) + 4 * static_cast<size_t>(sx + left), 4 * static_cast<size_t>(right - left),
                dst.ScanLine(dy + v) + 4 * static_cast<size_t>(dx + left));
  }
}

QFont TripleSize(QFont font) {
  if (font.pixelSize() > 0) {
    font.setPixelSize(font.pixelSize() * 3);
  } else {
    font.setPointSizeF(font.pointSizeF() * 3);
  }
  return font;
}

}  // namespace

void EdgeDetect(TABitmap& bitmap) {
  bitmap.SetPixelFormat(24);
  const int w = bitmap.Width(), h = bitmap.Height();
  TBitmap out(w, h, 24);
  for (int i = 1; i <= h - 3; ++i) {
    const uint8_t* rows[3] = {bitmap.ScanLine(i - 1), bitmap.ScanLine(i), bitmap.ScanLine(i + 1)};
    uint8_t* dst = out.ScanLine(i);
    for (int c = 0; c <= w - 4; ++c) {
      for (int k = 0; k < 3; ++k) {
        int sum = 0;
        for (const uint8_t* row : rows) sum += row[3 * c + k] + row[3 * c + 3 + k] + row[3 * c + 6 + k];
        dst[3 * c + k] = Clamp(sum - 9 * rows[2][3 * c + k]);
      }
    }
  }
  bitmap.Assign(out);
}

void Blur(TBitmap& bitmap, int radius) {
  bitmap.SetPixelFormat(24);
  if (bitmap.Empty()) return;
  if (radius < 0) throw EDivByZero();  // the window holds no pixel
  if (radius == 0) return;
  // A window wider than the picture covers the same pixels as one that just fits.
  TBoxBlur(bitmap, std::min(radius, std::max(bitmap.Width(), bitmap.Height()))).Run();
}

void Sharpen(TBitmap& bitmap, int strength) {
  if (strength < 0 || strength > 255) throw ERangeError();
  bitmap.SetPixelFormat(32);
  const int s = strength;
  for (int i = 1; i <= bitmap.Height() - 2; ++i) {
    const uint8_t* above = bitmap.ScanLine(i - 1);
    uint8_t* row = bitmap.ScanLine(i);
    const uint8_t* below = bitmap.ScanLine(i + 1);
    for (int c = 1; c <= bitmap.Width() - 2; ++c) {
      for (int k = 0; k < 3; ++k) {
        const int j = 4 * c + k;
        const int sum = above[j - 4] + above[j] + above[j + 4] + row[j - 4] + row[j] + row[j + 4] +
                        below[j - 4] + below[j] + below[j + 4];
        const int centre = row[j];
        const int hi = Clamp((11 * centre - sum) / 2);
        row[j] = static_cast<uint8_t>((hi * s) / 256 + (centre * (255 - s)) / 256);
      }
    }
  }
}

void Sepia(TBitmap& bitmap, int toneBlue, int toneGreen, int toneRed) {
  const TLookupTable tb = SepiaTable(toneBlue), tg = SepiaTable(toneGreen), tr = SepiaTable(toneRed);
  bitmap.SetPixelFormat(24);
  for (int y = 0; y < bitmap.Height(); ++y) {
    uint8_t* p = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x, p += 3) {
      const int l = (p[0] + p[1] + p[2]) / 3;
      p[0] = tb[l], p[1] = tg[l], p[2] = tr[l];
    }
  }
}

void RotateFree(TABitmap& bitmap, int degrees) {
  bitmap.SetPixelFormat(32);
  const double theta = degrees * std::numbers::pi / 180;
  const int64_t c = std::llround(std::nearbyint(1024 * std::cos(theta)));
  const int64_t s = std::llround(std::nearbyint(1024 * std::sin(theta)));
  const int w = bitmap.Width(), h = bitmap.Height(), cx = w >> 1, cy = h >> 1;
  TBitmap out(w, h, 32);
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = bitmap.ScanLine(y);
    const int64_t dy = y - cy;
    for (int x = 0; x < w; ++x) {
      const int64_t dx = x - cx;
      // Arithmetic shift is floor division by 1024.
      const int64_t tx = ((dx * c - dy * s) >> 10) + cx;
      const int64_t ty = ((dx * s + dy * c) >> 10) + cy;
      if (tx < 0 || ty < 0 || tx >= w || ty >= h) continue;
      std::copy_n(src + 4 * static_cast<size_t>(x), 3, out.ScanLine(static_cast<int>(ty)) + 4 * tx);
    }
  }
  bitmap.Assign(out);
}

void DrawAntialiasedText(TABitmap& canvas, int x, int y, std::string_view text, const QFont& font,
                         uint32_t colour) {
  canvas.SetPixelFormat(32);
  const QString qtext = SjisToQString(text);
  const QFont big = TripleSize(font);
  TBitmap mask(1, 1, 32);
  int w, h;
  {
    QImage probe = mask.View();
    const QFontMetrics metrics(big, &probe);
    w = metrics.horizontalAdvance(qtext);
    h = metrics.height();
  }
  const int W = w / 3 + 1, H = h / 3 + 1;
  mask.SetSize(3 * W, 3 * H, 32);
  mask.Fill(0);
  {
    QImage view = mask.View();
    QPainter painter(&view);
    painter.setFont(big);
    painter.setPen(Qt::white);
    painter.drawText(QPoint(3, 3 + QFontMetrics(big, &view).ascent()), qtext);
  }
  TBitmap work(W, H, 32);
  CopyArea(canvas, x, y, work, 1, 1, W, H);
  const unsigned channel[3] = {(colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF};
  for (int i = 1; i <= H - 1; ++i) {
    uint8_t* row = work.ScanLine(i);
    for (int j = 1; j <= W - 1; ++j) {
      unsigned a = 0;
      for (int mi = 3 * i - 1; mi <= 3 * i + 1; ++mi) {
        const uint8_t* m = mask.ScanLine(mi);
        a += m[4 * (3 * j - 1)] + m[4 * (3 * j)] + m[4 * (3 * j + 1)];
      }
      a /= 9;
      for (int k = 0; k < 3; ++k) {
        uint8_t& v = row[4 * j + k];
        v = static_cast<uint8_t>((v * (256 - a) + a * channel[k]) >> 8);
      }
    }
  }
  CopyArea(work, 1, 1, canvas, x, y, W, H);
}

}  // namespace nura
