#include "engine/operand_text.h"

#include <cstdlib>
#include <cstring>

#include "engine/evaluate.h"
#include "platform/sjis.h"

namespace nura {

namespace {

bool IsWordDelimiter(unsigned char c) {
  if (c == '\0' || c == 0xA4) return true;
  return std::strchr("\t\r\n \"#%&()*+,-/:;<=>?\\^`|!{}", c) != nullptr;
}

}  // namespace

std::string ReadOperandWord(const char*& cursor) {
  while (*cursor == ' ' || *cursor == '\t') ++cursor;
  const char* start = cursor;
  while (!IsWordDelimiter(static_cast<unsigned char>(*cursor))) {
    if (IsSjisLead(static_cast<unsigned char>(*cursor)) && cursor[1] != '\0') ++cursor;
    ++cursor;
  }
  return std::string(start, cursor);
}

bool SkipLineBreak(const char*& cursor) {
  if (*cursor != '\r' && *cursor != '\n') return false;
  if (*cursor == '\r') ++cursor;
  if (*cursor == '\n') ++cursor;
  const char* p = cursor;
  while (*p >= '0' && *p <= '9') ++p;
  if (p != cursor && *p == ':') cursor = p + 1;
  return true;
}

std::string ReadParenthesizedGroup(const char*& cursor) {
  const char* p = cursor + 1;
  int depth = 1;
  char quote = 0;
  while (*p != '\0') {
    const char c = *p;
    if (IsSjisLead(static_cast<unsigned char>(c)) && p[1] != '\0') {
      p += 2;
      continue;
    }
    if (quote != 0) {
      if (c == '\\' && quote == '"' && p[1] != '\0') ++p;
      else if (c == quote) quote = 0;
    } else if (c == '"' || c == '`') {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth == 0) {
      std::string inner(cursor + 1, p);
      cursor = p + 1;
      return inner;
    }
    ++p;
  }
  throw EExpression(SJ("\")\"がありません。"));
}

long double ReadLenientNumber(const std::string& text) {
  std::string plain;
  for (char c : text) {
    if (c != ',') plain += c;
  }
  const char* cursor = plain.c_str();
  while (*cursor == ' ' || *cursor == '\t' || *cursor == '\r' || *cursor == '\n') ++cursor;
  const std::string literal = ReadNumberLiteral(cursor);
  if (literal.empty()) return 0;
  return std::strtold(literal.c_str(), nullptr);
}

}  // namespace nura
