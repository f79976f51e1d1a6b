#include "engine/cipher.h"

#include <algorithm>
#include <array>

#include "platform/sjis.h"

namespace nura {
namespace cipher_generator {
namespace {

constexpr int kWords = 624;
constexpr int kShift = 397;
constexpr int kUnseeded = kWords + 1;
// Seed of a generator that is asked for output before anyone seeded it.
constexpr int32_t kDefaultSeed = 19650218;

struct State {
  std::array<uint32_t, kWords> word{};
  int index = kUnseeded;
};

State& Shared() {
  static State state;
  return state;
}

void Regenerate(State& s) {
  for (int k = 0; k < kWords; ++k) {
    const uint32_t next = s.word[(k + 1) % kWords];
    const uint32_t y = (s.word[k] & 0x80000000u) | (next & 0x7FFFFFFFu);
    s.word[k] = s.word[(k + kShift) % kWords] ^ (y >> 1) ^ ((next & 1u) ? 0x9908B0DFu : 0u);
  }
  s.index = 0;
}

uint32_t NextWord() {
  State& s = Shared();
  if (s.index >= kWords) {
    if (s.index == kUnseeded) SeedGenerator(kDefaultSeed);
    Regenerate(s);
  }
  uint32_t y = s.word[s.index++];
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y;
}

}  // namespace

void SeedGenerator(int32_t seed) {
  State& s = Shared();
  s.word[0] = static_cast<uint32_t>(seed) & 0x7FFFFFFFu;
  for (int i = 1; i < kWords; ++i) s.word[i] = (s.word[i - 1] & 0xFFu) * 69069u;
  s.index = kWords;
}

double NextReal() { return static_cast<double>(NextWord()) * (1.0 / 4294967296.0); }

int32_t RandomBelow(int32_t n) { return static_cast<int32_t>(NextReal() * n); }

}  // namespace cipher_generator

const std::string& TCipher::DefaultKey() {
  static const std::string key = SJ("ヌbゴテk58ほ7Q?ゆ");
  return key;
}

TCipher::TCipher() { cipher_generator::SeedGenerator(kSeed); }

void TCipher::Write(std::string_view bytes) {
  if (position_ > data_.size()) data_.resize(position_, '\0');
  const size_t overlap = std::min(bytes.size(), data_.size() - position_);
  data_.replace(position_, overlap, bytes);
  position_ += bytes.size();
}

void TCipher::Assign(std::string_view bytes) {
  data_.assign(bytes);
  position_ = 0;
}

void TCipher::Clear() {
  data_.clear();
  position_ = 0;
}

void TCipher::Transform(std::string_view key) {
  if (key.empty()) key = DefaultKey();
  for (size_t i = 0; i < data_.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(data_[i]);
    b ^= static_cast<unsigned char>(key[i % key.size()]);
    b ^= static_cast<unsigned char>(cipher_generator::RandomBelow(256));
    data_[i] = static_cast<char>(b);
  }
  position_ = 0;
}

}  // namespace nura
