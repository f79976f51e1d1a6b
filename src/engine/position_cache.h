// What the engine derives from a program text at one position (a block's
// copy, a translated condition), kept per position while that text lives.
// Program texts never change once made, so an entry stays true for its
// text; an entry also names the generation of whatever else it depends on
// (the word table's shape) and counts only while that is unchanged.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nura {

// An entry of a TPositionCache found before, kept by whoever looks it up
// from the same place every time: it is followed without a search while
// the generation it was found under holds and the cache has not started
// again (entries stay where they are until then).
template <class T>
struct TPositionLink {
  const T* value = nullptr;
  uint64_t generation = 0;
  uint64_t epoch = 0;
};

template <class T>
class TPositionCache {
 public:
  TPositionLink<T> LinkTo(const T* value, uint64_t generation) const { return {value, generation, epoch_}; }
  const T* Follow(const TPositionLink<T>& link, uint64_t generation) const {
    return link.value && link.generation == generation && link.epoch == epoch_ ? link.value : nullptr;
  }

  // The entry made at `at` inside `owner` under `generation`, or nil. It
  // stays where it is until it is replaced or the cache starts again.
  const T* Find(const std::shared_ptr<const std::string>& owner, const char* at,
                uint64_t generation = 0) const {
    if (slots_.empty()) return nullptr;
    const TEntry* entry = slots_[SlotOf(at)].get();
    if (!entry || entry->generation != generation) return nullptr;
    // Same owner, not merely a new text at the same address.
    if (entry->owner.owner_before(owner) || owner.owner_before(entry->owner)) return nullptr;
    return &entry->value;
  }

  // Keeps `value` at `at` and gives the entry kept (nil without an owner).
  const T* Store(const std::shared_ptr<const std::string>& owner, const char* at, T value,
                   uint64_t generation = 0) {
    if (!owner) return nullptr;
    // Texts run once (text runs, call forms) leave entries behind: the
    // cache starts again rather than grow without end.
    if (count_ >= kMaxEntries) Clear();
    if (2 * (count_ + 1) > slots_.size()) Grow();
    std::unique_ptr<TEntry>& slot = slots_[SlotOf(at)];
    if (slot) {
      slot->owner = owner;
      slot->generation = generation;
      slot->value = std::move(value);
      return &slot->value;
    }
    slot.reset(new TEntry{at, owner, generation, std::move(value)});
    ++count_;
    return &slot->value;
  }

  void Clear() {
    slots_.clear();
    count_ = 0;
    ++epoch_;
  }

 private:
  static constexpr size_t kMaxEntries = 4096;
  struct TEntry {
    const char* at;
    std::weak_ptr<const std::string> owner;
    uint64_t generation = 0;
    T value;
  };
  // Open addressing over a power-of-two table, probing onwards; entries
  // are never removed one by one, so a free slot ends every search.
  std::vector<std::unique_ptr<TEntry>> slots_;
  size_t count_ = 0;
  uint64_t epoch_ = 0;  // counts the starts again, which free the entries

  // The slot that holds `at` or the free slot where it would go.
  size_t SlotOf(const char* at) const {
    const size_t mask = slots_.size() - 1;
    size_t i = static_cast<size_t>((reinterpret_cast<uintptr_t>(at) * 0x9E3779B97F4A7C15ull) >> 32) & mask;
    while (slots_[i] && slots_[i]->at != at) i = (i + 1) & mask;
    return i;
  }

  void Grow() {
    std::vector<std::unique_ptr<TEntry>> old = std::move(slots_);
    slots_.clear();
    slots_.resize(old.empty() ? 64 : old.size() * 2);
    for (std::unique_ptr<TEntry>& entry : old) {
      if (entry) slots_[SlotOf(entry->at)] = std::move(entry);
    }
  }
};

}  // namespace nura
