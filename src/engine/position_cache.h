// What the engine derives from a program text at one position (a block's
// copy, a translated condition), kept per position while that text lives.
// Program texts never change once made, so an entry stays true for its
// text; an entry also names the generation of whatever else it depends on
// (the word table's shape) and counts only while that is unchanged.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

namespace nura {

template <class T>
class TPositionCache {
 public:
  // The entry made at `at` inside `owner` under `generation`, or nil.
  const T* Find(const std::shared_ptr<const std::string>& owner, const char* at,
                uint64_t generation = 0) const {
    const auto found = entries_.find(at);
    if (found == entries_.end() || found->second.generation != generation) return nullptr;
    const std::weak_ptr<const std::string>& kept = found->second.owner;
    // Same owner, not merely a new text at the same address.
    if (kept.owner_before(owner) || owner.owner_before(kept)) return nullptr;
    return &found->second.value;
  }

  void Store(const std::shared_ptr<const std::string>& owner, const char* at, T value,
             uint64_t generation = 0) {
    if (!owner) return;
    // Texts run once (text runs, call forms) leave entries behind: the
    // cache starts again rather than grow without end.
    if (entries_.size() >= kMaxEntries) entries_.clear();
    entries_[at] = TEntry{owner, generation, std::move(value)};
  }

  void Clear() { entries_.clear(); }

 private:
  static constexpr size_t kMaxEntries = 4096;
  struct TEntry {
    std::weak_ptr<const std::string> owner;
    uint64_t generation = 0;
    T value;
  };
  std::unordered_map<const char*, TEntry> entries_;
};

}  // namespace nura
