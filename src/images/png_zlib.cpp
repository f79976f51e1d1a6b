#include "images/png_zlib.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace nura {
namespace {

uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
  if (pb <= pc) return static_cast<uint8_t>(b);
  return static_cast<uint8_t>(c);
}

// The predictor of filter `type` for byte i, from the raw (unfiltered) row.
inline uint8_t Predict(int type, const uint8_t* raw, const uint8_t* prev, size_t i, int bpp) {
  const int a = i >= static_cast<size_t>(bpp) ? raw[i - bpp] : 0;
  const int b = prev[i];
  switch (type) {
    case kFilterSub: return static_cast<uint8_t>(a);
    case kFilterUp: return static_cast<uint8_t>(b);
    case kFilterAverage: return static_cast<uint8_t>((a + b) >> 1);
    default: return Paeth(a, b, i >= static_cast<size_t>(bpp) ? prev[i - bpp] : 0);
  }
}

int BytesPerPixel(int bitsPerPixel) { return std::max(1, (bitsPerPixel + 7) / 8); }

}  // namespace

bool UnfilterRow(int type, uint8_t* row, const uint8_t* prev, size_t len, int bpp) {
  if (type == kFilterNone) return true;
  if (type > kFilterPaeth || type < 0) return false;
  for (size_t i = 0; i < len; ++i) row[i] = static_cast<uint8_t>(row[i] + Predict(type, row, prev, i, bpp));
  return true;
}

void FilterRow(int type, const uint8_t* row, const uint8_t* prev, size_t len, int bpp,
               uint8_t* out) {
  out[0] = static_cast<uint8_t>(type);
  if (type == kFilterNone) {
    std::memcpy(out + 1, row, len);
    return;
  }
  for (size_t i = 0; i < len; ++i) out[i + 1] = static_cast<uint8_t>(row[i] - Predict(type, row, prev, i, bpp));
}

int ScoreFilteredRow(const uint8_t* row, size_t n, int bitsPerPixel) {
  if (n == 0) return -1;
  size_t counts[256] = {};
  for (size_t i = 0; i < n; ++i) ++counts[row[i]];
  size_t distinct = 0, t1 = 0, t2 = 0, t3 = 0;
  for (size_t c : counts) {
    if (!c) continue;
    ++distinct;
    if (c >= t1) {
      t3 = t2;
      t2 = t1;
      t1 = c;
    } else if (c >= t2) {
      t3 = t2;
      t2 = c;
    } else if (c > t3) {
      t3 = c;
    }
  }
  if (distinct <= 8 || (t1 / n) * 100 >= 90) return -1;
  const double len = static_cast<double>(n), d = static_cast<double>(distinct);
  if (bitsPerPixel < 8) return static_cast<int>(len / 1.5 / d * 1500 + (t1 + t2) / len * 1000);
  return static_cast<int>(len / 1.5 / d * 1000 + (t1 + t2 + t3) / len * 1000);
}

TInflateRows::~TInflateRows() {
  if (open_) inflateEnd(&z_);
}

bool TInflateRows::Init(Fetch fetch) {
  fetch_ = std::move(fetch);
  z_ = z_stream{};
  open_ = inflateInit(&z_) == Z_OK;
  return open_;
}

void TInflateRows::StartPass(size_t rowBytes, int bitsPerPixel) {
  rowBytes_ = rowBytes;
  bpp_ = BytesPerPixel(bitsPerPixel);
  cur_.assign(rowBytes + 1, 0);
  prev_.assign(rowBytes + 1, 0);
}

bool TInflateRows::ReadRow() {
  if (!open_) return false;
  std::swap(cur_, prev_);
  z_.next_out = cur_.data();
  z_.avail_out = static_cast<uInt>(rowBytes_ + 1);
  while (z_.avail_out > 0) {
    if (z_.avail_in == 0) {
      const uint8_t* data = nullptr;
      const size_t n = fetch_(&data);
      if (n == 0 || !data) return false;
      z_.next_in = const_cast<Bytef*>(data);
      z_.avail_in = static_cast<uInt>(n);
    }
    const int rc = inflate(&z_, Z_NO_FLUSH);
    if (rc == Z_STREAM_END) {
      if (z_.avail_out > 0) return false;
      break;
    }
    if (rc != Z_OK && rc != Z_BUF_ERROR) return false;
  }
  return UnfilterRow(cur_[0], cur_.data() + 1, prev_.data() + 1, rowBytes_, bpp_);
}

