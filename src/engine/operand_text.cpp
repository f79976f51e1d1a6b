#include "engine/operand_text.h"


#include "engine/evaluate.h"
#include "engine/scanners.h"
#include "platform/sjis.h"

namespace nura {

namespace {

bool EndsOperandWord(unsigned char c) {
  return c == '\0' || IsWordDelimiter(c) || c == '|' || c == '!' || c == '\n' || c == '{' ||
         c == '}';
}

}  // namespace

std::string ReadOperandWord(const char*& cursor) {
  while (*cursor == ' ' || *cursor == '\t') ++cursor;
  const char* start = cursor;
  while (!EndsOperandWord(static_cast<unsigned char>(*cursor))) cursor += SjisCharLength(cursor);
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

}  // namespace nura
