#include "support/mime_header.h"

#include <algorithm>
#include <cctype>

#include "support/base64.h"
#include "support/jconvert.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr std::string_view kWordStart = "=?ISO-2022-JP?B?";
constexpr std::string_view kWordEnd = "?=";

// Byte length of the character at `i`: 2 for a complete two-byte
// character, else 1.
size_t CharLength(std::string_view s, size_t i) {
  return IsSjisLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// Japanese characters go into encoded words: two-byte characters and
// half-width kana (which must not stand raw in a header either).
bool IsJapaneseChar(std::string_view s, size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  return CharLength(s, i) == 2 || (c >= 0xA1 && c <= 0xDF);
}

size_t FindNoCase(std::string_view text, std::string_view word, size_t from) {
  auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                        word.begin(), word.end(), [](char a, char b) {
                          return std::toupper(static_cast<unsigned char>(a)) ==
                                 std::toupper(static_cast<unsigned char>(b));
                        });
  return it == text.end() ? std::string_view::npos
                          : static_cast<size_t>(it - text.begin());
}

}  // namespace

std::string EncodeMimeHeader(std::string_view sjis) {
  std::string out;
  size_t i = 0;
  while (i < sjis.size()) {
    if (!IsJapaneseChar(sjis, i)) {
      out += sjis[i++];
      continue;
    }
    const size_t start = i;
    while (i < sjis.size() && IsJapaneseChar(sjis, i)) i += CharLength(sjis, i);
    out += kWordStart;
    out += Base64Encode(SjisToJis(sjis.substr(start, i - start)));
    out += kWordEnd;
  }
  if (out.find(kWordStart) != std::string::npos && out.find(kWordEnd) == std::string::npos) {
    out += kWordEnd;
  }
  return out;
}

std::string DecodeMimeHeader(std::string_view text) {
  // One pass: the text between encoded words is copied, each word decoded.
  std::string out;
  size_t from = 0;
  bool endsLeft = true;  // once no "?=" follows, none follows a later start
  for (;;) {
    const size_t start = FindNoCase(text, kWordStart, from);
    if (start == std::string::npos) break;
    out.append(text, from, start - from);
    from = start + kWordStart.size();
    const size_t end = endsLeft ? text.find(kWordEnd, from) : std::string::npos;
    if (end == std::string::npos) {  // no closing "?=": the prefix only goes
      endsLeft = false;
      continue;
    }
    // Decoded bytes are never taken for another encoded word.
    out += Base64Decode(text.substr(from, end - from));
    out += "\x1B(J";
    from = end + kWordEnd.size();
  }
  return out.append(text, from);
}

std::string CutAtBinary(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (IsSjisLead(c) && i + 1 < text.size()) {
      i += 2;
    } else if (c == '\t' || c == '\n' || c == '\r' || (c >= 0x20 && c <= 0x7E)) {
      ++i;
    } else {
      break;
    }
  }
  return std::string(text.substr(0, i));
}

}  // namespace nura
