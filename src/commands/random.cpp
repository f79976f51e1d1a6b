#include "commands/random.h"

#include <chrono>

namespace nura {
namespace {

uint32_t ClockSeed() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
  return static_cast<uint32_t>(ticks) ^ static_cast<uint32_t>(static_cast<uint64_t>(ticks) >> 32);
}

uint32_t& Seed() {
  static uint32_t seed = ClockSeed();
  return seed;
}

}  // namespace

void SeedRandom(int32_t seed) { Seed() = static_cast<uint32_t>(seed); }

void SeedRandomFromClock() { Seed() = ClockSeed(); }

uint32_t NextRandomSeed() {
  Seed() = Seed() * 134775813u + 1u;
  return Seed();
}

long double RandomReal() {
  return static_cast<long double>(NextRandomSeed()) / 4294967296.0L;
}

uint32_t RandomBelow(uint32_t range) {
  const uint64_t product = static_cast<uint64_t>(NextRandomSeed()) * range;
  return static_cast<uint32_t>(product >> 32);
}

}  // namespace nura
