#include "images/resample.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/errors.h"

namespace nura {
namespace {

constexpr int kMaxIndex = 400000;

// One line of pixels along the dimension being resized: `at(i)` is the
// address of pixel i's three bytes.
struct TLine {
  uint8_t* base;
  ptrdiff_t step;  // bytes from one pixel to the next
  uint8_t* at(int i) const { return base + step * i; }
};

// Source nodes and weights (units of 2^20) of one enlarged pixel.
struct TCubicTap {
  int index[4];
  int32_t weight[4];
};

std::vector<TCubicTap> CubicTaps(int n, int m) {
  std::vector<TCubicTap> taps(m);
  for (int d = 0; d < m; ++d) {
    const double p = static_cast<double>(n - 1) * d / (m - 1);
    const int i = static_cast<int>(p) - 1;
    const double x = p - std::trunc(p) + 1;
    const double w[4] = {-(x - 1) * (x - 2) * (x - 3) / 6, x * (x - 2) * (x - 3) / 2,
                         -x * (x - 1) * (x - 3) / 2, x * (x - 1) * (x - 2) / 6};
    for (int k = 0; k < 4; ++k) {
      taps[d].index[k] = std::clamp(i + k, 0, n - 1);
      taps[d].weight[k] = static_cast<int32_t>(std::trunc(w[k] * 1048576 + 0.5));
    }
  }
  return taps;
}

void EnlargeLine(const TLine& src, const TLine& dst, const std::vector<TCubicTap>& taps) {
  for (size_t d = 0; d < taps.size(); ++d) {
    const TCubicTap& t = taps[d];
    const uint8_t* a[4] = {src.at(t.index[0]), src.at(t.index[1]), src.at(t.index[2]), src.at(t.index[3])};
    uint8_t* out = dst.at(static_cast<int>(d));
    for (int k = 0; k < 3; ++k) {
      const int64_t v = int64_t{t.weight[0]} * a[0][k] + int64_t{t.weight[1]} * a[1][k] +
                        int64_t{t.weight[2]} * a[2][k] + int64_t{t.weight[3]} * a[3][k] + 524288;
      out[k] = v < 0 ? 0 : v > 267386880 ? 255 : static_cast<uint8_t>(v >> 20);
    }
  }
}

// Source span of one shrunk pixel: whole pixels first..last-1 at full
// weight, partial edges weighted in units of 2^18.
struct TAreaSpan {
  int first;       // e
  int32_t head;    // g
  int last;        // t
  int32_t tail;    // h
};

std::vector<TAreaSpan> AreaSpans(int n, int m) {
  std::vector<int> whole(m + 1);
  std::vector<int32_t> part(m + 1);
  for (int k = 0; k <= m; ++k) {
    const double p = static_cast<double>(n) * k / m;
    whole[k] = std::min(static_cast<int>(p), n);
    part[k] = static_cast<int32_t>(std::trunc((p - std::trunc(p)) * 262144 + 0.5));
  }
  std::vector<TAreaSpan> spans(m);
  for (int j = 0; j < m; ++j) spans[j] = {whole[j], part[j], whole[j + 1], part[j + 1]};
  return spans;
}

void ShrinkLine(const TLine& src, int n, const TLine& dst, const std::vector<TAreaSpan>& spans, uint64_t scale) {
  for (size_t j = 0; j < spans.size(); ++j) {
    const TAreaSpan& s = spans[j];
    uint64_t acc[3] = {131072, 131072, 131072};
    if (s.head != 262144) {
      const uint8_t* a = src.at(s.first);
      for (int k = 0; k < 3; ++k) acc[k] += uint64_t{a[k]} * (262144 - s.head);
    }
    for (int e = s.first + 1; e < s.last; ++e) {
      const uint8_t* a = src.at(e);
      for (int k = 0; k < 3; ++k) acc[k] += uint64_t{a[k]} << 18;
    }
    if (s.tail != 0 && s.last < n) {
      const uint8_t* a = src.at(s.last);
      for (int k = 0; k < 3; ++k) acc[k] += uint64_t{a[k]} * s.tail;
    }
    uint8_t* out = dst.at(static_cast<int>(j));
    for (int k = 0; k < 3; ++k) out[k] = static_cast<uint8_t>(std::min<uint64_t>((acc[k] * scale) >> 40, 255));
  }
}

// Resizes one dimension from n to m pixels; `lines` lines of it, line i of
// the source and destination given by the two line makers.
template <class SrcLine, class DstLine>
void ResizeLines(int n, int m, int lines, SrcLine srcLine, DstLine dstLine) {
  if (m > n) {
    const std::vector<TCubicTap> taps = CubicTaps(n, m);
    for (int i = 0; i < lines; ++i) EnlargeLine(srcLine(i), dstLine(i), taps);
    return;
  }
  const std::vector<TAreaSpan> spans = AreaSpans(n, m);
  const uint64_t scale = static_cast<uint64_t>(std::trunc(static_cast<double>(m) / n * 4194304 + 0.5));
  for (int i = 0; i < lines; ++i) ShrinkLine(srcLine(i), n, dstLine(i), spans, scale);
}

void ResizeWidth(TBitmap& bitmap, int newWidth) {
  TBitmap out(newWidth, bitmap.Height(), 24);
  if (newWidth > 0) {
    ResizeLines(bitmap.Width(), newWidth, bitmap.Height(),
                [&](int y) { return TLine{bitmap.ScanLine(y), 3}; },
                [&](int y) { return TLine{out.ScanLine(y), 3}; });
  }
  bitmap = std::move(out);
}

// The height pass works a whole row at a time so that memory is read in
// order: each destination row is a weighted sum of source rows.
void EnlargeRows(const TBitmap& src, TBitmap& dst, size_t bytes) {
  const std::vector<TCubicTap> taps = CubicTaps(src.Height(), dst.Height());
  for (int d = 0; d < dst.Height(); ++d) {
    const TCubicTap& t = taps[d];
    const uint8_t* a[4] = {src.ScanLine(t.index[0]), src.ScanLine(t.index[1]), src.ScanLine(t.index[2]),
                           src.ScanLine(t.index[3])};
    uint8_t* out = dst.ScanLine(d);
    for (size_t b = 0; b < bytes; ++b) {
      const int64_t v = int64_t{t.weight[0]} * a[0][b] + int64_t{t.weight[1]} * a[1][b] +
                        int64_t{t.weight[2]} * a[2][b] + int64_t{t.weight[3]} * a[3][b] + 524288;
      out[b] = v < 0 ? 0 : v > 267386880 ? 255 : static_cast<uint8_t>(v >> 20);
    }
  }
}

void AddWeightedRow(std::vector<uint64_t>& acc, const uint8_t* row, uint64_t weight) {
  for (size_t b = 0; b < acc.size(); ++b) acc[b] += row[b] * weight;
}

void ShrinkRows(const TBitmap& src, TBitmap& dst, size_t bytes) {
  const int n = src.Height(), m = dst.Height();
  const std::vector<TAreaSpan> spans = AreaSpans(n, m);
  const uint64_t scale = static_cast<uint64_t>(std::trunc(static_cast<double>(m) / n * 4194304 + 0.5));
  std::vector<uint64_t> acc(bytes);
  for (int j = 0; j < m; ++j) {
    const TAreaSpan& s = spans[j];
    std::fill(acc.begin(), acc.end(), 131072);
    if (s.head != 262144) AddWeightedRow(acc, src.ScanLine(s.first), 262144 - s.head);
    for (int e = s.first + 1; e < s.last; ++e) AddWeightedRow(acc, src.ScanLine(e), 262144);
    if (s.tail != 0 && s.last < n) AddWeightedRow(acc, src.ScanLine(s.last), s.tail);
    uint8_t* out = dst.ScanLine(j);
    for (size_t b = 0; b < bytes; ++b) out[b] = static_cast<uint8_t>(std::min<uint64_t>((acc[b] * scale) >> 40, 255));
  }
}

void ResizeHeight(TBitmap& bitmap, int newHeight) {
  TBitmap out(bitmap.Width(), newHeight, 24);
  const size_t bytes = static_cast<size_t>(bitmap.Width()) * 3;
  if (newHeight > bitmap.Height()) {
    EnlargeRows(bitmap, out, bytes);
  } else if (newHeight > 0 && bytes > 0) {
    ShrinkRows(bitmap, out, bytes);
  }
  bitmap = std::move(out);
}

}  // namespace

void StretchBitmap(TBitmap& bitmap, int newWidth, int newHeight) {
  if (newWidth < 0 || newHeight < 0 || newWidth > kMaxIndex + 1 || newHeight > kMaxIndex + 1) {
    throw ERangeError();
  }
  if (bitmap.Empty()) return;
  bitmap.SetPixelFormat(24);
  if (newWidth != bitmap.Width()) ResizeWidth(bitmap, newWidth);
  if (newHeight != bitmap.Height()) ResizeHeight(bitmap, newHeight);
}

}  // namespace nura
