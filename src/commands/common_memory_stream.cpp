#include "commands/common_memory_stream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/sjis.h"

namespace nura {

TCommonMemoryStream::TCommonMemoryStream(const std::string& name, int64_t size) : name_(name) {
  if (!memory_.Open(name, size)) throw ERuntimeError(name + SJ("を開けません。"));
  size_ = size;
}

TCommonMemoryStream::~TCommonMemoryStream() = default;

int64_t TCommonMemoryStream::Read(void* buffer, int64_t count) {
  if (position_ < 0 || count < 0 || position_ >= size_) return 0;
  const int64_t n = std::min(count, size_ - position_);
  std::memcpy(buffer, memory_.Data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

void TCommonMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return;
  if (position_ < 0 || position_ + count > size_) throw EAccessViolation(SJ("共有メモリを逸脱した書き込み"));
  std::memcpy(memory_.Data() + position_, buffer, static_cast<size_t>(count));
  position_ += count;
}

int64_t TCommonMemoryStream::Seek(int64_t offset, int origin) {
  switch (origin) {
    case 0: position_ = offset; break;
    case 1: position_ += offset; break;
    default: position_ = size_ + offset; break;
  }
  return position_;
}

}  // namespace nura
