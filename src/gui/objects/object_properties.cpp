#include "gui/objects/object_properties.h"

#include <array>
#include <climits>
#include <cmath>

#include "engine/conv_half.h"
#include "engine/command_api.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// The property words, okurigana stripped once.
const std::array<std::string, kPropertyCount>& StrippedNames() {
  static const std::array<std::string, kPropertyCount> names = [] {
    static const char* const kWords[kPropertyCount] = {
        "X", "Y", "幅", "高さ", "テキスト", "アイテム", "値", "画像", "拡大機能", "最大値",
        "最小値", "タイトル", "向き", "ボタン機能", "可視", "イベント", "クリックした時",
        "ダブルクリックした時", "マウス押した時", "マウス離した時", "キー押した時", "キー離した時",
        "変更した時", "編集", "透過処理", "背景色", "サイズ", "名前", "スクロールバー",
        "フォント書体", "フォントサイズ", "フォント色", "ファイルドロップ", "リサイズ",
        "ショートカットキー", "IME", "繰り返し回数", "効果音", "マウス動かした時", "追加画像",
        "選択文字列", "ハンドル", "有効", "選択位置", "選択文字数", "URL", "右側", "下側",
        "ファイルドロップした時", "スタイル", "W", "H", "位置", "列", "行", "ソート", "種類"};
    std::array<std::string, kPropertyCount> stripped;
    for (int i = 0; i < kPropertyCount; ++i) stripped[i] = StripOkurigana(SJ(kWords[i]));
    return stripped;
  }();
  return names;
}

int ClampToInt(long double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<long double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<long double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

const std::string& PropertyWord(TProperty property) {
  return StrippedNames()[static_cast<size_t>(property)];
}

std::string StrippedPropertyName(const std::string& name) { return StripOkurigana(name); }

std::optional<TProperty> PropertyOfName(const std::string& name) {
  const std::string key = StripOkurigana(name);
  const auto& names = StrippedNames();
  for (int i = 0; i < kPropertyCount; ++i) {
    if (names[static_cast<size_t>(i)] == key) return static_cast<TProperty>(i);
  }
  return std::nullopt;
}

int StrictInteger(const std::string& text, int fallback) {
  int32_t value = 0;
  return ReadIntegerText(text, value) ? value : fallback;
}

int TPropertyInput::Number() const { return ClampToInt(std::nearbyint(TextToNumber(text_))); }

int TPropertyInput::Integer(int fallback) const { return StrictInteger(text_, fallback); }

int32_t TPropertyInput::Colour(int32_t fallback) const {
  if (!text_.empty() && text_[0] == '#') return ColorTextToValue(text_);
  return StrictInteger(text_, fallback);
}

void TPropertyInput::StoreValue() { word_.value = text_; }

}  // namespace nura
