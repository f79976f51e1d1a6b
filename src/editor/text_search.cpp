#include "editor/text_search.h"

#include <array>
#include <memory>
#include <vector>

#include "editor/editor_text.h"
#include "engine/locale_map.h"

namespace nura {

namespace {

using Code = uint16_t;  // a one-byte character, or lead << 8 | trail

// The fixed tables, built once from the locale's mappings.
struct SearchTables {
  std::array<uint8_t, 256> upper{};     // one-byte upper case
  std::array<Code, 256> wide{};         // one byte to its full-width form (or itself)
  std::array<std::array<Code, 2>, 256> voiced{};  // half-width kana + ﾞ / ﾟ, 0 when none
  std::vector<Code> upperWide;          // two-byte code to its upper case
  std::array<bool, 256> delimiter{};

  SearchTables() : upperWide(0x10000) {
    for (int b = 0; b < 256; ++b) {
      const std::string one(1, static_cast<char>(b));
      const std::string up = b ? ToUpperCase(one) : one;
      upper[static_cast<size_t>(b)] = static_cast<uint8_t>(up.size() == 1 ? up[0] : one[0]);
      const std::string full = b ? ToFullWidth(one) : one;
      wide[static_cast<size_t>(b)] = full.size() == 2 ? ToCode(full) : static_cast<Code>(b);
      for (int mark = 0; mark < 2; ++mark) {
        const std::string pair = ToFullWidth(one + static_cast<char>(0xDE + mark));
        if (b >= 0xA6 && b <= 0xDF && pair.size() == 2) voiced[static_cast<size_t>(b)][static_cast<size_t>(mark)] = ToCode(pair);
      }
      delimiter[static_cast<size_t>(b)] = b <= 47 || (b >= 58 && b <= 64) || (b >= 91 && b <= 96) ||
                                          (b >= 123 && b <= 128) || (b >= 160 && b <= 165) || b >= 253;
    }
    wide['\\'] = 0x818F;  // ￥
    wide['~'] = 0x8150;   // ￣
    for (Code c = 0; c < 0x100; ++c) upperWide[c] = c;
    for (uint32_t c = 0x100; c < 0x10000; ++c) {
      upperWide[c] = static_cast<Code>(c);
      if (!IsSjisLead(static_cast<unsigned char>(c >> 8)) || !IsSjisTrail(static_cast<unsigned char>(c & 0xFF))) continue;
      const std::string ch{static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
      const std::string up = ToUpperCase(ch);
      if (up.size() == 2 && up != ch) upperWide[c] = ToCode(up);
    }
  }

  static Code ToCode(std::string_view two) {
    return static_cast<Code>(static_cast<unsigned char>(two[0]) << 8 | static_cast<unsigned char>(two[1]));
  }
};

const SearchTables& Tables() {
  static const SearchTables tables;
  return tables;
}

// One character of a text read for comparison: its code and byte length.
struct Char {
  Code code;
  int length;
};

Char ReadChar(std::string_view text, size_t i, bool fold) {
  const SearchTables& t = Tables();
  const auto b = static_cast<unsigned char>(text[i]);
  if (EditorCharLength(text, i) == 2) {
    return {static_cast<Code>(b << 8 | static_cast<unsigned char>(text[i + 1])), 2};
  }
  if (!fold) return {b, 1};
  if (i + 1 < text.size()) {
    const auto mark = static_cast<unsigned char>(text[i + 1]);
    if ((mark == 0xDE || mark == 0xDF) && t.voiced[b][mark - 0xDE]) return {t.voiced[b][mark - 0xDE], 2};
  }
  return {t.wide[b], 1};
}

Code Upper(Code c) { return c < 0x100 ? Tables().upper[c] : Tables().upperWide[c]; }

class Searcher {
 public:
  Searcher(std::string_view buffer, std::string_view pattern, uint16_t options)
      : text_(buffer), options_(options), fold_(options & SearchFoldWidth), trail_(buffer.size(), false) {
    const std::string prepared = fold_ ? FoldToFullWidth(pattern) : std::string(pattern);
    for (size_t i = 0; i < prepared.size();) {
      const Char c = ReadChar(prepared, i, false);
      pattern_.push_back(options & SearchMatchCase ? c.code : Upper(c.code));
      i += static_cast<size_t>(c.length);
    }
    minLength_ = fold_ ? static_cast<int>(pattern_.size()) : static_cast<int>(pattern.size());
    for (size_t i = 0; i < text_.size();) {
      const size_t n = EditorCharLength(text_, i);
      if (n == 2) trail_[i + 1] = true;
      i += n;
    }
  }

