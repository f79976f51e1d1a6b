#include "platform/sjis.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace nura {
namespace {

#include "platform/cp932_table.inc"

// Direct look-up tables (index: code or code point 0..0xFFFF), built by
// the compiler from the sorted generated lists, so that start-up neither
// fills nor frees them. An entry holds the mapped value plus one; 0 where
// there is none.
using TLookup = std::array<uint16_t, 0x10000>;

template <size_t... N>
constexpr TLookup BuildLookup(const uint32_t (&... lists)[N][2]) {
  TLookup table{};
  for (uint32_t c = 0; c < 0x80; ++c) table[c] = static_cast<uint16_t>(c + 1);
  auto add = [&table](const auto& list) {
    for (const auto& e : list) table[e[0]] = static_cast<uint16_t>(e[1] + 1);
  };
  (add(lists), ...);
  return table;
}

constexpr TLookup kToUnicode = BuildLookup(kCp932Double, kCp932Single);
constexpr TLookup kFromBmp = BuildLookup(kCp932Encode);

int32_t Lookup(const TLookup& table, uint32_t index) { return static_cast<int32_t>(table[index]) - 1; }

// Writes the UTF-8 bytes of `cp`, a code point of the BMP (at most three
// bytes), at `p`; gives the end of what it wrote.
char* PutBmpUtf8(char* p, uint32_t cp) {
  if (cp < 0x80) {
    *p++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *p++ = static_cast<char>(0xC0 | (cp >> 6));
    *p++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *p++ = static_cast<char>(0xE0 | (cp >> 12));
    *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *p++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return p;
}

// Reads one code point from UTF-8 at `i`; returns -1 for a malformed
// sequence (then `i` has moved past one byte).
int32_t ReadUtf8(std::string_view s, size_t& i) {
  auto c = static_cast<unsigned char>(s[i++]);
  if (c < 0x80) return c;
  int extra;
  uint32_t cp;
  if (c >= 0xC2 && c <= 0xDF) { extra = 1; cp = c & 0x1F; }
  else if (c >= 0xE0 && c <= 0xEF) { extra = 2; cp = c & 0x0F; }
  else if (c >= 0xF0 && c <= 0xF4) { extra = 3; cp = c & 0x07; }
  else return -1;
  if (i + extra > s.size()) return -1;
  for (int k = 0; k < extra; ++k) {
    auto t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xC0) != 0x80) return -1;
    cp = (cp << 6) | (t & 0x3F);
  }
  static constexpr std::array<uint32_t, 4> kMin = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
  i += extra;
  return static_cast<int32_t>(cp);
}

void AppendSjisCode(std::string& out, int32_t code) {
  if (code < 0) {
    out += '?';
  } else if (code < 0x100) {
    out += static_cast<char>(code);
  } else {
    out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
  }
}

// Walks Shift-JIS text and calls `onChar` with each code point (-1 for a
// byte sequence that has no mapping).
template <typename Emit>
void DecodeSjis(std::string_view s, Emit onChar) {
  for (size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    if (IsSjisLead(c) && i + 1 < s.size()) {
      auto d = static_cast<unsigned char>(s[i + 1]);
      int32_t u = Lookup(kToUnicode, (c << 8) | d);
      onChar(u);
      i += 2;
    } else {
      onChar(IsSjisLead(c) ? -1 : Lookup(kToUnicode, c));
      ++i;
    }
  }
}

// The length of the leading run of ASCII bytes, which both encodings write
// alike (and which holds no Shift-JIS second byte): eight bytes a step.
size_t AsciiPrefix(std::string_view s) {
  size_t i = 0;
  for (uint64_t word; i + 8 <= s.size(); i += 8) {
    std::memcpy(&word, s.data() + i, 8);
    if (word & 0x8080808080808080ULL) break;
  }
  while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
  return i;
}

}  // namespace

int32_t SjisCodeToUnicode(uint32_t code) {
  if (code > 0xFFFF) return -1;
  return Lookup(kToUnicode, code);
}

int32_t UnicodeToSjisCode(uint32_t ucs) {
  if (ucs > 0xFFFF) return -1;
  return Lookup(kFromBmp, ucs);
}

