// Argument helpers of the drawing commands: coordinate pairs, rectangles and fonts.
#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/conv_half.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluate.h"
#include "engine/locale_map.h"
#include "engine/operand_text.h"
#include "engine/sjis_text.h"
#include "platform/font_list.h"
#include "platform/sjis.h"

namespace nura {

namespace {

std::string FontKey(std::string_view name) { return TrimText(ConvertToHalf(ToUpperCase(name))); }

using TFontKeys = std::vector<std::pair<std::string, std::string>>;

// The Windows names that scripts use with their comparison keys: they are
// substitutes, which the platform keeps in lower case; they are handed out
// upper-cased ("ＭＳ 明朝"), which matches as well.
const TFontKeys& SubstituteFonts() {
  static const TFontKeys fonts = [] {
    TFontKeys list;
    for (const std::string& name : FontSubstituteNames()) {
      const std::string upper = ToUpperCase(name);
      list.emplace_back(FontKey(upper), upper);
    }
    return list;
  }();
  return fonts;
}

// The installed font families with their comparison keys. Read only when a
// name is not a substitute: the font database is costly to build.
const TFontKeys& InstalledFonts() {
  static const TFontKeys fonts = [] {
    TFontKeys list;
    for (const std::string& name : InstalledFontFamilies()) list.emplace_back(FontKey(name), name);
    return list;
  }();
  return fonts;
}

const std::string* FindFontName(const TFontKeys& fonts, const std::string& key) {
  for (const auto& [font_key, font_name] : fonts) {
    if (font_key == key) return &font_name;
  }
  return nullptr;
}

// Splits at "|" and at "｜": folding turns the one into the other, and a
// text may reach us folded or not.
std::vector<std::string> SplitFontText(const std::string& text) {
  static const std::string kWideBar = SJ("｜");
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < text.size();) {
    if (text[i] == '|' || text.compare(i, kWideBar.size(), kWideBar) == 0) {
      i += text[i] == '|' ? 1 : kWideBar.size();
      parts.emplace_back();
      continue;
    }
    const size_t n = IsSjisLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    parts.back().append(text, i, n);
    i += n;
  }
  return parts;
}

bool ContainsAny(const std::string& text, std::initializer_list<const char*> words) {
  for (const char* word : words) {
    if (SjisPos(SJ(word), text) > 0) return true;
  }
  return false;
}

// An integer part of a coordinate or size; false when it is no number or
// does not fit 32 bits.
bool ToInt32(const std::string& text, int& out) {
  const std::string trimmed = TrimText(text);
  const char* p = trimmed.c_str();
  if (ReadNumberLiteral(p).empty()) return false;
  const long double value = std::trunc(TextToNumber(trimmed));
  if (value < -2147483648.0L || value > 2147483647.0L) return false;
  out = static_cast<int>(value);
  return true;
}

// The parts of a list split at its top-level commas (quotes and groups whole).
std::vector<std::string> SplitTopLevel(const std::string& inner) {
  std::vector<std::string> parts;
  int depth = 0;
  char quote = 0;
  size_t start = 0;
  for (size_t i = 0; i < inner.size(); ++i) {
    const char c = inner[i];
    if (IsSjisLead(static_cast<unsigned char>(c))) {
      ++i;
    } else if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '`') {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      --depth;
    } else if (c == ',' && depth == 0) {
      parts.push_back(inner.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(inner.substr(std::min(start, inner.size())));
  return parts;
}

// The two parts of "a,b" split at the top-level comma.
bool SplitPair(const std::string& inner, std::string& a, std::string& b) {
  const std::vector<std::string> parts = SplitTopLevel(inner);
  if (parts.size() != 2) return false;
  a = parts[0];
  b = parts[1];
  return true;
}

}  // namespace

void TNuraEngine::ParseCoordinates(const std::string& text, int& x, int& y) {
  std::string pair = TrimText(text);
  std::string referenced;
  if (!pair.empty() && pair[0] != '(' && ParsePropertyReference(pair, referenced)) {
    pair = TrimText(referenced);
  }
  if (pair.size() >= 2 && pair.front() == '`' && pair.back() == '`') {
    pair = TrimText(RawLiteralToText(pair));
  }
  std::string a, b;
  const bool ok = pair.size() >= 2 && pair.front() == '(' && pair.back() == ')' &&
                  SplitPair(pair.substr(1, pair.size() - 2), a, b) &&
                  ToInt32(ExpandString(TrimText(a)), x) && ToInt32(ExpandString(TrimText(b)), y);
  if (!ok) throw ENura(FormatErrorMessage(SJ("座標の指定エラー")));
}

TRect TNuraEngine::ParseRectangle(const std::string& text) {
  std::string list = TrimText(text);
  std::string referenced;
  if (!list.empty() && list[0] != '(' && ParsePropertyReference(list, referenced)) list = TrimText(referenced);
  if (list.size() >= 2 && list.front() == '`' && list.back() == '`') list = TrimText(RawLiteralToText(list));
  if (list.size() >= 2 && list.front() == '(' && list.back() == ')') list = list.substr(1, list.size() - 2);
  const std::vector<std::string> parts = SplitTopLevel(list);
  if (parts.size() > 4) {
    throw ENura(FormatErrorMessage(SJ("座標の指定エラー。引数が多すぎます。") + "\"" + text + "\""));
  }
  int values[4] = {0, 0, 0, 0};
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string part = TrimText(parts[i]);
    if (part.empty()) continue;
    if (!ToInt32(ExpandString(part), values[i])) throw ENura(FormatErrorMessage(SJ("座標の指定エラー")));
  }
  return TRect{values[0], values[1], values[2], values[3]};
}

namespace {

// The last font text parsed and what it gave: scripts keep one font text
// for long, and every message and every drawn text asks for it.
struct TParsedFont {
  std::string text, name;
  int style = 0, size = 0;
  bool valid = false;
};

TParsedFont& LastParsedFont() {
  static TParsedFont last;
  return last;
}

}  // namespace

std::string TNuraEngine::ParseFontText(const std::string& text, int& style, int& size) {
  TParsedFont& last = LastParsedFont();
  if (last.valid && last.text == text) {
    style = last.style;
    size = last.size;
    return last.name;
  }
  const std::vector<std::string> parts = SplitFontText(ConvertToHalf(ToUpperCase(text)));
  style = 0;
  size = 0;
  const std::string name = TrimText(parts[0]);
  if (parts.size() > 1) {
    const std::string& s = parts[1];
    if (ContainsAny(s, {"ボールド", "太字"})) style |= 1;
    if (ContainsAny(s, {"イタリック", "傾斜", "斜体"})) style |= 2;
    if (ContainsAny(s, {"罫線", "下線", "アンダーライン"})) style |= 4;
  }
  if (parts.size() > 2 && !ToInt32(parts[2], size)) size = 0;
  const std::string key = FontKey(name);
  const std::string* found = FindFontName(SubstituteFonts(), key);
  if (!found) found = FindFontName(InstalledFonts(), key);
  last = {text, found ? *found : SJ("ＭＳ ゴシック"), style, size, true};
  return last.name;
}

void TNuraEngine::GetFontSettings(int32_t& colour, int& size, std::string& name, int& style) {
  static const std::string kColour = SJ("文字色"), kFont = SJ("文字書体"), kSize = SJ("文字サイズ");
  const THash& words = base_->words;
  colour = ColorTextToValue(words.FindValue(kColour, false));
  name = ParseFontText(words.FindValue(kFont, false), style, size);
  if (size <= 0 && !ToInt32(words.FindValue(kSize, false), size)) size = 12;
}

void TNuraEngine::ApplyPenAndBrush() {
  static const std::string kWidth = SJ("ペン太さ"), kPen = SJ("ペン色"), kBrush = SJ("塗り色");
  const THash& words = base_->words;
  int width = 1;
  if (!ToInt32(words.FindValue(kWidth, false), width)) width = 1;
  drawing_->ApplyPenAndBrush(ColorTextToValue(words.FindValue(kPen, false)), width,
                          ColorTextToValue(words.FindValue(kBrush, false)));
}

void TNuraEngine::ApplyFontSettings() {
  int32_t colour = 0;
  int size = 0, style = 0;
  std::string name;
  GetFontSettings(colour, size, name, style);
  drawing_->ApplyFontSettings(colour, size, name, style);
}

int TNuraEngine::TabWidth() {
  static const std::string kTabWidth = SJ("タブ文字の個数");
  const long double width = TextToNumber(base_->words.FindValue(kTabWidth, false));
  return width >= 1 && width <= 256 ? static_cast<int>(width) : 8;
}

const TObjNode& TNuraEngine::ObjectNamed(const std::string& name) {
  const TObjNode* object = base_->objects.FindByName(name);
  if (!object) {
    throw ENura(FormatErrorMessage(SJ("オブジェクト\"") + name + SJ("\"は、作成されていません。")));
  }
  return *object;
}

TScriptObject* TNuraEngine::GetObjectBitmap(const std::string& name) {
  const TObjNode& object = ObjectNamed(name);
  const bool bitmap = object.kind == TObjectKind::Image || object.kind == TObjectKind::Form;
  return bitmap ? object.Control() : nullptr;
}

TScriptObject* TNuraEngine::GetObjectCanvas(const std::string& name) {
  const TObjNode& object = ObjectNamed(name);
  switch (object.kind) {
    case TObjectKind::Image:
    case TObjectKind::List:
    case TObjectKind::Form:
    case TObjectKind::Grid:
    case TObjectKind::Label:
    case TObjectKind::Anime:
      return object.Control();
    default:
      return nullptr;
  }
}

}  // namespace nura
