#include "engine/name_index.h"

#include <cstring>
#include <stdexcept>
#include <utility>

#include "engine/nura_base.h"

namespace nura {

namespace {

constexpr size_t kFirstSlots = 16;

}  // namespace

uint64_t TNameIndex::HashName(std::string_view name) {
  // Eight bytes at a time, each multiplied in, then mixed so that the low
  // bits (the slot) depend on every bit. Names are short: one or two rounds.
  constexpr uint64_t kMultiplier = 0x9e3779b97f4a7c15ULL;
  const char* p = name.data();
  size_t left = name.size();
  uint64_t h = left * kMultiplier;
  for (; left >= 8; p += 8, left -= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    h = (h ^ word) * kMultiplier;
    h ^= h >> 29;
  }
  uint64_t last = 0;
  for (size_t i = 0; i < left; ++i) last |= uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
  h = (h ^ last) * kMultiplier;
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  return h;
}

size_t TNameIndex::Locate(std::string_view name, uint64_t hash) const {
  const uint32_t tag = static_cast<uint32_t>(hash) & tagMask_;
  for (size_t i = hash & mask_;; i = (i + 1) & mask_) {
    const uint32_t slot = slots_[i];
    if (slot == 0) return mask_ + 1;
    if ((slot & tagMask_) != tag) continue;
    const TEntry& entry = entries_[EntryOf(slot)];
    if (entry.hash == hash && entry.node->name.size() == name.size() &&
        std::memcmp(entry.node->name.data(), name.data(), name.size()) == 0)
      return i;
  }
}

const std::shared_ptr<THashNode>* TNameIndex::Find(std::string_view name, uint64_t hash) const {
  if (size_ == 0) return nullptr;
  const size_t i = Locate(name, hash);
  return i > mask_ ? nullptr : &entries_[EntryOf(slots_[i])].node;
}

void TNameIndex::Place(uint32_t entry) {
  const uint64_t hash = entries_[entry].hash;
  size_t i = hash & mask_;
  while (slots_[i] != 0) i = (i + 1) & mask_;
  slots_[i] = SlotOf(entry, hash);
}

void TNameIndex::Rebuild() {
  std::erase_if(entries_, [](const TEntry& entry) { return !entry.node; });
  // Room for twice the live names at most three quarters full.
  size_t slots = kFirstSlots;
  while (slots * 3 < (size_ + 1) * 2 * 4) slots *= 2;
  if (slots > (size_t{1} << 32)) throw std::overflow_error("word table overflow");
  slots_.assign(slots, 0);
  mask_ = slots - 1;
  // At most three quarters of the slots have entries: entry number + 1
  // stays below the slot count, a power of two, and leaves the bits above.
  tagMask_ = ~static_cast<uint32_t>(mask_);
  for (size_t i = 0; i < entries_.size(); ++i) Place(static_cast<uint32_t>(i));
}

void TNameIndex::Insert(std::shared_ptr<THashNode> node) {
  const uint64_t hash = Hash(node->name);
  Insert(std::move(node), hash);
}

const std::shared_ptr<THashNode>& TNameIndex::Insert(std::shared_ptr<THashNode> node, uint64_t hash) {
  // Erased entries leave the list only here, so the list (and the table
  // that numbers it) stays at most three quarters of the table's size.
  if ((entries_.size() + 1) * 4 > slots_.size() * 3) Rebuild();
  entries_.push_back(TEntry{std::move(node), hash});
  Place(static_cast<uint32_t>(entries_.size() - 1));
  ++size_;
  return entries_.back().node;
}

bool TNameIndex::Erase(std::string_view name) {
  if (size_ == 0) return false;
  size_t hole = Locate(name, hash_(name));
  if (hole > mask_) return false;
  entries_[EntryOf(slots_[hole])].node.reset();
  slots_[hole] = 0;
  --size_;
  // Shift the following run back over the hole wherever a slot's home does
  // not lie cyclically between the hole and the slot, so every remaining
  // name stays reachable from its home without tombstones.
  for (size_t i = (hole + 1) & mask_; slots_[i] != 0; i = (i + 1) & mask_) {
    const size_t home = entries_[EntryOf(slots_[i])].hash & mask_;
    if (((i - home) & mask_) >= ((i - hole) & mask_)) {
      slots_[hole] = slots_[i];
      slots_[i] = 0;
      hole = i;
    }
  }
  return true;
}

void TNameIndex::Clear() {
  entries_ = {};
  slots_ = {};
  mask_ = 0;
  tagMask_ = 0;
  size_ = 0;
}

}  // namespace nura
