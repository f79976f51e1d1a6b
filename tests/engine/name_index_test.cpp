#include "engine/name_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/nura_base.h"

namespace nura {
namespace {

NodePtr Node(const std::string& name, const std::string& value = "") {
  return NodePtr(THashNode::CreateVariable(name, false, 0, value).release());
}

// Every name in one probe run: each look-up walks past other names of the
// same hash, and deletion must shift the run back without losing any.
uint64_t SameHash(std::string_view) { return 7; }
// Few distinct hashes, so runs of different homes interleave and wrap.
uint64_t FewHashes(std::string_view name) { return name.empty() ? 0 : 13 + (name.back() & 3); }

// One home while the table has at most 256 slots, the hash bits a slot
// keeps beside its entry number all different: probes pass names by those.
uint64_t SameHome(std::string_view name) { return TNameIndex::HashName(name) << 8 | 5; }
// The same low word, the bits slots keep included: only the entries' full
// hashes (and then the names) tell the names apart.
uint64_t SameLowWord(std::string_view name) { return TNameIndex::HashName(name) << 32 | 9; }

// Random inserts and erases against a plain map; every name is checked
// after each step.
void CompareWithModel(TNameIndex::HashFunction hash, int keys, int steps) {
  TNameIndex index(hash);
  std::map<std::string, NodePtr> model;
  std::mt19937 random(12345);
  for (int step = 0; step < steps; ++step) {
    const std::string name = "n" + std::to_string(random() % keys);
    const bool present = model.count(name) > 0;
    if (random() % 3 == 0) {
      ASSERT_EQ(index.Erase(name), present) << name;
      model.erase(name);
    } else if (!present) {
      NodePtr node = Node(name);
      model[name] = node;
      index.Insert(node);
    }
    ASSERT_EQ(index.Size(), model.size());
    if (step % 17 != 0) continue;
    for (int k = 0; k < keys; ++k) {
      const std::string probe = "n" + std::to_string(k);
      const NodePtr* found = index.Find(probe);
      const auto expected = model.find(probe);
      if (expected == model.end()) {
        ASSERT_EQ(found, nullptr) << probe;
      } else {
        ASSERT_NE(found, nullptr) << probe;
        ASSERT_EQ(found->get(), expected->second.get()) << probe;
      }
    }
  }
}

TEST(TNameIndexTest, CollidingNamesStayReachableThroughDeletes) {
  CompareWithModel(&SameHash, 40, 2000);
  CompareWithModel(&FewHashes, 200, 4000);
  CompareWithModel(&TNameIndex::HashName, 3000, 20000);
  CompareWithModel(&SameHome, 1000, 4000);
  CompareWithModel(&SameLowWord, 1000, 4000);
}

TEST(TNameIndexTest, EmptyAndClear) {
  TNameIndex index;
  EXPECT_EQ(index.Find("a"), nullptr);
  EXPECT_FALSE(index.Erase("a"));
  index.Insert(Node("a"));
  index.Insert(Node(""));
  EXPECT_NE(index.Find(""), nullptr);
  EXPECT_EQ(index.Find("ab"), nullptr);
  index.Clear();
  EXPECT_EQ(index.Size(), 0u);
  EXPECT_EQ(index.Find("a"), nullptr);
  index.Insert(Node("a", "again"));
  EXPECT_EQ((*index.Find("a"))->Value(), "again");
}

// The word table against a plain model of its 256 ordered buckets: random
// adds (new or replacing), deletes, renames (delete, then add under a new
// name) and a clear; the enumeration order and every look-up must agree.
TEST(THashIndexTest, OrderAndLookupsAgreeWithBucketModel) {
  THash h;
  std::array<std::vector<std::pair<std::string, std::string>>, THash::kBuckets> model;
  auto modelFind = [&](const std::string& name) -> std::pair<std::string, std::string>* {
    for (auto& entry : model[THash::HashOf(name)])
      if (entry.first == name) return &entry;
    return nullptr;
  };
  auto modelErase = [&](const std::string& name) {
    auto& bucket = model[THash::HashOf(name)];
    bucket.erase(std::find_if(bucket.begin(), bucket.end(), [&](const auto& e) { return e.first == name; }));
  };
  std::mt19937 random(99);
  constexpr int kNames = 5000;
  for (int step = 0; step < 60000; ++step) {
    const std::string name = "k" + std::to_string(random() % kNames);
    const std::string value = std::to_string(step);
    const unsigned action = random() % 10;
    if (action < 6) {
      h.Add(THashNode::CreateVariable(name, false, 0, value));
      if (auto* entry = modelFind(name)) entry->second = value;
      else model[THash::HashOf(name)].emplace_back(name, value);
    } else if (action < 9) {
      const bool present = modelFind(name) != nullptr;
      ASSERT_EQ(h.Delete(name, false) >= 0, present) << name;
      if (present) modelErase(name);
    } else if (const auto* entry = modelFind(name)) {
      const std::string renamed = "r" + name;
      if (modelFind(renamed)) continue;
      const std::string kept = entry->second;
      auto copy = std::make_unique<THashNode>(*h.Find(name, false));
      copy->name = renamed;
      h.Delete(name, false);
      h.Add(std::move(copy));
      modelErase(name);
      model[THash::HashOf(renamed)].emplace_back(renamed, kept);
    }
    if (step == 30000) {
      h.Clear();
      for (auto& bucket : model) bucket.clear();
    }
  }
  std::vector<std::pair<std::string, std::string>> expected;
  for (const auto& bucket : model) expected.insert(expected.end(), bucket.begin(), bucket.end());
  const std::vector<NodePtr> nodes = h.GetNodes();
  ASSERT_EQ(nodes.size(), expected.size());
  ASSERT_EQ(h.Count(), static_cast<int>(expected.size()));
  for (size_t i = 0; i < nodes.size(); ++i) {
    ASSERT_EQ(nodes[i]->name, expected[i].first) << i;
    ASSERT_EQ(nodes[i]->Value(), expected[i].second) << i;
    ASSERT_EQ(h.Find(expected[i].first, false), nodes[i].get()) << i;
  }
  for (int i = 0; i < kNames; ++i) {
    const std::string name = "k" + std::to_string(i);
    ASSERT_EQ(h.Find(name, false) != nullptr, modelFind(name) != nullptr) << name;
  }
}

}  // namespace
}  // namespace nura
