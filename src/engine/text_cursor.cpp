// Readers that take text from a cursor into NUL-terminated text.
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

bool IsLeadAt(const char* p) { return IsSjisLead(static_cast<unsigned char>(*p)) && p[1] != '\0'; }

}  // namespace

void SkipBlanks(const char*& cursor) {
  while (*cursor == ' ' || *cursor == '\t') ++cursor;
}

std::string ReadBracketedText(const char*& cursor) {
  const char* start = cursor;
  SkipBlanks(cursor);
  if (*cursor == '(') ++cursor;
  const char* p = cursor;
  bool inDouble = false, inSingle = false;
  int depth = 1;
  while (*p != '\0') {
    if (IsLeadAt(p)) {
      p += 2;
      continue;
    }
    const char c = *p;
    if (inDouble && c == '\\' && p[1] != '\0') {
      p += IsLeadAt(p + 1) ? 3 : 2;
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
    ++p;
  }
  cursor = start;
  throw ENura(SJ("\")\"が対応していません。"));
}

std::string ReadUntilCharSet(const TCharSet& stops, const char*& cursor) {
  std::string out;
  while (*cursor != '\0') {
    if (IsLeadAt(cursor)) {
      out.append(cursor, 2);
      cursor += 2;
      continue;
    }
    const auto c = static_cast<unsigned char>(*cursor);
    ++cursor;
    if (stops.test(c)) return out;
    out += static_cast<char>(c);
  }
  return out;
}

}  // namespace nura
