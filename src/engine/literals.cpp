// Number and string literals inside argument and expression texts.
#include <cstdint>
#include <string>

#include "engine/evaluate.h"
#include "engine/operand_text.h"
#include "platform/sjis.h"

namespace nura {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "$" and hexadecimal digits, read as a 32-bit integer ("$FFFFFFFF" is -1);
// more than eight digits do not fit and give 0.
std::string ReadHexDigits(const char*& p) {
  const char* q = p + 1;
  uint64_t value = 0;
  int digits = 0;
  for (; HexValue(*q) >= 0; ++q, ++digits) value = (value << 4 | HexValue(*q)) & 0xFFFFFFFFFULL;
  if (digits == 0) return "";
  p = q;
  if (digits > 8) return "0";
  return std::to_string(static_cast<int32_t>(static_cast<uint32_t>(value)));
}

std::string ReadDecimalDigits(const char*& p) {
  const char* q = p;
  while (IsDigit(*q)) ++q;
  if (q == p) return "";
  if (q[0] == '.' && IsDigit(q[1])) {
    ++q;
    while (IsDigit(*q)) ++q;
    const char* e = q;
    if (*e == 'e' || *e == 'E') {
      ++e;
      if (*e == '+' || *e == '-') ++e;
      if (IsDigit(*e)) {
        while (IsDigit(*e)) ++e;
        q = e;
      }
    }
  }
  std::string out(p, q);
  p = q;
  return out;
}

// Appends one character (one or two bytes) at p and advances.
void CopyChar(const char*& p, std::string& out) {
  if (IsSjisLead(static_cast<unsigned char>(*p)) && p[1] != '\0') out += *p++;
  out += *p++;
}

}  // namespace

std::string ReadNumberLiteral(const char*& cursor) {
  const char* p = cursor;
  std::string sign;
  if (*p == '+' || *p == '-') sign = *p++;
  std::string digits = *p == '$' ? ReadHexDigits(p) : ReadDecimalDigits(p);
  if (digits.empty()) return "";
  cursor = p;
  if (sign == "-" && digits[0] == '-') return digits.substr(1);
  return sign == "-" ? "-" + digits : digits;
}

std::string ReadStringLiteral(const char*& cursor, const OperandReader& read_operand) {
  static const std::string kYen = SJ("￥"), kWideN = SJ("ｎ"), kWideT = SJ("ｔ");
  static const std::string kWideOpen = SJ("｛"), kWideClose = SJ("｝");
  const char* start = cursor;
  const char quote = *cursor++;
  std::string out;
  if (quote == '`') {
    for (;;) {
      if (*cursor == '\0') break;
      if (*cursor == '`') {
        if (cursor[1] != '`') return ++cursor, out;
        out += '`';
        cursor += 2;
        continue;
      }
      CopyChar(cursor, out);
    }
  } else {
    while (*cursor != '\0' && *cursor != '"') {
      if (*cursor == '\\' || StartsWithText(cursor, kYen)) {
        cursor += *cursor == '\\' ? 1 : 2;
        if (*cursor == '\0') break;
        if (*cursor == 'n' || StartsWithText(cursor, kWideN)) {
          out += "\r\n";
          cursor += *cursor == 'n' ? 1 : 2;
        } else if (*cursor == 't' || StartsWithText(cursor, kWideT)) {
          out += '\t';
          cursor += *cursor == 't' ? 1 : 2;
        } else {
          CopyChar(cursor, out);
        }
      } else if (*cursor == '{' || StartsWithText(cursor, kWideOpen)) {
        cursor += *cursor == '{' ? 1 : 2;
        std::string inner;
        while (*cursor != '\0' && *cursor != '}' && !StartsWithText(cursor, kWideClose)) {
          CopyChar(cursor, inner);
        }
        if (*cursor == '\0') break;
        cursor += *cursor == '}' ? 1 : 2;
        out += EvaluateExpression(inner, read_operand).text;
      } else {
        CopyChar(cursor, out);
      }
    }
    if (*cursor == '"') return ++cursor, out;
  }
  throw EExpression(SJ("文字列\"") + std::string(start + 1) + SJ("\"の最後に」がありません。"));
}

TStrNum ReadPlainOperand(const char*& cursor, const OperandReader& read_operand) {
  while (*cursor == ' ' || *cursor == '\t') ++cursor;
  if (*cursor == '"' || *cursor == '`') {
    return TStrNum::FromText(ReadStringLiteral(cursor, read_operand));
  }
  if (*cursor == '(') {
    const std::string inner = ReadParenthesizedGroup(cursor);
    return EvaluateExpression(inner, read_operand);
  }
  if (*cursor == '-' && !(cursor[1] >= '0' && cursor[1] <= '9') && cursor[1] != '$') {
    ++cursor;
    const TStrNum value = read_operand(cursor);
    if (value.is_number) return TStrNum::FromNumber(-value.number);
    return TStrNum::FromText("-" + value.text);
  }
  const std::string number = ReadNumberLiteral(cursor);
  if (!number.empty()) return TStrNum::FromNumber(ReadLenientNumber(number));
  const std::string word = ReadOperandWord(cursor);
  if (word.empty()) {
    throw EExpression(SJ("演算子「") + std::string(1, *cursor) + SJ("」の位置が不正。"));
  }
  return TStrNum::FromText(word);
}

}  // namespace nura
