// Plumbing under the PNG codec: bitmap row sizes and palette helpers, the
// big-endian reader over a block of memory, the byte writer, and the
// progress reports of both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace nura {

class TBitmap;

// One pass of an interlaced image: first column and row, and their steps.
// Adam7 has seven; a plain image one pass over everything.
struct Pass {
  int x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr Pass kWhole = {0, 0, 1, 1};

// Columns (or rows) of a pass over `size` that starts at `start`.
inline int PassCount(int size, int start, int step) {
  return size > start ? (size - start + step - 1) / step : 0;
}

// Every failure of the PNG codec (an invalid-graphic error).
class EGLDPNG : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Bytes of one bitmap row: the bits rounded up to bytes, then to a multiple of 4.
int BitmapRowBytes(int width, int bits);
// The palette entry nearest to a colour 0x00BBGGRR (least sum of absolute
// channel differences; an exact match ends the search; ties keep the
// earlier entry); -1 for an empty palette.
int NearestPaletteIndex(const std::vector<uint32_t>& palette, uint32_t colour);
// Grey ramp of a bit depth: 2 entries for 1, 4 for 2, 16 for 4, else 256.
std::vector<uint32_t> GreyRamp(int bitDepth);

// Progress in percent 0..100 in stages; a report goes out only when the
// position grew. The report function answers true to ask for a stop.
class TGLDProgress {
 public:
  std::function<bool(int percent)> onReport;

  void Start();
  // A stage of `steps` steps taking `share` percent of what remains (0 or
  // 100 and more: all of it).
  void BeginStage(int steps, int share);
  void StepTo(int step);
  void End();
  bool StopRequested() const { return stop_; }

 private:
  void Report(int percent);
  int position_ = 0, reported_ = -1, base_ = 0, share_ = 0, steps_ = 1;
  bool stop_ = false;
};

// Big-endian reader over memory. Reads past the readable length set the
// read-error flag and return 0.
class TGLDCustomReadStream {
 public:
  bool macBinary = true;  // skip a 128-byte MacBinary header when found

  // Begins on `size` bytes at `data` (not copied; they must outlive the read).
  void Begin(const uint8_t* data, size_t size);
  size_t ReadBytes(void* out, size_t n);
  uint8_t ReadByte();
  uint16_t ReadU16();
  uint32_t ReadU32();
  void Skip(size_t n);
  // Points at the next n bytes and consumes them; null past the end.
  const uint8_t* Take(size_t n);

  size_t Remaining() const { return size_ - pos_; }
  size_t Consumed() const { return pos_; }
  bool ReadError() const { return readError_; }
  bool MacBinaryFound() const { return macBinaryFound_; }
  TGLDProgress& Progress() { return progress_; }

 protected:
  TGLDProgress progress_;

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0, pos_ = 0;
  bool readError_ = false, macBinaryFound_ = false;
};

// Byte writer appending to a string.
class TGLDCustomWriteStream {
 public:
  void Begin(std::string* target) { out_ = target; }
  void WriteBytes(const void* data, size_t n);
  void WriteByte(uint8_t b) { out_->push_back(static_cast<char>(b)); }
  void WriteU16(uint16_t v);
  void WriteU32(uint32_t v);
  size_t Written() const { return out_ ? out_->size() : 0; }
  TGLDProgress& Progress() { return progress_; }

 protected:
  std::string* out_ = nullptr;
  TGLDProgress progress_;
};

}  // namespace nura
