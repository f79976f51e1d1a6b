#include "commands/random.h"

#include <gtest/gtest.h>

#include "engine/number_format.h"

namespace nura {
namespace {

TEST(RandomGenerator, SeedZeroGivesTheKnownSequence) {
  SeedRandom(0);
  EXPECT_EQ(FormatGeneral(RandomReal()), "2.3283064365387E-10");
  EXPECT_EQ(FormatGeneral(RandomReal()), "0.0313799395225942");

  SeedRandom(0);
  const uint32_t expected[] = {0, 3, 86, 20, 27};
  for (uint32_t value : expected) EXPECT_EQ(RandomBelow(100), value);
}

TEST(RandomGenerator, StepsModulo2To32AndStaysInRange) {
  SeedRandom(-1);
  EXPECT_EQ(NextRandomSeed(), 0xFFFFFFFFu * 134775813u + 1u);
  SeedRandomFromClock();
  for (int i = 0; i < 1000; ++i) {
    EXPECT_LT(RandomBelow(7), 7u);
    const long double r = RandomReal();
    EXPECT_GE(r, 0.0L);
    EXPECT_LT(r, 1.0L);
  }
  EXPECT_EQ(RandomBelow(1), 0u);
}

}  // namespace
}  // namespace nura
