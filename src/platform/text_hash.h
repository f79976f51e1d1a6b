// Hash maps and sets of texts that are looked up by a view of another text
// (a part of a path, say) without making a string of it first.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace nura {

struct TTextViewHash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
};

template <class T>
using TTextViewMap = std::unordered_map<std::string, T, TTextViewHash, std::equal_to<>>;
using TTextViewSet = std::unordered_set<std::string, TTextViewHash, std::equal_to<>>;

}  // namespace nura
