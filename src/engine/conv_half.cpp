#include "engine/conv_half.h"

#include <cmath>
#include <limits>

#include "platform/sjis.h"

namespace nura {

namespace {

struct CodePair {
  uint16_t code;  // Shift-JIS code: lead * 256 + trail, or the byte
  const char* ascii;
};

// Full-width symbols, in the order of the table they come from.
constexpr CodePair kSymbols[] = {
    {0x8149, "!"},  {0x8181, "="},  {0x8197, "@"}, {0x817E, "*"},   // ！ ＝ ＠ ×
    {0x8168, "\""}, {0x817C, "-"},  {0x8165, "`"}, {0x8180, "/"},   // ” － ‘ ÷
    {0x8194, "#"},  {0x814F, "^"},  {0x8147, ";"}, {0x8148, "?"},   // ＃ ＾ ； ？
    {0x8190, "$"},  {0x8160, "~"},  {0x8146, ":"}, {0x8151, "_"},   // ＄ ～ ： ＿
    {0x8193, "%"},  {0x818F, "\\"}, {0x817B, "+"}, {0x8183, "<"},   // ％ ￥ ＋ ＜
    {0x8195, "&"},  {0x8162, "|"},  {0x8196, "*"}, {0x8184, ">"},   // ＆ ｜ ＊ ＞
    {0x8166, "'"},  {0x816F, "{"},  {0x815E, "/"}, {0x8182, "<>"},  // ’ ｛ ／ ≠
    {0x81A6, "'"},  {0x8170, "}"},  {0x8143, ","}, {0x8185, "<="},  // ※ ｝ ， ≦
    {0x8169, "("},  {0x816A, ")"},  {0x8144, "."}, {0x8186, ">="},  // （ ） ． ≧
};

constexpr CodePair kSpacesAndQuotes[] = {
    {0x8140, " "},                  // ideographic space
    {0x8141, ","},  {0x8142, ";"},  // 、 。
    {0x8175, "\""}, {0x8176, "\""}, // 「 」
    {0x8177, "`"},  {0x8178, "`"},  // 『 』
    {0xA2, "\""},   {0xA3, "\""},   // half-width ｢ ｣
};

long double PowerOfTen(int digits) { return std::pow(10.0L, static_cast<long double>(digits)); }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A hexadecimal pair such as "FF"; 0 when it is no hexadecimal number.
int HexPairValue(std::string_view pair) {
  if (pair.empty()) return 0;
  int value = 0;
  for (char c : pair) {
    int d = HexDigitValue(c);
    if (d < 0) return 0;
    value = value * 16 + d;
  }
  return value;
}

// A whole decimal integer with an optional sign that fits 32 bits, else 0.
int32_t DecimalValue(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return 0;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return 0;
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return 0;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return 0;
  return static_cast<int32_t>(value);
}

}  // namespace

TConvToHalf::TConvToHalf() = default;
TConvToHalf::~TConvToHalf() = default;

void TConvToHalf::AddCode(unsigned code, std::string_view ascii) {
  unsigned hi = (code >> 8) & 0xFF, lo = code & 0xFF;
  auto& page = pages_[hi];
  if (!page) page = std::make_unique<Page>(Page{});
  uint16_t& index = (*page)[lo];
  if (index) {
    values_[index - 1] = std::string(ascii);
    return;
  }
  values_.emplace_back(ascii);
  index = static_cast<uint16_t>(values_.size());
}

void TConvToHalf::AddPair(std::string_view full, std::string_view ascii) {
  if (full.empty()) return;
  unsigned code = static_cast<unsigned char>(full[0]);
  if (full.size() >= 2) code = code << 8 | static_cast<unsigned char>(full[1]);
  AddCode(code, ascii);
}

void TConvToHalf::AddLetters() {
  for (int i = 0; i < 26; ++i) {
    AddCode(0x8281 + i, std::string(1, static_cast<char>('a' + i)));  // ａ..ｚ
    AddCode(0x8260 + i, std::string(1, static_cast<char>('A' + i)));  // Ａ..Ｚ
  }
}

void TConvToHalf::AddDigits() {
  for (int i = 0; i < 10; ++i) AddCode(0x824F + i, std::string(1, static_cast<char>('0' + i)));
}

void TConvToHalf::AddSymbols() {
  for (const CodePair& p : kSymbols) AddCode(p.code, p.ascii);
}

void TConvToHalf::AddSpacesAndQuotes() {
  for (const CodePair& p : kSpacesAndQuotes) AddCode(p.code, p.ascii);
}

void TConvToHalf::AddAll() {
  AddSymbols();
  AddDigits();
  AddLetters();
  AddSpacesAndQuotes();
}

std::string TConvToHalf::ConvertChar(std::string_view ch) const {
  const std::string* folded = Find(ch);
  return folded ? *folded : std::string(ch);
}

std::string TConvToHalf::Convert(std::string_view text) const {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    size_t len = IsSjisLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    std::string_view ch = text.substr(i, len);
    const std::string* folded = Find(ch);
    if (folded)
      out += *folded;
    else
      out += ch;
    i += len;
  }
  return out;
}

// The full table is built once: building it costs far more than folding a
// short text (a font name on every message).
std::string ConvertToHalf(std::string_view text) {
  static const TConvToHalf* const conv = [] {
    auto* table = new TConvToHalf;
    table->AddAll();
    return table;
  }();
  return conv->Convert(text);
}

std::string ExpandTabs(std::string_view text, int tabWidth) {
  if (tabWidth < 1) tabWidth = 1;
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  size_t column = 0;
  const size_t width = static_cast<size_t>(tabWidth);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\t') {
      size_t spaces = width - column % width;
      out.append(spaces, ' ');
      column += spaces;
    } else if (c == '\r' || c == '\n') {
      // CR LF is one break; any other CR or LF is a break of its own.
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
      column = 0;
    } else if (IsSjisLead(static_cast<unsigned char>(c)) && i + 1 < text.size()) {
      out.append(text.substr(i, 2));
      ++i;
      column += 2;
    } else {
      out += c;
      ++column;
    }
  }
  return out;
}

long double TruncateDigits(int digits, long double x) {
  long double scale = PowerOfTen(digits);
  return std::trunc(x * scale) / scale;
}

long double RoundDigits(int digits, long double x) {
  long double scale = PowerOfTen(digits);
  long double scaled = x * scale;
  long double whole = std::floor(scaled);
  long double frac = scaled - whole;
  if (frac > 0.5L || (frac == 0.5L && std::fmod(whole, 2.0L) != 0)) whole += 1;
  return whole / scale;
}

int32_t ColorTextToValue(std::string_view text) {
  if (!text.empty() && text[0] == '#') {
    auto pair = [&](size_t at) { return at < text.size() ? text.substr(at, 2) : std::string_view(); };
    int red = HexPairValue(pair(1)), green = HexPairValue(pair(3)), blue = HexPairValue(pair(5));
    return red + green * 256 + blue * 65536;
  }
  return DecimalValue(text);
}

std::string RightBytes(std::string_view text, int count) {
  if (count <= 0) return std::string();
  size_t n = static_cast<size_t>(count);
  return std::string(n >= text.size() ? text : text.substr(text.size() - n));
}

}  // namespace nura
