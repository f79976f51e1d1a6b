#include "engine/name_index.h"

#include <cstring>
#include <functional>
#include <utility>

#include "engine/nura_base.h"

namespace nura {

namespace {

constexpr size_t kFirstCapacity = 16;

}  // namespace

uint64_t TNameIndex::HashName(std::string_view name) {
  // The library's byte hash, mixed so that the low bits (the slot) depend
  // on every bit.
  uint64_t h = std::hash<std::string_view>{}(name);
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  return h;
}

size_t TNameIndex::Locate(std::string_view name, uint64_t hash) const {
  if (slots_.empty()) return 1;
  for (size_t i = hash & mask_;; i = (i + 1) & mask_) {
    const TSlot& slot = slots_[i];
    if (!slot.node) return mask_ + 1;
    if (slot.hash == hash && slot.node->name.size() == name.size() &&
        std::memcmp(slot.node->name.data(), name.data(), name.size()) == 0)
      return i;
  }
}

const std::shared_ptr<THashNode>* TNameIndex::Find(std::string_view name) const {
  if (size_ == 0) return nullptr;
  const size_t i = Locate(name, hash_(name));
  return i > mask_ ? nullptr : &slots_[i].node;
}

void TNameIndex::Place(TSlot slot) {
  size_t i = slot.hash & mask_;
  while (slots_[i].node) i = (i + 1) & mask_;
  slots_[i] = std::move(slot);
}

void TNameIndex::Grow() {
  std::vector<TSlot> old = std::exchange(slots_, std::vector<TSlot>(slots_.empty() ? kFirstCapacity
                                                                                    : slots_.size() * 2));
  mask_ = slots_.size() - 1;
  for (TSlot& slot : old)
    if (slot.node) Place(std::move(slot));
}

void TNameIndex::Insert(std::shared_ptr<THashNode> node) {
  // At most three quarters full, so probes stay short.
  if ((size_ + 1) * 4 > slots_.size() * 3) Grow();
  const uint64_t hash = hash_(node->name);
  Place(TSlot{std::move(node), hash});
  ++size_;
}

bool TNameIndex::Erase(std::string_view name) {
  if (size_ == 0) return false;
  size_t hole = Locate(name, hash_(name));
  if (hole > mask_) return false;
  slots_[hole] = TSlot{};
  --size_;
  // Shift the following run back over the hole wherever a slot's home does
  // not lie cyclically between the hole and the slot, so every remaining
  // name stays reachable from its home without tombstones.
  for (size_t i = (hole + 1) & mask_; slots_[i].node; i = (i + 1) & mask_) {
    const size_t home = slots_[i].hash & mask_;
    if (((i - home) & mask_) >= ((i - hole) & mask_)) {
      slots_[hole] = std::move(slots_[i]);
      slots_[i] = TSlot{};
      hole = i;
    }
  }
  return true;
}

void TNameIndex::Clear() {
  slots_ = {};
  mask_ = 0;
  size_ = 0;
}

}  // namespace nura
