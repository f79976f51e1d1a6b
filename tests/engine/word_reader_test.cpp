#include "engine/preprocess.h"
#include "engine/scanners.h"
#include "engine_fixture.h"

namespace nura::test {
namespace {

using Strings = std::vector<std::string>;

class WordReaderTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    engine.ResetForRun();
  }
  // The pieces the statement loop reads: values with their particle, words.
  Strings Pieces(const std::string& utf8) {
    std::string text = SJ(utf8);
    PreprocessSource(text, "x");
    const char* p = text.c_str();
    Strings out;
    while (*p) {
      while (*p == ' ' || *p == '\t') ++p;
      std::string piece;
      if (*p == '"' || *p == '`') {
        piece = ScanQuotedLiteral(p, -1);
        piece += engine.ReadParticleAt(p);
      } else if (*p >= '0' && *p <= '9') {
        piece = ReadNumberToken(p);
        piece += engine.ReadParticleAt(p);
      } else {
        // The word behind a phrase "Bの" names its item.
        const bool item = !out.empty() && out.back().size() >= 3 &&
                          out.back().compare(out.back().size() - 3, 3, "の") == 0;
        piece = engine.ReadWordAt(p, item);
      }
      if (piece.empty()) break;
      out.push_back(SjisToUtf8(piece));
    }
    return out;
  }
};

TEST_F(WordReaderTest, ValuesKeepTheirParticle) {
  const std::pair<const char*, Strings> cases[] = {
      {"「こんにちは」と言う", {"\"こんにちは\"と", "言う"}},
      {"Aは5", {"Aは", "5"}},
      {"Aと言う", {"Aと", "言う"}},
      {"Bを言う", {"Bを", "言う"}},
      {"Iを1から3まで繰り返す", {"Iを", "1から", "3まで", "繰り返す"}},
      {"Tの2列目から", {"Tの", "2列目から"}},
      {"3秒後に", {"3秒後に"}},
      {"それを言う", {"それを", "言う"}},
      {"温度は5", {"温度は", "5"}},
      {"N秒待つ", {"N秒", "待つ"}},
      {"5回", {"5回"}},
      {"なしへ飛ぶ", {"なしへ", "飛ぶ"}},
      {"下を呼ぶ", {"下を", "呼ぶ"}},
      {"あいうは5", {"あいうは", "5"}},
      {"あいうはA", {"あいうは", "A"}},
      {"高さは50", {"高さは", "50"}},
      {"ははを言う", {"ははを", "言う"}},
      {"Bの高さは50", {"Bの", "高さは", "50"}},
      {"Bの高さと5を足す", {"Bの", "高さと", "5を", "足す"}},
  };
  for (const auto& [text, want] : cases) EXPECT_EQ(Pieces(text), want) << text;
}

TEST_F(WordReaderTest, ConditionStartsAfterIf) {
  Strings got = Pieces("もしAが5以上ならば「大」と言う");
  ASSERT_GE(got.size(), 2u);
  EXPECT_EQ(got[0], "もし");
  EXPECT_EQ(got[1], "Aが");
}

TEST_F(WordReaderTest, WordsStayWhole) {
  const char* words[] = {"繰り返す", "言う", "言って", "違えば", "でなければ", "もし", "ならば",
                         "そして", "ひらがな変換", "ひらがなか", "取り込む", "終わり", "Aの時",
                         "その他の時", "今回", "回数"};
  for (const char* w : words) EXPECT_EQ(Pieces(w), Strings{w}) << w;
}

TEST_F(WordReaderTest, SpacesReadTheSame) {
  EXPECT_EQ(Pieces("A は 5"), (Strings{"Aは", "5"}));
  EXPECT_EQ(Pieces("I を 1 から 3 まで 繰り返す"), (Strings{"Iを", "1から", "3まで", "繰り返す"}));
  EXPECT_EQ(Pieces("「a」 と 言う"), (Strings{"\"a\"と", "言う"}));
  EXPECT_EQ(Pieces("A でなければ"), (Strings{"A", "でなければ"}));
}

TEST_F(WordReaderTest, AssignedVariableSplitsAsBefore) {
  const char* cases[] = {"結果はそれ", "名前は「一」", "値をそれに足す"};
  for (const char* text : cases) {
    const Strings before = Pieces(text);
    engine.Base().AddVariable(SJ("結果"), "", "");
    engine.Base().AddVariable(SJ("名前"), "", "");
    engine.Base().AddVariable(SJ("値"), "", "");
    EXPECT_EQ(Pieces(text), before) << text;
    engine.ResetForRun();
  }
  EXPECT_EQ(Pieces("結果はそれ"), (Strings{"結果は", "それ"}));
}

TEST_F(WordReaderTest, ParticlesComeFromThePatterns) {
  const Strings& all = [&] {
    static Strings utf8;
    utf8.clear();
    for (const auto& p : engine.Particles()) utf8.push_back(SjisToUtf8(p));
    return utf8;
  }();
  for (const char* p : {"を", "に", "へ", "と", "で", "から", "まで", "の", "は", "が",
                        "秒後に", "列目から", "の時"})
    EXPECT_NE(std::find(all.begin(), all.end(), p), all.end()) << p;
  // Longest first.
  EXPECT_GE(all.front().size(), all.back().size());
}

}  // namespace
}  // namespace nura::test
