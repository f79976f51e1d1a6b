#include "support/jconvert.h"

#include <array>
#include <cstdint>

#include "platform/sjis.h"

namespace nura {
namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr char kKanjiIn[] = "\x1B$B";
constexpr char kKanjiOut[] = "\x1B(J";

inline unsigned char Byte(std::string_view s, size_t i) {
  return static_cast<unsigned char>(s[i]);
}

inline bool InRange(unsigned char c, unsigned char lo, unsigned char hi) {
  return c >= lo && c <= hi;
}

inline bool IsHalfKana(unsigned char c) { return InRange(c, 0xA1, 0xDF); }

// A JIS X 0208 row/cell pair (each 0x21-0x7E) as one 16-bit value.
using JisCode = uint16_t;

JisCode SjisPairToJis(unsigned char s1, unsigned char s2) {
  unsigned j1 = (s1 - (s1 <= 0x9F ? 0x70u : 0xB0u)) << 1;
  unsigned j2;
  if (s2 < 0x9F) {
    j1 -= 1;
    j2 = s2 - (s2 >= 0x80 ? 0x20u : 0x1Fu);
  } else {
    j2 = s2 - 0x7Eu;
  }
  return static_cast<JisCode>(((j1 & 0xFF) << 8) | (j2 & 0xFF));
}

void AppendJisAsSjis(std::string& out, unsigned char j1, unsigned char j2) {
  unsigned s1 = ((j1 + 1u) >> 1) + (j1 <= 0x5E ? 0x70u : 0xB0u);
  unsigned s2 = j2 + ((j1 & 1) ? (j2 >= 0x60 ? 0x20u : 0x1Fu) : 0x7Eu);
  out += static_cast<char>(s1 & 0xFF);
  out += static_cast<char>(s2 & 0xFF);
}

// Full-width katakana (JIS codes) of the half-width kana 0xA1-0xDF, built
// from the JIS X 0201 to JIS X 0208 correspondence.
const std::array<JisCode, 63>& HalfKanaTable() {
  static const std::array<JisCode, 63> table = [] {
    std::array<JisCode, 63> t{};
    const std::string full = SJ(
        "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
        "ハヒフヘホマミムメモヤユヨラリルレロワン゛゜");
    for (size_t k = 0; k < t.size(); ++k) {
      t[k] = SjisPairToJis(Byte(full, 2 * k), Byte(full, 2 * k + 1));
    }
    return t;
  }();
  return table;
}

// JIS code of half-width kana `kana`; `next` (0 at the end of the text) may
// be a voiced or semi-voiced mark that combines with it, and then
// `usedNext` is set.
JisCode HalfKanaToJis(unsigned char kana, unsigned char next, bool& usedNext) {
  usedNext = false;
  JisCode code = HalfKanaTable()[kana - 0xA1];
  const bool voicedRow = InRange(kana, 0xB6, 0xC4) || InRange(kana, 0xCA, 0xCE);
  if (next == 0xDE) {
    if (voicedRow) {
      usedNext = true;
      return code + 1;
    }
    if (kana == 0xB3) {  // ウ with the voiced mark: ヴ
      usedNext = true;
      return 0x2574;
    }
  } else if (next == 0xDF && InRange(kana, 0xCA, 0xCE)) {
    usedNext = true;
    return code + 2;
  }
  return code;
}

// Writes JIS text: switches to kanji mode before a two-byte character and
// back to one-byte mode before a one-byte character and at the end.
class JisWriter {
 public:
  explicit JisWriter(size_t reserve) { out_.reserve(reserve + reserve / 4 + 8); }
  void Kanji(JisCode code) {
    if (!kanji_) {
      out_ += kKanjiIn;
      kanji_ = true;
    }
    out_ += static_cast<char>(code >> 8);
    out_ += static_cast<char>(code & 0xFF);
  }
  void Single(char c) {
    if (kanji_) {
      out_ += kKanjiOut;
      kanji_ = false;
    }
    out_ += c;
  }
  std::string Finish() {
    if (kanji_) out_ += kKanjiOut;
    kanji_ = false;
    return std::move(out_);
  }

