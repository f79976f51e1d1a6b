#include "engine/script_object.h"

#include <array>

#include "platform/sjis.h"

namespace nura {
namespace {

const std::array<std::string, kObjectKindCount>& KindNames() {
  static const std::array<std::string, kObjectKindCount> names = {
      SJ("ボタン"), SJ("エディタ"), SJ("イメージ"), SJ("バー"),      SJ("コンボ"),
      SJ("リスト"), SJ("メモ"),     SJ("フォーム"), SJ("グリッド"),  SJ("ラベル"),
      SJ("チェック"), SJ("トラック"), SJ("アニメ"), SJ("メニュー"), SJ("ブラウザ"),
      SJ("パネル"), SJ("Tエディタ"), SJ("ラジオ"), SJ("スクロール"), SJ("タブページ"),
      SJ("ツリー")};
  return names;
}

}  // namespace

const std::string& ObjectKindName(TObjectKind kind) {
  static const std::string none;
  const int i = static_cast<int>(kind);
  return i >= 0 && i < kObjectKindCount ? KindNames()[static_cast<size_t>(i)] : none;
}

std::optional<TObjectKind> ObjectKindOfName(const std::string& word) {
  const auto& names = KindNames();
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == word) return static_cast<TObjectKind>(i);
  }
  return std::nullopt;
}

}  // namespace nura
