#include "engine/cipher.h"

#include <gtest/gtest.h>

#include <vector>

namespace nura {
namespace {

// Key stream with zero data and a one-byte zero key: the generator's bytes.
std::vector<int> KeyStream(size_t n) {
  TCipher c;
  c.Assign(std::string(n, '\0'));
  c.Transform(std::string(1, '\0'));
  std::vector<int> out;
  for (char b : c.Memory()) out.push_back(static_cast<unsigned char>(b));
  return out;
}

TEST(Cipher, KeyStreamFollowsTheGenerator) {
  const std::vector<int> ks = KeyStream(700);
  const std::vector<int> first = {202, 127, 46, 55, 51, 94, 185, 31,
                                  182, 225, 2, 83, 64, 23, 250, 169};
  EXPECT_EQ(std::vector<int>(ks.begin(), ks.begin() + 16), first);
  // Across the first regeneration of the 624 words.
  const std::vector<int> around = {38, 217, 181, 85, 44, 229, 237, 243, 102, 144};
  EXPECT_EQ(std::vector<int>(ks.begin() + 620, ks.begin() + 630), around);
}

TEST(Cipher, DefaultKeyAndExactCiphertext) {
  EXPECT_EQ(TCipher::DefaultKey(), "\x83\x6B\x62\x83\x53\x83\x65\x6B\x35\x38\x82\xD9\x37\x51\x3F\x82\xE4");
  TCipher c;
  c.Write("Hello, world!!!!");
  c.Transform("");
  EXPECT_EQ(c.Position(), 0u);
  EXPECT_EQ(c.Memory(), std::string("\x01\x71\x20\xD8\x0F\xF1\xFC\x03\xEC\xAB\xEC\xEE\x56\x67\xE4\x0A", 16));
  TCipher d;
  d.Assign(c.Memory());
  d.Transform(TCipher::DefaultKey());
  EXPECT_EQ(d.Memory(), "Hello, world!!!!");
}

TEST(Cipher, FreshObjectRestoresButTheSameObjectDoesNot) {
  std::string data;
  for (int i = 0; i < 3000; ++i) data += static_cast<char>(i * 7);
  TCipher enc;
  enc.Write(data);
  enc.SetPosition(10);  // the whole stream is transformed regardless
  enc.Transform("key");
  ASSERT_NE(enc.Memory(), data);
  const std::string sealed = enc.Memory();
  enc.Transform("key");
  EXPECT_NE(enc.Memory(), data);  // the generator has moved on
  TCipher dec;
  dec.Assign(sealed);
  dec.Transform("key");
  EXPECT_EQ(dec.Memory(), data);
}

TEST(Cipher, EmptyStreamConsumesNoOutput) {
  TCipher c;
  c.Transform("x");
  EXPECT_EQ(c.Size(), 0u);
  // Still the first generator byte after the empty transform.
  c.Assign(std::string(1, '\0'));
  c.Transform(std::string(1, '\0'));
  EXPECT_EQ(static_cast<unsigned char>(c.Memory()[0]), 202);
}

TEST(Cipher, GeneratorHelpers) {
  cipher_generator::SeedGenerator(TCipher::kSeed);
  const double r = cipher_generator::NextReal();
  EXPECT_GE(r, 0.0);
  EXPECT_LT(r, 1.0);
  EXPECT_EQ(static_cast<int>(r * 256), 202);
  for (int i = 0; i < 1000; ++i) {
    const int v = cipher_generator::RandomBelow(10);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, 10);
  }
}

}  // namespace
}  // namespace nura