TDeflateRows::~TDeflateRows() {
  if (open_) deflateEnd(&z_);
}

bool TDeflateRows::Init(int level, int bufferSize, int filterOption, int bitDepth, Sink sink) {
  if (bufferSize <= 0 || bufferSize > 262143) bufferSize = 32768;
  if (level < 0 || level > 9) level = Z_DEFAULT_COMPRESSION;
  out_.assign(static_cast<size_t>(bufferSize), 0);
  filterOption_ = filterOption;
  bitDepth_ = bitDepth;
  sink_ = std::move(sink);
  z_ = z_stream{};
  open_ = deflateInit(&z_, level) == Z_OK;
  z_.next_out = out_.data();
  z_.avail_out = static_cast<uInt>(out_.size());
  return open_;
}

void TDeflateRows::StartPass(size_t rowBytes, int bitsPerPixel) {
  rowBytes_ = rowBytes;
  bitsPerPixel_ = bitsPerPixel;
  cur_.assign(rowBytes, 0);
  prev_.assign(rowBytes, 0);
  filtered_.assign(rowBytes + 1, 0);
  candidate_.assign(rowBytes + 1, 0);
}

// The filtered row to deflate, by the filter option; the adaptive choice
// keeps the best candidate in filtered_ and tries the next in candidate_.
const uint8_t* TDeflateRows::ChooseFilter() {
  const int bpp = BytesPerPixel(bitsPerPixel_);
  if (filterOption_ >= 2 && filterOption_ <= 5) {
    FilterRow(filterOption_ - 1, cur_.data(), prev_.data(), rowBytes_, bpp, filtered_.data());
    return filtered_.data();
  }
  FilterRow(kFilterNone, cur_.data(), prev_.data(), rowBytes_, bpp, filtered_.data());
  if (filterOption_ != 0 || bitDepth_ == 4) return filtered_.data();
  int best = ScoreFilteredRow(filtered_.data(), rowBytes_ + 1, bitsPerPixel_);
  if (best == -1) return filtered_.data();
  if (bitDepth_ == 1 || bitDepth_ == 8) best *= 2;
  for (int type = kFilterSub; type <= kFilterPaeth; ++type) {
    FilterRow(type, cur_.data(), prev_.data(), rowBytes_, bpp, candidate_.data());
    const int score = ScoreFilteredRow(candidate_.data(), rowBytes_ + 1, bitsPerPixel_);
    if (score == -1 || score > best) {
      std::swap(filtered_, candidate_);
      if (score == -1) break;
      best = score;
    }
  }
  return filtered_.data();
}

bool TDeflateRows::Deflate(const uint8_t* data, size_t n, int flush) {
  z_.next_in = const_cast<Bytef*>(data);
  z_.avail_in = static_cast<uInt>(n);
  for (;;) {
    const int rc = deflate(&z_, flush);
    if (rc == Z_STREAM_ERROR) return false;
    if (z_.avail_out == 0) {
      sink_(out_.data(), out_.size());
      z_.next_out = out_.data();
      z_.avail_out = static_cast<uInt>(out_.size());
      continue;
    }
    if (flush == Z_FINISH ? rc == Z_STREAM_END : z_.avail_in == 0) return true;
    if (rc != Z_OK && rc != Z_BUF_ERROR) return false;
  }
}

bool TDeflateRows::WriteRow() {
  if (!open_) return false;
  const bool ok = Deflate(ChooseFilter(), rowBytes_ + 1, Z_NO_FLUSH);
  std::swap(cur_, prev_);
  return ok;
}

bool TDeflateRows::Finish() {
  if (!open_) return false;
  const bool ok = Deflate(nullptr, 0, Z_FINISH);
  if (ok && z_.avail_out < out_.size()) sink_(out_.data(), out_.size() - z_.avail_out);
  deflateEnd(&z_);
  open_ = false;
  return ok;
}

}  // namespace nura