std::string SjisToUtf8(std::string_view sjis) {
  // Names and paths are mostly ASCII: that part is copied as it stands.
  const size_t ascii = AsciiPrefix(sjis);
  if (ascii == sjis.size()) return std::string(sjis);
  // Every character of code page 932 lies in the BMP, so it takes at most
  // three bytes, however many it took in Shift-JIS: the rest is written
  // straight into room for three bytes an input byte, cut to size after.
  std::string out(ascii + (sjis.size() - ascii) * 3, '\0');
  std::memcpy(out.data(), sjis.data(), ascii);
  char* p = out.data() + ascii;
  DecodeSjis(sjis.substr(ascii), [&p](int32_t u) { p = PutBmpUtf8(p, u < 0 ? '?' : static_cast<uint32_t>(u)); });
  out.resize(static_cast<size_t>(p - out.data()));
  return out;
}

std::string Utf8ToSjis(std::string_view utf8) {
  const size_t ascii = AsciiPrefix(utf8);
  if (ascii == utf8.size()) return std::string(utf8);
  std::string out;
  out.reserve(utf8.size());
  out.assign(utf8.data(), ascii);
  for (size_t i = ascii; i < utf8.size();) {
    int32_t cp = ReadUtf8(utf8, i);
    AppendSjisCode(out, cp < 0 ? -1 : UnicodeToSjisCode(static_cast<uint32_t>(cp)));
  }
  return out;
}

namespace {

// True when the whole text is UTF-8 and at least one character takes more
// than one byte.
bool IsMultiByteUtf8(std::string_view s) {
  bool multi = false;
  for (size_t i = 0; i < s.size();) {
    const size_t at = i;
    if (ReadUtf8(s, i) < 0) return false;
    multi = multi || i - at > 1;
  }
  return multi;
}

// Editors write these JIS forms where code page 932 has its own.
int32_t ScriptCharToSjisCode(uint32_t cp) {
  switch (cp) {
    case 0x301C: return 0x8160;  // wave dash
    case 0x2016: return 0x8161;  // double vertical line
    case 0x2212: return 0x817C;  // minus sign
    case 0x2014: return 0x815C;  // em dash
    case 0x00A2: return 0x8191;  // cent sign
    case 0x00A3: return 0x8192;  // pound sign
    case 0x00AC: return 0x81CA;  // not sign
    default: return UnicodeToSjisCode(cp);
  }
}

}  // namespace

bool ScriptTextToSjis(std::string& text, int& badLine) {
  static constexpr std::string_view kMark = "\xEF\xBB\xBF";
  std::string_view in = text;
  const bool marked = in.substr(0, kMark.size()) == kMark;
  if (marked) in.remove_prefix(kMark.size());
  if (!marked && !IsMultiByteUtf8(in)) return true;
  std::string out;
  out.reserve(in.size());
  int line = 1;
  for (size_t i = 0; i < in.size();) {
    const int32_t cp = ReadUtf8(in, i);
    const int32_t code = cp < 0 ? -1 : ScriptCharToSjisCode(static_cast<uint32_t>(cp));
    if (code < 0) {
      badLine = line;
      return false;
    }
    if (cp == '\n' || (cp == '\r' && (i >= in.size() || in[i] != '\n'))) ++line;
    AppendSjisCode(out, code);
  }
  text = std::move(out);
  return true;
}

std::u16string SjisToUtf16(std::string_view sjis) {
  std::u16string out;
  out.reserve(sjis.size());
  DecodeSjis(sjis, [&](int32_t u) { out += static_cast<char16_t>(u < 0 ? '?' : u); });
  return out;
}

std::string Utf16ToSjis(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t ch = text[i];
    const bool high = ch >= 0xD800 && ch <= 0xDBFF, surrogate = ch >= 0xD800 && ch <= 0xDFFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ++i;  // outside the BMP: code page 932 has nothing there
      out += '?';
      continue;
    }
    AppendSjisCode(out, surrogate ? -1 : UnicodeToSjisCode(ch));
  }
  return out;
}

}  // namespace nura
