#include "support/base64.h"

#include <array>

namespace nura {
namespace {

constexpr char kAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr int kPad = 64;
constexpr int kSkip = -1;

// Sextet value of each byte, kPad for "=", kSkip for everything else.
const std::array<int, 256>& DecodeTable() {
  static const std::array<int, 256> table = [] {
    std::array<int, 256> t;
    t.fill(kSkip);
    for (int k = 0; k < 64; ++k) t[static_cast<unsigned char>(kAlphabet[k])] = k;
    t['='] = kPad;
    return t;
  }();
  return table;
}

// Appends the bytes of a group of `count` sextets (2 to 4).
void EmitGroup(std::string& out, const int* v, int count) {
  out += static_cast<char>((v[0] << 2) | (v[1] >> 4));
  if (count > 2) out += static_cast<char>(((v[1] & 0x0F) << 4) | (v[2] >> 2));
  if (count > 3) out += static_cast<char>(((v[2] & 0x03) << 6) | v[3]);
}

}  // namespace

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  auto at = [&bytes](size_t k) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[k])); };
  for (; i + 3 <= bytes.size(); i += 3) {
    const unsigned n = (at(i) << 16) | (at(i + 1) << 8) | at(i + 2);
    out += kAlphabet[n >> 18];
    out += kAlphabet[(n >> 12) & 63];
    out += kAlphabet[(n >> 6) & 63];
    out += kAlphabet[n & 63];
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    const unsigned n = (at(i) << 16) | (rest > 1 ? at(i + 1) << 8 : 0);
    out += kAlphabet[n >> 18];
    out += kAlphabet[(n >> 12) & 63];
    out += rest > 1 ? kAlphabet[(n >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string Base64Decode(std::string_view text) {
  const auto& table = DecodeTable();
  std::string out;
  out.reserve(text.size() / 4 * 3 + 3);
  int group[4];
  int filled = 0;
  for (unsigned char c : text) {
    const int v = table[c];
    if (v == kSkip) continue;
    if (v == kPad) {
      // Padding counts only in the third or fourth place of a group; it
      // closes the group with the bytes its first sextets hold.
      if (filled >= 2) EmitGroup(out, group, filled);
      filled = 0;
      continue;
    }
    group[filled++] = v;
    if (filled == 4) {
      EmitGroup(out, group, 4);
      filled = 0;
    }
  }
  if (filled >= 2) EmitGroup(out, group, filled);
  return out;
}

}  // namespace nura