 private:
  std::string out_;
  bool kanji_ = false;
};

// Walks JIS text, dropping the three-byte escapes ESC $ x and ESC ( x and
// handing each byte to `emit` with the current mode (true = two-byte).
template <typename Emit>
void WalkJis(std::string_view text, Emit emit) {
  bool twoByte = false;
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = Byte(text, i);
    if (c == kEsc && i + 2 < text.size() && (text[i + 1] == '$' || text[i + 1] == '(')) {
      twoByte = text[i + 1] == '$';
      i += 3;
      continue;
    }
    i += emit(text, i, twoByte);
  }
}

inline bool IsJisByte(unsigned char c) { return InRange(c, 0x21, 0x7E); }

// Byte after position i, or 0 at the end of the text.
inline unsigned char Next(std::string_view s, size_t i) {
  return i + 1 < s.size() ? Byte(s, i + 1) : 0;
}

// Decision for a byte 0xA1-0xDF at `i` followed by `b`; may look further
// ahead. Returns the code and moves `i` past what it examined.
int DetectAfterEucOrKana(std::string_view text, size_t& i) {
  const unsigned char b = Byte(text, i + 1);
  i += 2;
  if (InRange(b, 0xF0, 0xFE)) return kCodeEuc;
  if (InRange(b, 0xA1, 0xDF)) return kCodeEucOrSjis;
  if (InRange(b, 0xE0, 0xEF)) {
    int result = kCodeEucOrSjis;
    while (i < text.size() && Byte(text, i) >= 0x40 && result == kCodeEucOrSjis) {
      const unsigned char c = Byte(text, i);
      if (InRange(c, 0x81, 0x8D) || InRange(c, 0x8F, 0x9C)) result = kCodeSjis;
      else if (c == 0xFD || c == 0xFE) result = kCodeEuc;
      ++i;
    }
    return result;
  }
  if (b < 0xA0) return kCodeSjis;
  return kCodeAscii;
}

// One step of detection at byte `i` (not the last byte); returns the code
// found (0 or 6 go on) and moves `i`.
int DetectStep(std::string_view text, size_t& i) {
  const unsigned char c = Byte(text, i);
  const unsigned char b = Byte(text, i + 1);
  if (c < 8 || c == 0xFF) return kCodeBinary;
  if (c == kEsc) {
    if (b == '$' && i + 2 < text.size()) {
      const unsigned char d = Byte(text, i + 2);
      i += 3;
      if (d == 'B') return kCodeJis;
      if (d == '@') return kCodeJisOld;
      return kCodeAscii;
    }
    i += 2;
    return kCodeAscii;
  }
  if (c < 0x80 || c == 0x80 || c == 0xA0) {
    ++i;
    return kCodeAscii;
  }
  if (InRange(c, 0x81, 0x8D) || InRange(c, 0x8F, 0x9F)) {
    ++i;
    return kCodeSjis;
  }
  if (InRange(c, 0xF0, 0xFE)) {
    ++i;
    return kCodeEuc;
  }
  if (c == 0x8E) {
    i += 2;
    if (InRange(b, 0x40, 0x7E) || InRange(b, 0x80, 0xA0) || InRange(b, 0xE0, 0xFC)) return kCodeSjis;
    if (InRange(b, 0xA1, 0xDF)) return kCodeEucOrSjis;
    return kCodeAscii;
  }
  if (InRange(c, 0xE0, 0xEF)) {
    i += 2;
    if (InRange(b, 0x40, 0x7E) || InRange(b, 0x80, 0xA0)) return kCodeSjis;
    if (b == 0xFD || b == 0xFE) return kCodeEuc;
    if (InRange(b, 0xA1, 0xFC)) return kCodeEucOrSjis;
    return kCodeAscii;
  }
  return DetectAfterEucOrKana(text, i);  // 0xA1-0xDF
}

}  // namespace

int DetectKanjiCode(std::string_view text) {
  if (text.size() < 2) return kCodeAscii;
  const size_t last = text.size() - 1;  // scans stop before the last byte
  const size_t limit = last < 512 ? last : 512;
  for (size_t i = 0; i < limit; ++i) {
    const unsigned char c = Byte(text, i);
    if (c < 8 || c == 0xFF) return kCodeBinary;
  }
  int result = kCodeAscii;
  size_t i = 0;
  while (i < last && (result == kCodeAscii || result == kCodeEucOrSjis)) {
    const int step = DetectStep(text, i);
    if (step != kCodeAscii) result = step;
  }
  return result;
}

