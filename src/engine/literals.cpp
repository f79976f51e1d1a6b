// Number and string literals inside argument and expression texts.
#include <cmath>
#include <string>

#include "engine/evaluate.h"
#include "engine/operand_text.h"
#include "engine/scanners.h"
#include "engine/sjis_text.h"
#include "platform/key_names.h"
#include "platform/sjis.h"

namespace nura {

namespace {

// Appends one character (one or two bytes) at p and advances.
void CopyChar(const char*& p, std::string& out) {
  if (IsSjisLead(static_cast<unsigned char>(*p)) && p[1] != '\0') out += *p++;
  out += *p++;
}

// True for the text between braces of a key in the key-string syntax that
// is no expression: a sign of the syntax ("{+}", "{~}"), or a key name with
// a count ("{TAB 3}").
bool IsBracedKeyOnly(const std::string& inner) {
  if (inner.size() == 1) return std::string_view("+^%~(){").find(inner[0]) != std::string_view::npos;
  const size_t space = inner.find(' ');
  if (space == std::string::npos || space + 1 == inner.size()) return false;
  const std::string count = inner.substr(space + 1);
  return KeyNameToVirtualKey(inner.substr(0, space)) &&
         count.find_first_not_of("0123456789") == std::string::npos;
}

// The value of the embedded expression "{inner}". A key of the key-string
// syntax stays as written, so that "{ENTER}" reaches the keystroke command:
// a key name that names no word (it reads as its own text), a key name
// with a count and a sign of the syntax.
std::string EmbeddedValue(const std::string& inner, const OperandReader& read_operand) {
  if (IsBracedKeyOnly(inner)) return "{" + inner + "}";
  const TStrNum value = EvaluateExpression(inner, read_operand);
  if (KeyNameToVirtualKey(inner) && !value.is_number && value.Text() == inner) return "{" + inner + "}";
  return value.Text();
}

}  // namespace

std::string ReadNumberLiteral(const char*& cursor) {
  const char* p = cursor;
  if (*p == '+' || *p == '-') ++p;
  if (*p != '$' && !(*p >= '0' && *p <= '9')) return "";
  p = cursor;
  std::string number = ReadNumberToken(p);
  if (number.empty() || number == "+" || number == "-") return "";
  // The general format writes an exponent without a fraction ("1E16");
  // the evaluator reads its own results back.
  if ((*p == 'E' || *p == 'e') && number.find_first_of(".eE") == std::string::npos) {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (*q >= '0' && *q <= '9') {
      while (*q >= '0' && *q <= '9') ++q;
      number.append(p, q);
      p = q;
    }
  }
  cursor = p;
  return number;
}

long double NumberLiteralValue(const std::string& literal) {
  long double value = 0;
  const size_t e = literal.find_first_of("eE");
  if (e == std::string::npos || literal.find('.') != std::string::npos) {
    value = TextToNumber(literal);
  } else {
    const long double mantissa = TextToNumber(literal.substr(0, e));
    value = mantissa == 0 ? 0 : mantissa * std::pow(10.0L, TextToNumber(literal.substr(e + 1)));
  }
  if (!std::isfinite(value)) throw EExpression(SJ("プログラムで不正な操作がありました。"));
  return value;
}

long double TextNumberValue(const std::string& text) {
  long double plain = 0;
  if (ReadPlainInteger(text, plain)) return plain;  // the common case, read as TextToNumber would
  const std::string trimmed = TrimText(text);
  const char* p = trimmed.c_str();
  const std::string literal = ReadNumberLiteral(p);
  if (literal.empty() || *p != '\0' || literal.find_first_of("eE") == std::string::npos) {
    return TextToNumber(text);
  }
  try {
    return NumberLiteralValue(literal);
  } catch (const EExpression&) {
    return TextToNumber(text);
  }
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
        out += EmbeddedValue(inner, read_operand);
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
    const TNestingGuard guard;
    ++cursor;
    const TStrNum value = read_operand(cursor);
    if (value.is_number) return TStrNum::FromNumber(-value.number);
    return TStrNum::FromText("-" + value.Text());
  }
  const std::string number = ReadNumberLiteral(cursor);
  if (!number.empty()) return TStrNum::FromNumber(NumberLiteralValue(number));
  const std::string word = ReadOperandWord(cursor);
  if (word.empty()) {
    throw EExpression(SJ("演算子「") + std::string(1, *cursor) + SJ("」の位置が不正。"));
  }
  return TStrNum::FromText(word);
}

}  // namespace nura
