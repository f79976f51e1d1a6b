// Row-oriented wrapper over zlib's inflate and deflate, and the five PNG
// scanline filters with the writer's adaptive choice. Byte arithmetic of
// the filters wraps modulo 256.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>
#include <zlib.h>

namespace nura {

enum PngFilter : uint8_t { kFilterNone = 0, kFilterSub, kFilterUp, kFilterAverage, kFilterPaeth };

// Undoes filter `type` on `row` (len bytes, no filter byte) in place, with
// `prev` the unfiltered row above (zeros for the first row of a pass) and
// `bpp` bytes per pixel (at least 1). False for an unknown filter type.
bool UnfilterRow(int type, uint8_t* row, const uint8_t* prev, size_t len, int bpp);
// Filters `row` with `type` into out[1..len], out[0] = type.
void FilterRow(int type, const uint8_t* row, const uint8_t* prev, size_t len, int bpp,
               uint8_t* out);
// Score of a filtered row (filter byte included, n bytes) for the adaptive
// choice; higher is better, -1 means "take this one".
int ScoreFilteredRow(const uint8_t* row, size_t n, int bitsPerPixel);

// Inflates one filtered row at a time. `fetch` points at more compressed
// input and returns its length, 0 when there is none.
class TInflateRows {
 public:
  using Fetch = std::function<size_t(const uint8_t** data)>;
  ~TInflateRows();
  bool Init(Fetch fetch);
  // Sets the row length in bytes without the filter byte; zeroes the row above.
  void StartPass(size_t rowBytes, int bitsPerPixel);
  // Inflates and unfilters the next row; the result is Row(). False on failure.
  bool ReadRow();
  const uint8_t* Row() const { return cur_.data() + 1; }

 private:
  z_stream z_{};
  bool open_ = false;
  Fetch fetch_;
  size_t rowBytes_ = 0;
  int bpp_ = 1;
  std::vector<uint8_t> cur_, prev_;
};

// Filters and deflates rows; full output buffers go to `sink`.
class TDeflateRows {
 public:
  using Sink = std::function<void(const uint8_t* data, size_t n)>;
  ~TDeflateRows();
  // bufferSize 0 or less, or above 262143, takes 32768. False on failure.
  bool Init(int level, int bufferSize, int filterOption, int bitDepth, Sink sink);
  // Sets the row length without the filter byte; zeroes the row above.
  void StartPass(size_t rowBytes, int bitsPerPixel);
  // The row to fill before WriteRow (rowBytes bytes).
  uint8_t* Row() { return cur_.data(); }
  bool WriteRow();
  bool Finish();

 private:
  bool Deflate(const uint8_t* data, size_t n, int flush);
  const uint8_t* ChooseFilter();

  z_stream z_{};
  bool open_ = false;
  Sink sink_;
  std::vector<uint8_t> out_;
  int filterOption_ = 1, bitDepth_ = 8, bitsPerPixel_ = 8;
  size_t rowBytes_ = 0;
  std::vector<uint8_t> cur_, prev_, filtered_, candidate_;
};

}  // namespace nura
