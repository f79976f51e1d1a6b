// A member's bytes as blocks, for writers that never hold a member whole.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace nura {

// Each call reads the data from its start and hands `take` block after
// block; `take` returns false to stop early. False when the data cannot be
// read (a stop by `take` is no failure).
using TDataTake = std::function<bool(std::string_view block)>;
using TDataBlocks = std::function<bool(const TDataTake& take)>;

// Hands the blocks to `take` while they stay within `size` bytes. False
// when the data cannot be read, is not `size` bytes (a file that changed
// since it was listed), or `take` stopped.
inline bool TakeSized(const TDataBlocks& blocks, uint64_t size, const TDataTake& take) {
  uint64_t read = 0;
  bool stopped = false;
  const bool readable = blocks([&](std::string_view block) {
    read += block.size();
    stopped = read > size || !take(block);
    return !stopped;
  });
  return readable && !stopped && read == size;
}

}  // namespace nura
