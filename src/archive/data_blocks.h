// A member's bytes as blocks, for writers that never hold a member whole.
#pragma once

#include <functional>
#include <string_view>

namespace nura {

// Each call reads the data from its start and hands `take` block after
// block; `take` returns false to stop early. False when the data cannot be
// read (a stop by `take` is no failure).
using TDataTake = std::function<bool(std::string_view block)>;
using TDataBlocks = std::function<bool(const TDataTake& take)>;

}  // namespace nura
