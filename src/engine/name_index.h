// The name index of the word table: the nodes in a dense list in the order
// they came (each with the full hash of its name), and an open-addressing
// table of 4-byte slots over it (linear probing, deletion by shifting back,
// no tombstones). A slot holds an entry number and, in the bits above it
// that the table's size leaves free, those bits of the name's hash, so a
// probe passes most other names without reading their entries. The small
// table stays in cache; growing never hashes a name again and a probe
// compares hashes before bytes. The
// list holds the only reference the table keeps to a node; walked in order
// it gives the words in the order they came.
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

  // The hash of `name` for the two calls below, which take it so that a
  // look-up followed by an insertion hashes the name once.
  uint64_t Hash(std::string_view name) const { return hash_(name); }
  // The node named `name`, or nil; valid until the index changes.
  const std::shared_ptr<THashNode>* Find(std::string_view name) const { return Find(name, Hash(name)); }
  const std::shared_ptr<THashNode>* Find(std::string_view name, uint64_t hash) const;
  // Enters `node` under its name, which the index must not hold yet; the
  // index's reference to it, valid until the index changes.
  void Insert(std::shared_ptr<THashNode> node);
  const std::shared_ptr<THashNode>& Insert(std::shared_ptr<THashNode> node, uint64_t hash);
  // Removes the node named `name`; false when there is none.
  bool Erase(std::string_view name);
  void Clear();
  size_t Size() const { return size_; }
  // Calls `visit` with every node in the order the nodes came.
  template <typename F>
  void ForEach(F&& visit) const {
    for (const TEntry& entry : entries_)
      if (entry.node) visit(entry.node);
  }

 private:
  struct TEntry {
    std::shared_ptr<THashNode> node;  // nil: erased
    uint64_t hash = 0;
  };

  // The slot holding `name`, or mask_ + 1.
  size_t Locate(std::string_view name, uint64_t hash) const;
  // Drops erased entries and sizes the table for the live ones to grow.
  void Rebuild();
  void Place(uint32_t entry);
  // The slot of entry number `entry` (of hash `hash`) and back.
  uint32_t SlotOf(uint32_t entry, uint64_t hash) const {
    return (static_cast<uint32_t>(hash) & tagMask_) | (entry + 1);
  }
  uint32_t EntryOf(uint32_t slot) const { return (slot & ~tagMask_) - 1; }

  HashFunction hash_;
  std::vector<TEntry> entries_;
  // The bits of the hash above mask_, then entry number + 1, which the
  // table's size keeps below them; 0: free
  std::vector<uint32_t> slots_;
  size_t mask_ = 0;
  uint32_t tagMask_ = 0;  // the bits of a slot that hold the hash
  size_t size_ = 0;
};

}  // namespace nura
