// The name index of the word table: an open-addressing table (linear
// probing, deletion by shifting back, no tombstones) from a word's name to
// its node. Each slot keeps the full hash of the name, so growing never
// hashes a name again and a probe compares hashes before bytes. The index
// only accelerates look-ups: the order of words is kept elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace nura {

class THashNode;

class TNameIndex {
 public:
  using HashFunction = uint64_t (*)(std::string_view);

  // `hash` replaces the hash of names (tests force collisions with it).
  explicit TNameIndex(HashFunction hash = &HashName) : hash_(hash) {}

  static uint64_t HashName(std::string_view name);

  // The node named `name`, or nil.
  const std::shared_ptr<THashNode>* Find(std::string_view name) const;
  // Enters `node` under its name, which the index must not hold yet.
  void Insert(std::shared_ptr<THashNode> node);
  // Removes the node named `name`; false when there is none.
  bool Erase(std::string_view name);
  void Clear();
  size_t Size() const { return size_; }

 private:
  struct TSlot {
    std::shared_ptr<THashNode> node;  // nil: free
    uint64_t hash = 0;
  };

  size_t Locate(std::string_view name, uint64_t hash) const;  // npos-like: mask_ + 1
  void Grow();
  void Place(TSlot slot);

  HashFunction hash_;
  std::vector<TSlot> slots_;
  size_t mask_ = 0;
  size_t size_ = 0;
};

}  // namespace nura
