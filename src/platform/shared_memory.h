// A named block of memory shared between programs (of this run-time).
#pragma once

#include <cstdint>
#include <string>

namespace nura {

class TSharedMemoryBlock {
 public:
  TSharedMemoryBlock();
  ~TSharedMemoryBlock();
  TSharedMemoryBlock(const TSharedMemoryBlock&) = delete;
  TSharedMemoryBlock& operator=(const TSharedMemoryBlock&) = delete;

  // Creates the block `name` (Shift-JIS) of `size` bytes, zero-filled, or
  // opens it when another program made it first and it is at least that
  // large. False when neither works.
  bool Open(const std::string& name, int64_t size);
  // The block's bytes (nil before a successful Open).
  char* Data();

 private:
  int id_ = -1;
  char* data_ = nullptr;
};

}  // namespace nura
