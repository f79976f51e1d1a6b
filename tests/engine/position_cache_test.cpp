#include "engine/position_cache.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace nura {
namespace {

using Text = std::shared_ptr<const std::string>;

// Entries are found by position, owner and generation, through the growth
// of the table and after a replacement, and stay where they were stored.
TEST(PositionCacheTest, FindsEntriesByPositionOwnerAndGeneration) {
  const Text text = std::make_shared<const std::string>(3000, 'x');
  const Text other = std::make_shared<const std::string>(*text);
  TPositionCache<int> cache;
  EXPECT_EQ(cache.Find(text, text->c_str()), nullptr);
  cache.Store(text, text->c_str(), -1);
  const int* first = cache.Find(text, text->c_str());
  ASSERT_NE(first, nullptr);
  for (size_t i = 1; i < text->size(); ++i) cache.Store(text, text->c_str() + i, static_cast<int>(i), i % 3);
  EXPECT_EQ(cache.Find(text, text->c_str()), first);
  EXPECT_EQ(*first, -1);
  for (size_t i = 1; i < text->size(); ++i) {
    const int* found = cache.Find(text, text->c_str() + i, i % 3);
    ASSERT_NE(found, nullptr) << i;
    EXPECT_EQ(*found, static_cast<int>(i));
    EXPECT_EQ(cache.Find(text, text->c_str() + i, i % 3 + 1), nullptr);  // another generation
  }
  // Another text at the same address is not the text the entry was made from.
  EXPECT_EQ(cache.Find(other, text->c_str()), nullptr);
  EXPECT_EQ(cache.Find(nullptr, text->c_str()), nullptr);
  cache.Store(text, text->c_str(), 7);
  EXPECT_EQ(cache.Find(text, text->c_str()), first);
  EXPECT_EQ(*first, 7);
  cache.Store(nullptr, other->c_str(), 1);  // texts without an owner are not kept
  EXPECT_EQ(cache.Find(nullptr, other->c_str()), nullptr);
}

// Past its bound the cache starts again instead of growing.
TEST(PositionCacheTest, StartsAgainWhenFull) {
  const Text text = std::make_shared<const std::string>(5000, 'y');
  TPositionCache<std::string> cache;
  for (size_t i = 0; i < 4096; ++i) cache.Store(text, text->c_str() + i, std::to_string(i));
  ASSERT_NE(cache.Find(text, text->c_str()), nullptr);
  cache.Store(text, text->c_str() + 4096, "new");
  EXPECT_EQ(cache.Find(text, text->c_str()), nullptr);
  ASSERT_NE(cache.Find(text, text->c_str() + 4096), nullptr);
  EXPECT_EQ(*cache.Find(text, text->c_str() + 4096), "new");
  cache.Clear();
  EXPECT_EQ(cache.Find(text, text->c_str() + 4096), nullptr);
}

}  // namespace
}  // namespace nura
