#include "engine/sjis_text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "engine/errors.h"
#include "platform/sjis.h"

namespace nura {
namespace {

unsigned char Byte(std::string_view text, size_t i) { return static_cast<unsigned char>(text[i]); }

// Byte offsets of character starts, plus the end.
template <typename Fn>
void ForEachCharStart(std::string_view text, size_t from, Fn fn) {
  for (size_t i = from; i < text.size(); i += SjisCharLength(text, i)) {
    if (!fn(i)) return;
  }
}

// Byte offset (0-based) of the first occurrence at a character start at or
// after `from`; npos when absent. memmem finds candidates, and a walk over
// character starts, which only moves forward, tells whether a candidate
// starts a character: linear in the text.
size_t FindFrom(std::string_view sub, std::string_view text, size_t from) {
  if (sub.empty() || from > text.size() || sub.size() > text.size() - from) return std::string_view::npos;
  size_t i = from;  // a character start
  while (i + sub.size() <= text.size()) {
    const void* hit = memmem(text.data() + i, text.size() - i, sub.data(), sub.size());
    if (!hit) break;
    const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - text.data());
    while (i < at) i += SjisCharLength(text, i);
    if (i == at) return at;
  }
  return std::string_view::npos;
}

bool IsWideSpaceChar(std::string_view ch) {
  static const std::string ideographic = SJ("　");
  return ch == ideographic || ch == " " || ch == "\t" || ch == "\r" || ch == "\n";
}

}  // namespace

size_t SjisCharLength(std::string_view text, size_t i) {
  return (IsSjisLead(Byte(text, i)) && i + 1 < text.size()) ? 2 : 1;
}

int64_t SjisLength(std::string_view text) {
  int64_t n = 0;
  ForEachCharStart(text, 0, [&](size_t) { ++n; return true; });
  return n;
}

std::string SjisCopy(std::string_view text, int64_t first, int64_t count) {
  std::string out;
  if (count <= 0) return out;
  const int64_t last = first > INT64_MAX - count ? INT64_MAX : first + count - 1;
  int64_t index = 0;
  ForEachCharStart(text, 0, [&](size_t i) {
    ++index;
    if (index > last) return false;
    if (index >= first) out.append(text.substr(i, SjisCharLength(text, i)));
    return true;
  });
  return out;
}

int32_t SjisCharCode(std::string_view text) {
  if (text.empty()) throw ERangeError();
  if (SjisCharLength(text, 0) == 2) return Byte(text, 0) << 8 | Byte(text, 1);
  return Byte(text, 0);
}

int64_t SjisPos(std::string_view sub, std::string_view text) {
  if (sub.empty()) return 0;
  int64_t index = 0, found = 0;
  ForEachCharStart(text, 0, [&](size_t i) {
    ++index;
    if (text.substr(i, sub.size()) == sub) {
      found = index;
      return false;
    }
    return true;
  });
  return found;
}

int64_t SjisPosFrom(std::string_view sub, std::string_view text, int64_t start) {
  if (start < 1) start = 1;
  if (sub.empty() || text.empty() || static_cast<uint64_t>(start) > text.size()) return 0;
  const size_t at = FindFrom(sub, text, static_cast<size_t>(start - 1));
  return at == std::string_view::npos ? 0 : static_cast<int64_t>(at) + 1;
}

std::string SjisReplace(std::string_view text, std::string_view search,
                        std::string_view replacement, bool all, int64_t* lastEnd) {
  // One pass: the text between hits and each replacement are appended, and
  // the search goes on in the text after the hit (what follows an inserted
  // replacement is the rest of the text).
  std::string out;
  int64_t end = 0;
  size_t copied = 0;
  while (!search.empty() && copied < text.size()) {
    const size_t at = FindFrom(search, text, copied);
    if (at == std::string_view::npos) break;
    if (out.empty()) out.reserve(text.size());
    out.append(text, copied, at - copied).append(replacement);
    copied = at + search.size();
    end = static_cast<int64_t>(out.size()) + 1;
    if (!all) break;
  }
  if (lastEnd) *lastEnd = end;
  if (copied == 0) return std::string(text);
  return out.append(text, copied);
}

std::string CutToken(std::string_view delimiter, std::string& text) {
  const int64_t at = SjisPosFrom(delimiter, text, 1);
  if (at == 0) return std::exchange(text, std::string());
  std::string token = text.substr(0, static_cast<size_t>(at - 1));
  text.erase(0, static_cast<size_t>(at - 1) + delimiter.size());
  return token;
}

std::string TrimText(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && Byte(text, b) <= 32) ++b;
  while (e > b && Byte(text, e - 1) <= 32) --e;
  return std::string(text.substr(b, e - b));
}

