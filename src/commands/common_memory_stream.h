// A stream over a named block of memory shared between programs. The
// block is created by the first program that asks for its name and stays
// while any program holds it open. The program does not lock it: a reader
// may see a half-written text.
#pragma once

#include <cstdint>
#include <string>

#include "engine/errors.h"
#include "platform/shared_memory.h"

namespace nura {

class EAccessViolation : public ERuntimeError {
 public:
  using ERuntimeError::ERuntimeError;
};

class TCommonMemoryStream {
 public:
  // Creates, or opens when another program holds it, the block `name`
  // (Shift-JIS) of `size` bytes, new blocks zero-filled; position 0.
  // ERuntimeError name + "を開けません。" when it cannot.
  TCommonMemoryStream(const std::string& name, int64_t size);
  ~TCommonMemoryStream();
  TCommonMemoryStream(const TCommonMemoryStream&) = delete;
  TCommonMemoryStream& operator=(const TCommonMemoryStream&) = delete;

  const std::string& Name() const { return name_; }
  int64_t Size() const { return size_; }
  // Copies at most size - position bytes from the position on; the count
  // copied (0 at or after the end, or for a negative position or count).
  int64_t Read(void* buffer, int64_t count);
  // EAccessViolation "共有メモリを逸脱した書き込み" when the bytes would pass
  // the end; otherwise copies and advances.
  void Write(const void* buffer, int64_t count);
  // origin 0 start, 1 current, 2 end; the new position.
  int64_t Seek(int64_t offset, int origin);

 private:
  std::string name_;
  TSharedMemoryBlock memory_;
  int64_t size_ = 0;
  int64_t position_ = 0;
};

}  // namespace nura