std::string ConvertKanjiCode(std::string_view text, int target) {
  const int from = DetectKanjiCode(text);
  const bool fromJis = from == kCodeJis || from == kCodeJisOld;
  const bool knownSource = fromJis || from == kCodeEuc || from == kCodeSjis;
  const bool knownTarget = target == kCodeJis || target == kCodeEuc || target == kCodeSjis;
  if (!knownSource || !knownTarget || from == target || (fromJis && target == kCodeJis)) {
    return std::string(text);
  }
  switch (target) {
    case kCodeJis:
      return from == kCodeEuc ? EucToJis(text) : SjisToJis(text);
    case kCodeEuc:
      return fromJis ? JisToEuc(text) : SjisToEuc(text);
    default:
      return fromJis ? JisToSjis(text) : EucToSjis(text);
  }
}

std::string JisToSjis(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  WalkJis(text, [&out](std::string_view s, size_t i, bool twoByte) -> size_t {
    const unsigned char c = Byte(s, i);
    if (twoByte && IsJisByte(c) && i + 1 < s.size() && IsJisByte(Byte(s, i + 1))) {
      AppendJisAsSjis(out, c, Byte(s, i + 1));
      return 2;
    }
    out += static_cast<char>(c);
    return 1;
  });
  return out;
}

std::string JisToEuc(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  WalkJis(text, [&out](std::string_view s, size_t i, bool twoByte) -> size_t {
    const unsigned char c = Byte(s, i);
    out += static_cast<char>(twoByte && IsJisByte(c) ? (c | 0x80) : c);
    return 1;
  });
  return out;
}

std::string SjisToJis(std::string_view text) {
  JisWriter jis(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = Byte(text, i);
    if (IsSjisLead(c) && i + 1 < text.size()) {
      jis.Kanji(SjisPairToJis(c, Byte(text, i + 1)));
      i += 2;
    } else if (IsHalfKana(c)) {
      bool usedNext = false;
      jis.Kanji(HalfKanaToJis(c, Next(text, i), usedNext));
      i += usedNext ? 2 : 1;
    } else {
      jis.Single(static_cast<char>(c));
      ++i;
    }
  }
  return jis.Finish();
}

std::string EucToJis(std::string_view text) {
  JisWriter jis(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = Byte(text, i);
    const bool hasNext = i + 1 < text.size();
    if (c == 0x8E && hasNext && IsHalfKana(Byte(text, i + 1))) {
      // A following 0x8E pair may hold a voiced or semi-voiced mark.
      const unsigned char mark =
          i + 3 < text.size() && Byte(text, i + 2) == 0x8E ? Byte(text, i + 3) : 0;
      bool usedNext = false;
      jis.Kanji(HalfKanaToJis(Byte(text, i + 1), mark, usedNext));
      i += usedNext ? 4 : 2;
    } else if (c >= 0x80 && hasNext) {
      jis.Kanji(static_cast<JisCode>(((c & 0x7F) << 8) | (Byte(text, i + 1) & 0x7F)));
      i += 2;
    } else {
      jis.Single(static_cast<char>(c));
      ++i;
    }
  }
  return jis.Finish();
}

std::string SjisToEuc(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = Byte(text, i);
    if (IsSjisLead(c) && i + 1 < text.size()) {
      const JisCode code = SjisPairToJis(c, Byte(text, i + 1));
      out += static_cast<char>((code >> 8) | 0x80);
      out += static_cast<char>((code & 0xFF) | 0x80);
      i += 2;
      continue;
    }
    if (IsHalfKana(c)) out += '\x8E';
    out += static_cast<char>(c);
    ++i;
  }
  return out;
}

std::string EucToSjis(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = Byte(text, i);
    if (c <= 0x80 || c == 0xFF || i + 1 >= text.size()) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    const unsigned char b = Byte(text, i + 1);
    if (c == 0x8E && IsHalfKana(b)) {
      out += static_cast<char>(b);
    } else {
      AppendJisAsSjis(out, c & 0x7F, b & 0x7F);
    }
    i += 2;
  }
  return out;
}

}  // namespace nura
