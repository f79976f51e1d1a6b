// The program's one random generator: a 32-bit linear congruential
// generator shared by "乱数", "RND" and "配列シャッフル". The sequence is
// fully determined by the seed, so scripts that seed it get repeatable
// numbers.
#pragma once

#include <cstdint>

namespace nura {

// Sets the seed; the next draw steps from it.
void SeedRandom(int32_t seed);

// Seeds from the clock (the generator starts seeded this way).
void SeedRandomFromClock();

// Steps the generator: seed := seed * 134775813 + 1 (modulo 2^32), and
// returns the new seed.
uint32_t NextRandomSeed();

// A real in 0 <= x < 1: the next seed divided by 2^32.
long double RandomReal();

// An integer in 0 .. range - 1: the high 32 bits of next seed * range.
// `range` must be above 0.
uint32_t RandomBelow(uint32_t range);

}  // namespace nura