std::string TrimWideSpace(std::string_view text) {
  const std::string t = TrimText(text);
  std::string_view v(t);
  size_t begin = v.size();
  size_t end = 0;  // end of the last character that is not a space
  ForEachCharStart(v, 0, [&](size_t i) {
    const size_t len = SjisCharLength(v, i);
    if (!IsWideSpaceChar(v.substr(i, len))) {
      begin = std::min(begin, i);
      end = i + len;
    }
    return true;
  });
  return begin < end ? std::string(v.substr(begin, end - begin)) : std::string();
}

std::string RemoveTags(std::string_view text) {
  const std::string t = TrimText(text);
  std::string out;
  bool inTag = false;
  ForEachCharStart(t, 0, [&](size_t i) {
    const size_t len = SjisCharLength(t, i);
    if (len == 1 && t[i] == '<') inTag = true;
    else if (len == 1 && t[i] == '>' && inTag) inTag = false;
    else if (!inTag) out.append(t, i, len);
    return true;
  });
  return out;
}

namespace {

// The earliest of "<prefix>lower" and "<prefix>UPPER" at or after `from`.
size_t FindTag(std::string_view text, std::string_view prefix, std::string_view tag, size_t from) {
  const std::string lower = std::string(prefix) + ToLowerCase(tag);
  const std::string upper = std::string(prefix) + ToUpperCase(tag);
  return std::min(FindFrom(lower, text, from), FindFrom(upper, text, from));
}

}  // namespace

namespace {

std::string_view BareTag(std::string_view tag) {
  if (tag.size() >= 2 && tag.front() == '<' && tag.back() == '>') tag = tag.substr(1, tag.size() - 2);
  return tag;
}

// The first element of the bare `tag` at or after `from` (a character
// start): [open, end); false when there is none.
bool FindTagElement(std::string_view text, std::string_view tag, size_t from, size_t& open, size_t& end) {
  open = FindTag(text, "<", tag, from);
  const size_t openEnd = open == std::string::npos ? open : FindFrom(">", text, open);
  if (openEnd == std::string::npos) return false;
  end = openEnd + 1;  // without a closing tag: the opening tag alone
  const size_t close = FindTag(text, "</", tag, end);
  if (close != std::string::npos) {
    const size_t closeEnd = FindFrom(">", text, close);
    end = closeEnd == std::string::npos ? text.size() : closeEnd + 1;
  }
  return true;
}

}  // namespace

std::string CutTagElement(std::string& text, std::string_view tag) {
  size_t open = 0, end = 0;
  if (!FindTagElement(text, BareTag(tag), 0, open, end)) {
    text.clear();
    return std::string();
  }
  std::string element = text.substr(open, end - open);
  text.erase(0, end);
  return element;
}

std::string ExtractTagContents(std::string_view text, std::string_view tag) {
  // Each search starts where the last element ended, as cutting it would.
  std::string out;
  size_t open = 0, end = 0;
  for (size_t from = 0; from < text.size() && FindTagElement(text, BareTag(tag), from, open, end); from = end)
    out.append(text, open, end - open).append("\r\n");
  return out;
}

std::string AlnumToHalfWidth(std::string_view text) {
  static const std::string list = SJ(
      "０１２３４５６７８９ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰ"
      "ＱＲＳＴＵＶＷＸＹＺ！”＃＄％＆’（）＝－￥［］｛｝＿／＞＜，．＠‘　");
  std::string out;
  ForEachCharStart(text, 0, [&](size_t i) {
    const size_t len = SjisCharLength(text, i);
    const std::string_view ch = text.substr(i, len);
    if (len == 2 && SjisPos(ch, list) > 0) {
      const std::string half = ToHalfWidth(ch);
      if (!half.empty()) out += half[0];
    } else {
      out.append(ch);
    }
    return true;
  });
  return out;
}

bool IsHiragana(std::string_view text) {
  if (text.size() < 2) return false;
  const int code = Byte(text, 0) << 8 | Byte(text, 1);
  return code >= 0x82A0 && code <= 0x833E;
}

bool IsKatakana(std::string_view text) {
  if (text.size() < 2) return false;
  const int code = Byte(text, 0) << 8 | Byte(text, 1);
  return code >= 0x8340 && code <= 0x839D;
}

std::string CodeToChar(uint16_t code) {
  return std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

int32_t CharToCode(std::string_view text) {
  if (text.size() < 2) throw ERangeError();
  return Byte(text, 0) << 8 | Byte(text, 1);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    lines.emplace_back(text.substr(start, end - start));
    start = end;
    if (start < text.size() && text[start] == '\r') ++start;
    if (start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::string WithCrLf(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace nura
