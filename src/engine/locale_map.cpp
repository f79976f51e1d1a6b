#include "engine/locale_map.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <span>

#include "platform/sjis.h"

namespace nura {
namespace {

struct LocaleMapEntry {
  uint16_t code;         // one byte, lead << 8 | trail, or two single bytes
  uint16_t replacement;  // big-endian bytes
  uint8_t length;        // replacement length in bytes (1 or 2)
};

#include "engine/locale_map_table.inc"

using MapTable = std::span<const LocaleMapEntry>;

const LocaleMapEntry* Lookup(MapTable table, uint16_t code) {
  auto it = std::lower_bound(table.begin(), table.end(), code,
                             [](const LocaleMapEntry& e, uint16_t c) { return e.code < c; });
  return (it != table.end() && it->code == code) ? &*it : nullptr;
}

void AppendReplacement(std::string& out, const LocaleMapEntry& e) {
  if (e.length == 2) out += static_cast<char>(e.replacement >> 8);
  out += static_cast<char>(e.replacement & 0xFF);
}

std::string MapText(std::string_view text, MapTable table) {
  text = text.substr(0, text.find('\0'));
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    const bool hasNext = i + 1 < text.size();
    const auto b1 = hasNext ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (IsSjisLead(b0) && hasNext) {
      const LocaleMapEntry* e = Lookup(table, static_cast<uint16_t>(b0 << 8 | b1));
      if (e) AppendReplacement(out, *e); else out.append(text.substr(i, 2));
      i += 2;
      continue;
    }
    // A one-byte pair such as a half-width kana and its voiced mark.
    if (hasNext && !IsSjisLead(b1)) {
      if (const LocaleMapEntry* e = Lookup(table, static_cast<uint16_t>(b0 << 8 | b1))) {
        AppendReplacement(out, *e);
        i += 2;
        continue;
      }
    }
    const LocaleMapEntry* e = Lookup(table, b0);
    if (e) AppendReplacement(out, *e); else out += static_cast<char>(b0);
    ++i;
  }
  return out;
}

}  // namespace

std::string ToFullWidth(std::string_view text) { return MapText(text, kFullWidthMap); }
std::string ToHalfWidth(std::string_view text) { return MapText(text, kHalfWidthMap); }
std::string ToHiragana(std::string_view text) { return MapText(text, kHiraganaMap); }
std::string ToKatakana(std::string_view text) { return MapText(text, kKatakanaMap); }
std::string ToLowerCase(std::string_view text) { return MapText(text, kLowerCaseMap); }
std::string ToUpperCase(std::string_view text) { return MapText(text, kUpperCaseMap); }

bool LocaleTextEquals(std::string_view a, std::string_view b) { return a == b; }

}  // namespace nura
