// Each kind's factory makes its control at the kind's default size: the
// size a script sees through "幅" and "高さ" right after "作成".
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "object_fixture.h"

namespace nura::test {
namespace {

class ObjectSizesTest : public ObjectFixture {};

TEST_F(ObjectSizesTest, EveryKindIsMadeAtItsDefaultSize) {
  struct Expected {
    const char* kind;
    const char* size;  // "width x height"
  };
  const Expected kinds[] = {
      {"ボタン", "75 x 25"},       {"エディタ", "121 x 21"},  {"イメージ", "105 x 105"},
      {"バー", "121 x 16"},        {"コンボ", "145 x 21"},    {"リスト", "121 x 97"},
      {"メモ", "185 x 89"},        {"チェック", "97 x 17"},   {"パネル", "185 x 41"},
      {"ラジオ", "185 x 105"},     {"スクロール", "300 x 200"}, {"タブページ", "289 x 193"},
      {"ツリー", "121 x 97"},      {"グリッド", "320 x 120"}, {"トラック", "105 x 105"},
      {"アニメ", "100 x 100"},     {"Tエディタ", "185 x 89"},
  };
  std::string script;
  for (size_t i = 0; i < std::size(kinds); ++i) {
    script += "O" + std::to_string(i) + "を" + kinds[i].kind + "として作成\n";
  }
  Run(script + "待機\n");
  ASSERT_EQ(Errors(), "");
  for (size_t i = 0; i < std::size(kinds); ++i) {
    const std::string name = "O" + std::to_string(i);
    EXPECT_EQ(Property(name.c_str(), "幅") + " x " + Property(name.c_str(), "高さ"), kinds[i].size) << kinds[i].kind;
  }
}

}  // namespace
}  // namespace nura::test
