#include "engine/vocabulary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "engine/command_line.h"
#include "engine/engine.h"
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

TEST(BuiltinVocabulary, LooseKeysNeverCollide) {
  std::set<std::string> keys;
  for (const BuiltinCommand& c : BuiltinCommands()) {
    EXPECT_TRUE(keys.insert(StripOkurigana(c.name)).second) << SjisToUtf8(c.name);
  }
  for (const BuiltinVariable& v : BuiltinVariables()) {
    EXPECT_EQ(keys.count(v.name), 0u) << SjisToUtf8(v.name);
  }
}

// The process's command line is global; each test that registers sets it
// and puts the old one back.
class RegisteredWords : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = ProgramCommandLine();
    ProgramCommandLine().Parse({"-debug", "/tmp/nura-vocab/" + SJ("台本.nrs"), "x", "-y"});
    RegisterBuiltinWords(engine_);
  }
  void TearDown() override { ProgramCommandLine() = saved_; }

  THashNode* Word(const char* utf8, bool loose = false) {
    return engine_.Base().words.Find(SJ(utf8), loose);
  }

  TCommandLine saved_;
  TNuraEngine engine_;
};

TEST_F(RegisteredWords, EntersEveryWordOnce) {
  // 571 registrations and the main window's word.
  EXPECT_EQ(engine_.Base().words.Count(), 572);
  engine_.Base().words.Clear();
  RegisterBuiltinWords(engine_);
  EXPECT_EQ(engine_.Base().words.Count(), 572);
  EXPECT_EQ(engine_.Base().objects.Count(), 1);
}

TEST_F(RegisteredWords, CommandsAreProtectedUnderTheirLooseKey) {
  THashNode* say = Word("言う", true);
  ASSERT_NE(say, nullptr);
  EXPECT_EQ(say->name, SJ("言"));
  EXPECT_EQ(say->kind, kWordCommand);
  EXPECT_EQ(say->Pattern(), SJ("?と"));
  EXPECT_EQ(say->id, 12);
  EXPECT_TRUE(say->isProtected);
  EXPECT_TRUE(say->Value().empty());
  EXPECT_TRUE(say->Annotation().empty());
  EXPECT_EQ(Word("言って", true), say);
  EXPECT_EQ(Word("言う"), nullptr);

  THashNode* jump = Word("飛ぶ", true);
  ASSERT_NE(jump, nullptr);
  EXPECT_EQ(jump->Pattern(), SJ("?へ"));
  EXPECT_EQ(jump->id, 5);
  EXPECT_EQ(Word("繰り返す", true)->Pattern(), SJ("?を,?から,?まで"));
  EXPECT_EQ(Word("もし")->id, 102);
  EXPECT_EQ(Word("でなければ")->id, 20);
  EXPECT_EQ(Word("タイマー設定", true)->Pattern(), SJ("?秒後に,?へ飛ぶ"));

  EXPECT_THROW(AddCommandWord(engine_.Base().words, SJ("言いたい"), "", "", 1),
               std::runtime_error);
}

TEST_F(RegisteredWords, SystemVariablesKeepNameDefaultAndProtection) {
  TNuraBase& base = engine_.Base();
  THashNode* result = Word("それ");
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->kind, kWordVariable);
  EXPECT_EQ(result->id, -1);
  EXPECT_EQ(result->Value(), "");
  EXPECT_FALSE(result->isProtected);
  EXPECT_EQ(base.nodeResult.get(), result);

  THashNode* count = Word("回数");
  EXPECT_EQ(count->Value(), "0");
  EXPECT_TRUE(count->isProtected);
  EXPECT_EQ(base.nodeCount.get(), count);
  EXPECT_TRUE(Word("エラーメッセージ")->isProtected);
  EXPECT_EQ(base.nodeErrorMessage.get(), Word("エラーメッセージ"));
  EXPECT_EQ(Word("終了不可能")->Value(), "0");
  EXPECT_TRUE(Word("終了不可能")->isProtected);
  EXPECT_EQ(base.nodeNoExit.get(), Word("終了不可能"));
  EXPECT_EQ(base.nodeAndThen.get(), Word("そして"));
  EXPECT_EQ(Word("そ")->id, -1);
  EXPECT_EQ(Word("黄色")->Value(), "#FFFF00");
  EXPECT_EQ(Word("黄色")->Annotation(), "s");
  EXPECT_EQ(Word("キャンセル")->Annotation(), "e");

  // Unprotected system variables can be replaced, protected ones cannot.
  AddVariableWord(base.words, SJ("タブ文字の個数"), "4", "");
  EXPECT_EQ(Word("タブ文字の個数")->Value(), "4");
  EXPECT_THROW(AddVariableWord(base.words, SJ("回数"), "5", ""), std::runtime_error);
  EXPECT_THROW(AddVariableWord(base.words, SJ("HKEY_USERS"), "5", ""), std::runtime_error);
}

TEST_F(RegisteredWords, ComputedDefaults) {
  EXPECT_EQ(Word("コマンドライン引数")->Value(), "/tmp/nura-vocab/" + SJ("台本.nrs") + "\r\nx\r\n-y");
  EXPECT_TRUE(Word("コマンドライン引数")->isProtected);
  EXPECT_EQ(Word("母艦のパス")->Value(), "/tmp/nura-vocab/");
  EXPECT_EQ(engine_.Base().baseFolder, "/tmp/nura-vocab/");
  EXPECT_EQ(Word("デスクトップの幅")->Value(), "800");
  EXPECT_EQ(Word("デスクトップの高さ")->Value(), "800");
  EXPECT_EQ(Word("ウインドウ色")->Value(), std::to_string(0xEFEFEF));
  const std::string temp = Word("TEMPのパス")->Value();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '/');
  EXPECT_EQ(Word("SENDTOのパス")->Value(), "");
  EXPECT_EQ(Word("ランタイムのパス")->Value().back(), '/');
  EXPECT_FALSE(Word("OS")->Value().empty());
  const std::string date = Word("ぬらせら最終更新日")->Value();
  ASSERT_EQ(date.size(), 10u);
  EXPECT_EQ(date[4], '/');
  EXPECT_EQ(date[7], '/');
}

TEST_F(RegisteredWords, MainWindowIsObjectZero) {
  TObjNode* window = engine_.Base().objects.GetItem(0);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->name, SJ("母艦"));
  EXPECT_EQ(window->objectId, 0);
  EXPECT_EQ(window->kind, TObjectKind::Form);
  THashNode* word = Word("母艦");
  ASSERT_NE(word, nullptr);
  EXPECT_EQ(word->kind, kWordObject);
  EXPECT_EQ(word->id, 0);
  EXPECT_TRUE(word->isProtected);
  EXPECT_EQ(word->Annotation(), SJ("メインフォーム"));
}

}  // namespace
}  // namespace nura
