#include "engine/vocabulary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/sjis.h"

namespace nura {
namespace {

const BuiltinCommand* FindCommand(const std::string& utf8Name) {
  const std::string name = SJ(utf8Name);
  for (const BuiltinCommand& c : BuiltinCommands()) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

const BuiltinVariable* FindVariable(const std::string& utf8Name) {
  const std::string name = SJ(utf8Name);
  for (const BuiltinVariable& v : BuiltinVariables()) {
    if (v.name == name) return &v;
  }
  return nullptr;
}

TEST(BuiltinVocabulary, HasEveryNameAndId) {
  EXPECT_EQ(BuiltinCommands().size(), 454u);
  EXPECT_EQ(BuiltinVariables().size(), 117u);
  std::set<int> ids;
  std::set<std::string> names;
  for (const BuiltinCommand& c : BuiltinCommands()) {
    ids.insert(c.id);
    names.insert(c.name);
    EXPECT_EQ(c.name.find('?'), std::string::npos) << SjisToUtf8(c.name);
  }
  EXPECT_EQ(ids.size(), 426u);
  EXPECT_EQ(names.size(), 454u);
  for (int unassigned : {43, 177, 199, 201, 202, 203, 204, 205, 289, 316, 386, 387, 388}) {
    EXPECT_EQ(ids.count(unassigned), 0u) << unassigned;
  }
  EXPECT_EQ(*ids.begin(), 0);
  EXPECT_EQ(*ids.rbegin(), 438);
  EXPECT_TRUE(std::is_sorted(BuiltinCommands().begin(), BuiltinCommands().end(),
                             [](const auto& a, const auto& b) { return a.id < b.id; }));
}

TEST(BuiltinVocabulary, CommandsCarryTheirPatternsAndIds) {
  struct Sample {
    const char* name;
    const char* pattern;
    int id;
  };
  const Sample samples[] = {
      {"表示", "?と", 0},
      {"おわる", "", 2},
      {"飛ぶ", "?へ", 5},
      {"言う", "?と", 12},
      {"何文字目", "?の中で,?が", 47},
      {"POS", "?,?", 47},
      {"作業ディレクトリ", "", 89},
      {"_P", "?", 193},
      {"ファイル合成", "?を, ?へ", 206},
      {"DDEサーバー作成", "?を呼ぶ,?という", 209},
      {"タイマー設定", "?秒後に,?へ飛ぶ", 263},
      {"フォームの位置記録", "へ", 275},
      {"フォームの位置復元", "から", 276},
      {"表キー合成", "?の,?列目と,?の,?列目で", 311},
      {"余り", "?と,?の", 343},
      {"乗せ換える", "?を,?の上へ", 401},
      {"乗せる", "?を,?へ", 401},
      {"CMYK", "?,?,?,?", 411},
      {"単置換", "?の,?を,?に", 438},
  };
  for (const Sample& s : samples) {
    const BuiltinCommand* c = FindCommand(s.name);
    ASSERT_NE(c, nullptr) << s.name;
    EXPECT_EQ(c->pattern, SJ(s.pattern)) << s.name;
    EXPECT_EQ(c->id, s.id) << s.name;
  }
  EXPECT_EQ(FindCommand("言う")->name, "\x8C\xBE\x82\xA4");
}

TEST(BuiltinVocabulary, VariablesCarryDefaultsProtectionAndAnnotations) {
  const BuiltinVariable& first = BuiltinVariables().front();
  EXPECT_EQ(first.name, SJ("そして"));
  EXPECT_EQ(BuiltinVariables()[1].name, SJ("回数"));
  EXPECT_EQ(BuiltinVariables().back().name, SJ("ぬらせら最終更新日"));

  const BuiltinVariable* count = FindVariable("回数");
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->value, "0");
  EXPECT_TRUE(count->isProtected);

  const BuiltinVariable* result = FindVariable("それ");
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->value, "");
  EXPECT_FALSE(result->isProtected);
  EXPECT_NE(result->annotation, "e");
  EXPECT_NE(result->annotation, "s");
  EXPECT_FALSE(result->annotation.empty());

  EXPECT_TRUE(FindVariable("エラーメッセージ")->isProtected);
  EXPECT_EQ(FindVariable("終了不可能")->value, "0");
  EXPECT_TRUE(FindVariable("終了不可能")->isProtected);
  EXPECT_FALSE(FindVariable("タブ文字の個数")->isProtected);
  EXPECT_EQ(FindVariable("文字書体")->value, SJ("ＭＳ ゴシック"));
  EXPECT_EQ(FindVariable("圧縮オプション")->value, "-a1 -r2 -x1 -l1 -jp1 -o2 -ji0");
  EXPECT_EQ(FindVariable("禁則処理の行頭禁止文字")->value,
            SJ("、。，．・？！゛゜ヽヾゝゞ々ー）］｝」』!),.:;?]}｡｣､･ｰﾞﾟ"));
  EXPECT_EQ(SjisToUtf8(FindVariable("禁則処理の行頭禁止文字")->value),
            "、。，．・？！゛゜ヽヾゝゞ々ー）］｝」』!),.:;?]}｡｣､･ｰﾞﾟ");

  EXPECT_EQ(FindVariable("枠固定")->annotation, "e");
  EXPECT_EQ(FindVariable("HKEY_USERS")->value, "3");
  EXPECT_TRUE(FindVariable("HKEY_USERS")->isProtected);
  EXPECT_EQ(FindVariable("茶色")->value, "#993300");
  EXPECT_EQ(FindVariable("茶色")->annotation, "s");
  EXPECT_EQ(FindVariable("縦")->value, SJ("縦"));

  const BuiltinVariable* arguments = FindVariable("コマンドライン引数");
  EXPECT_TRUE(arguments->isProtected);
  EXPECT_TRUE(arguments->annotation.empty());
  EXPECT_EQ(arguments->source, VariableDefault::kCommandLine);
  EXPECT_EQ(FindVariable("ウインドウ色")->source, VariableDefault::kWindowColour);
  EXPECT_EQ(FindVariable("SENDTOのパス")->source, VariableDefault::kSendToFolder);
  EXPECT_EQ(FindVariable("デスクトップの高さ")->annotation, "e");
}

}  // namespace
}  // namespace nura
