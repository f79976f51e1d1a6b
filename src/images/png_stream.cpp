#include "images/png_stream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace nura {

int BitmapRowBytes(int width, int bits) {
  const int64_t bytes = (static_cast<int64_t>(width) * bits + 7) / 8;
  return static_cast<int>((bytes + 3) / 4 * 4);
}

int NearestPaletteIndex(const std::vector<uint32_t>& palette, uint32_t colour) {
  int best = -1, bestDistance = 0;
  for (size_t i = 0; i < palette.size(); ++i) {
    int distance = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      distance += std::abs(static_cast<int>((palette[i] >> shift) & 0xFF) -
                           static_cast<int>((colour >> shift) & 0xFF));
    }
    if (distance == 0) return static_cast<int>(i);
    if (best < 0 || distance < bestDistance) {
      best = static_cast<int>(i);
      bestDistance = distance;
    }
  }
  return best;
}

std::vector<uint32_t> GreyRamp(int bitDepth) {
  const int count = bitDepth == 1 ? 2 : bitDepth == 2 ? 4 : bitDepth == 4 ? 16 : 256;
  const uint32_t step = 255 / (count - 1);
  std::vector<uint32_t> ramp(count);
  for (int i = 0; i < count; ++i) ramp[i] = static_cast<uint32_t>(i) * step * 0x010101u;
  return ramp;
}

void TGLDProgress::Start() {
  position_ = 0;
  reported_ = -1;
  base_ = 0;
  share_ = 99;
  steps_ = 1;
  stop_ = false;
  Report(0);
}

void TGLDProgress::BeginStage(int steps, int share) {
  base_ = position_;
  const int remaining = 99 - base_;
  share_ = (share <= 0 || share >= 100) ? remaining : remaining * share / 100;
  steps_ = std::max(steps, 1);
}

void TGLDProgress::StepTo(int step) {
  const int position = base_ + static_cast<int>(static_cast<int64_t>(share_) * step / steps_);
  if (position > position_) {
    position_ = position;
    Report(position);
  }
}

void TGLDProgress::End() { Report(100); }

void TGLDProgress::Report(int percent) {
  if (percent == reported_) return;
  reported_ = percent;
  if (onReport && onReport(std::min(percent, 100))) stop_ = true;
}

void TGLDCustomReadStream::Begin(const uint8_t* data, size_t size) {
  data_ = data;
  size_ = data ? size : 0;
  pos_ = 0;
  readError_ = size_ == 0;
  macBinaryFound_ = false;
  if (macBinary && size_ > 128 && data_[0] == 0 && data_[74] == 0) {
    pos_ = 128;
    macBinaryFound_ = true;
  }
}

const uint8_t* TGLDCustomReadStream::Take(size_t n) {
  if (readError_ || n > Remaining()) {
    readError_ = true;
    return nullptr;
  }
  const uint8_t* p = data_ + pos_;
  pos_ += n;
  return p;
}

size_t TGLDCustomReadStream::ReadBytes(void* out, size_t n) {
  if (n == 0) return 0;
  const uint8_t* p = Take(n);
  if (!p) {
    std::memset(out, 0, n);
    return 0;
  }
  std::memcpy(out, p, n);
  return n;
}

uint8_t TGLDCustomReadStream::ReadByte() {
  const uint8_t* p = Take(1);
  return p ? p[0] : 0;
}

uint16_t TGLDCustomReadStream::ReadU16() {
  const uint8_t* p = Take(2);
  return p ? static_cast<uint16_t>((p[0] << 8) | p[1]) : 0;
}

uint32_t TGLDCustomReadStream::ReadU32() {
  const uint8_t* p = Take(4);
  return p ? (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3] : 0;
}

void TGLDCustomReadStream::Skip(size_t n) {
  if (n) Take(n);
}

void TGLDCustomWriteStream::WriteBytes(const void* data, size_t n) {
  out_->append(static_cast<const char*>(data), n);
}

void TGLDCustomWriteStream::WriteU16(uint16_t v) {
  WriteByte(static_cast<uint8_t>(v >> 8));
  WriteByte(static_cast<uint8_t>(v));
}

void TGLDCustomWriteStream::WriteU32(uint32_t v) {
  const uint8_t b[4] = {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
                        static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
  WriteBytes(b, 4);
}

}  // namespace nura
