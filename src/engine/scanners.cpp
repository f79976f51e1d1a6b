#include "engine/scanners.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "engine/errors.h"
#include "engine/evaluate.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {

namespace {

constexpr unsigned char kHalfWidthComma = 0xA4;

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

CharSet MakeSet(std::string_view chars) {
  CharSet set;
  for (char c : chars) set.set(static_cast<unsigned char>(c));
  return set;
}

const CharSet& WordDelimiters() {
  static const CharSet set = [] {
    CharSet s = MakeSet("\t\r \"#%&()*+,-/:;<=>?\\^`");
    s.set(kHalfWidthComma);
    return s;
  }();
  return set;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

const char* SkipDigits(const char* p) {
  while (IsDigit(*p)) ++p;
  return p;
}

// "$" and hexadecimal digits as decimal text; digits beyond 64 bits make
// the number invalid, which counts 0.
std::string HexToDecimal(std::string_view digits) {
  uint64_t value = 0;
  for (char c : digits) {
    if (value >> 60) return "0";
    int d = IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
    value = value << 4 | static_cast<uint64_t>(d);
  }
  return std::to_string(value);
}

[[noreturn]] void ThrowMessage(std::string_view utf8) {
  throw std::runtime_error(SJ(utf8));
}

}  // namespace

std::string ReadSjisChar(const char*& cursor) {
  if (!cursor) return std::string();
  int len = SjisCharLength(cursor);
  std::string ch(cursor, static_cast<size_t>(len));
  cursor += len;
  return ch;
}

bool LineEndsInComma(const char* text, const char* at) {
  const char* back = at;
  while (back > text && IsBlankChar(back[-1])) --back;
  if (back == text) return false;
  const unsigned char last = static_cast<unsigned char>(back[-1]);
  if (last != ',' && last != kHalfWidthComma) return false;
  if (last == ',' && (back - 1 == text || !IsSjisLead(static_cast<unsigned char>(back[-2])))) return true;
  const char* p = at;
  while (p > text && p[-1] != '\n') --p;
  const char* lastChar = nullptr;
  while (p < at) {
    if (!IsBlankChar(*p)) lastChar = p;
    p += std::max(1, SjisCharLength(p));
  }
  return lastChar && (*lastChar == ',' || static_cast<unsigned char>(*lastChar) == kHalfWidthComma);
}

bool IsWordDelimiter(unsigned char c) { return WordDelimiters().test(c); }

std::string ScanWord(const char*& cursor) {
  if (!cursor) return std::string();
  SkipBlanks(cursor);
  const CharSet& delimiters = WordDelimiters();
  const char* p = cursor;
  for (int len; (len = SjisCharLength(p)) != 0; p += len) {
    if (len == 1 && delimiters.test(static_cast<unsigned char>(*p))) break;
  }
  std::string word(cursor, p);
  cursor = p;
  return word;
}

std::string ReadNumberToken(const char*& cursor) {
  if (!cursor) return std::string();
  SkipSeparators(cursor);
  std::string sign;
  if (*cursor == '+' || *cursor == '-') sign = *cursor++;
  const char* p = cursor;
  if (*p == '$') {
    const char* start = ++p;
    while (IsHexDigit(*p)) ++p;
    cursor = p;
    return sign + HexToDecimal(std::string_view(start, static_cast<size_t>(p - start)));
  }
  const char* start = p;
  p = SkipDigits(p);
  if (p == start) return sign;
  if (p[0] == '.' && IsDigit(p[1])) {
    p = SkipDigits(p + 1);
    if (*p == 'E' || *p == 'e') {
      const char* e = p + 1;
      if (*e == '+' || *e == '-') ++e;
      if (IsDigit(*e)) p = SkipDigits(e);
    }
  }
  cursor = p;
  return sign + std::string(start, p);
}

std::string ReadUntilText(std::string_view delimiter, const char*& cursor) {
  return ReadUntilTextEscaped(delimiter, cursor, '\0');
}

std::string ReadUntilTextEscaped(std::string_view delimiter, const char*& cursor, char escape) {
  if (!cursor) return std::string();
  const char* p = cursor;
  for (int len; (len = SjisCharLength(p)) != 0; p += len) {
    if (escape != '\0' && *p == escape && p[1] != '\0') {
      len = 1 + SjisCharLength(p + 1);
      continue;
    }
    if (!delimiter.empty() && std::strncmp(p, delimiter.data(), delimiter.size()) == 0) {
      std::string text(cursor, p);
      cursor = p + delimiter.size();
      return text;
    }
  }
  std::string text(cursor, p);
  cursor = p;
  return text;
}

std::string ReadUntilCharSet(const CharSet& set, const char*& cursor) {
  std::string out;
  if (!cursor) return out;
  while (*cursor != '\0') {
    const int len = SjisCharLength(cursor);
    if (len == 2) {
      out.append(cursor, 2);
      cursor += 2;
      continue;
    }
    const auto c = static_cast<unsigned char>(*cursor);
    ++cursor;
    if (set.test(c)) return out;
    out += static_cast<char>(c);
  }
  return out;
}

std::string ScanParenthesized(const char*& cursor) {
  if (!cursor) return std::string();
  const char* p = cursor;
  SkipSeparators(p);
  if (*p == '(') ++p;
  const char* start = p;
  bool inDouble = false, inBack = false;
  int depth = 1;
  for (int len; (len = SjisCharLength(p)) != 0; p += len) {
    if (len == 2) continue;
    char c = *p;
    if (inDouble) {
      if (c == '\\' && p[1] != '\0') len = 1 + SjisCharLength(p + 1);
      else if (c == '"') inDouble = false;
    } else if (inBack) {
      if (c == '`') inBack = false;
    } else if (c == '"') {
      inDouble = true;
    } else if (c == '`') {
      inBack = true;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth == 0) {
      std::string text(start, p);
      cursor = p + 1;
      return text;
    }
  }
  ThrowMessage("\")\"が対応していません。");
}

bool IsArgumentList(std::string_view inner) {
  return inner.find(',') != std::string_view::npos && inner.find('#') == std::string_view::npos;
}

bool IsArgumentListText(const std::string& text) {
  const char* p = text.c_str();
  while (*p == ' ' || *p == '\t') ++p;
  if (*p != '(') return false;
  std::string inner;
  try {
    inner = ScanParenthesized(p);
  } catch (const std::runtime_error&) {
    return false;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return *p == '\0' && IsArgumentList(inner);
}

std::string ScanQuotedLiteral(const char*& cursor, int maxLength) {
  if (!cursor) return std::string();
  SkipSeparators(cursor);
  const char quote = *cursor;
  if (quote != '"' && quote != '`') return std::string();
  const char* p = cursor + 1;
  for (;;) {
    int len = SjisCharLength(p);
    if (len == 0 || (maxLength >= 0 && p - (cursor + 1) >= maxLength)) {
      if (quote == '"') ThrowMessage("対応するカッコ \" または 」 がありません。");
      ThrowMessage("対応するカッコ ` または 』 がありません。");
    }
    if (quote == '"') {
      if (*p == '\\' && p[1] != '\0') len = 1 + SjisCharLength(p + 1);
      else if (*p == '"') break;
    } else if (*p == '`') {
      if (p[1] != '`') break;
      len = 2;
    }
    p += len;
  }
  std::string literal(cursor, p + 1);
  cursor = p + 1;
  return literal;
}

std::string ReadParenthesizedGroup(const char*& cursor) {
  try {
    return ScanParenthesized(cursor);
  } catch (const std::runtime_error&) {
    throw EExpression(SJ("\")\"がありません。"));
  }
}

std::string ReadBracketedText(const char*& cursor) {
  const char* start = cursor;
  SkipBlanks(cursor);
  if (*cursor == '(') ++cursor;
  const char* p = cursor;
  bool inDouble = false, inSingle = false;
  int depth = 1;
  for (int len; (len = SjisCharLength(p)) != 0; p += len) {
    if (len == 2) continue;
    const char c = *p;
    if (inDouble && c == '\\' && p[1] != '\0') {
      len = 1 + SjisCharLength(p + 1);
      continue;
    }
    if (c == '"' && !inSingle) inDouble = !inDouble;
    else if (c == '\'' && !inDouble) inSingle = !inSingle;
    else if (!inDouble && !inSingle && c == '(') ++depth;
    else if (!inDouble && !inSingle && c == ')' && --depth == 0) {
      std::string text(cursor, p);
      cursor = p + 1;
      return text;
    }
  }
  cursor = start;
  throw ENura(SJ("\")\"が対応していません。"));
}

const char* SkipLiteral(const char* p) {
  const char quote = *p++;
  while (*p) {
    if (*p == quote) {
      if (quote == '`' && p[1] == '`') {
        p += 2;
        continue;
      }
      return p + 1;
    }
    if (quote == '"' && *p == '\\' && p[1]) ++p;
    p += SjisCharLength(p);
  }
  return p;
}

}  // namespace nura