  int MinLength() const { return minLength_; }
  bool IsTrail(int i) const { return i > 0 && i < Size() && trail_[static_cast<size_t>(i)]; }
  int Size() const { return static_cast<int>(text_.size()); }

  // A character that is a word delimiter; a two-byte character never is.
  bool IsDelimiterAt(int i) const {
    if (IsTrail(i) || (i + 1 < Size() && IsTrail(i + 1))) return false;
    return Tables().delimiter[static_cast<unsigned char>(text_[static_cast<size_t>(i)])];
  }
  bool IsWordStart(int i) const {
    if (i >= Size() || IsDelimiterAt(i) || IsTrail(i)) return false;
    return i == 0 || IsDelimiterAt(PrevChar(i));
  }
  int PrevChar(int i) const { return IsTrail(i - 1) ? i - 2 : i - 1; }
  int NextChar(int i) const { return i + 1 < Size() && IsTrail(i + 1) ? i + 2 : i + 1; }

  // The hit length when the pattern matches at `at`, else -1.
  int MatchAt(int at) const {
    int i = at;
    for (size_t k = 0; k < pattern_.size();) {
      if (i >= Size()) return -1;  // the text ended inside the hit
      const Char c = ReadChar(text_, static_cast<size_t>(i), fold_);
      const Code code = options_ & SearchMatchCase ? c.code : Upper(c.code);
      if (code == pattern_[k]) {
        i += c.length;
        ++k;
        continue;
      }
      const int skip = k > 0 ? SkippableLength(i) : 0;
      if (skip == 0) return -1;
      i += skip;
    }
    if ((options_ & SearchWholeWord) && i < Size() && !IsDelimiterAt(i)) return -1;
    return i - at;
  }

 private:
  // Bytes of a line break or blank passed over inside a hit, 0 for none.
  int SkippableLength(int i) const {
    const char c = text_[static_cast<size_t>(i)];
    if ((options_ & SearchSkipLineBreaks) && (c == '\r' || c == '\n')) return 1;
    if (!(options_ & SearchSkipBlanks)) return 0;
    if (c == '\t' || c == ' ') return 1;
    if (text_.substr(static_cast<size_t>(i)).starts_with("\x81\x40")) return 2;
    return 0;
  }

  std::string_view text_;
  uint16_t options_;
  bool fold_;
  std::vector<bool> trail_;
  std::vector<Code> pattern_;
  int minLength_ = 0;
};

}  // namespace

std::string FoldToFullWidth(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const Char c = ReadChar(text, i, true);
    if (c.code >= 0x100) out += static_cast<char>(c.code >> 8);
    out += static_cast<char>(c.code & 0xFF);
    i += static_cast<size_t>(c.length);
  }
  return out;
}

std::optional<int> TextSearch(std::string_view buffer, TSearchPosition& pos, std::string_view pattern,
                              uint16_t options) {
  const int size = static_cast<int>(buffer.size());
  if (pos.start < 0 || pos.start > size || pos.length < 0 || pattern.empty()) return std::nullopt;
  const Searcher s(buffer, pattern, options);
  const bool forward = options & SearchForward;
  const bool whole = options & SearchWholeWord;
  int at = forward ? pos.start + std::min(pos.length, size - pos.start) : pos.start - s.MinLength();
  if (s.IsTrail(at)) at += forward ? 1 : -1;
  // Candidates run up to and including the last start whose shortest hit
  // still fits in the buffer.
  const int last = size - s.MinLength();
  while (at >= 0 && at <= last) {
    if (whole && !s.IsWordStart(at)) {
      at = forward ? s.NextChar(at) : s.PrevChar(at);
      continue;
    }
    const int length = s.MatchAt(at);
    if (length >= 0) {
      pos.length = length;
      return at;
    }
    at = forward ? s.NextChar(at) : s.PrevChar(at);
  }
  return std::nullopt;
}

bool TextSearchOffset(std::string_view buffer, TSearchPosition& pos, std::string_view pattern, uint16_t options) {
  if (pattern.empty() || buffer.empty()) return false;
  const std::optional<int> hit = TextSearch(buffer, pos, pattern, options);
  if (!hit) return false;
  pos.start = *hit;
  return true;
}

}  // namespace nura
