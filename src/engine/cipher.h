// The stream cipher: a memory buffer that enciphers or deciphers its own
// bytes in place. One transform does both directions: each byte is XORed
// with a repeating key and then with a key stream from a Mersenne-Twister
// generator. Creating a cipher re-seeds the generator, so a fresh object
// transformed with the same key restores the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace nura {

// The cipher's own generator, one shared state for the process. It is not
// the generator of the random-number commands.
namespace cipher_generator {

// Seeds the shared state. The seeding rule is the cipher's own (only the
// low byte of each word enters the next), so enciphered data reads back.
void SeedGenerator(int32_t seed);
// The next output as a real in [0, 1).
double NextReal();
// trunc(NextReal() * n).
int32_t RandomBelow(int32_t n);

}  // namespace cipher_generator

class TCipher {
 public:
  // The key used when Transform is given an empty one (Shift-JIS bytes).
  static const std::string& DefaultKey();
  static constexpr int32_t kSeed = 9847;

  // An empty stream; re-seeds the shared generator.
  TCipher();

  // Writes bytes at the position (growing the stream) and moves past them.
  void Write(std::string_view bytes);
  // Replaces the whole content; the position goes to 0.
  void Assign(std::string_view bytes);
  void Clear();

  const std::string& Memory() const { return data_; }
  size_t Size() const { return data_.size(); }
  size_t Position() const { return position_; }
  void SetPosition(size_t position) { position_ = position; }

  // Transforms every byte of the stream (whatever the position) with the
  // key (empty: the default key); leaves the position at 0.
  void Transform(std::string_view key);

 private:
  std::string data_;
  size_t position_ = 0;
};

}  // namespace nura
