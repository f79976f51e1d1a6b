#include "engine/dispatch.h"

#include <gtest/gtest.h>

#include "engine/command_registry.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluate.h"
#include "engine/table_access.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// Handlers of the test: "言う" records what it would show.
std::vector<std::string>& Said() {
  static std::vector<std::string> said;
  return said;
}

void TestSay(TNuraEngine& engine, CommandId) { Said().push_back(engine.PopArgumentText()); }
void TestPair(TNuraEngine& engine, CommandId) {
  const std::string second = engine.PopArgumentText();
  const std::string first = engine.PopArgumentText();
  engine.SetResult(first + "," + second, "s");
}
void TestNow(TNuraEngine& engine, CommandId) { engine.SetResult("42", "e"); }

// A test command pairs its two arguments under the id of "置換".
constexpr CommandId kIdPair = CommandId::Replace;
// A word whose id has no handler.
constexpr int kIdUnbound = 4242;

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Said().clear();
    RegisterExpressionCommands();
    RegisterCommandHandler(CommandId::Say, TestSay);
    RegisterCommandHandler(kIdPair, TestPair);
    RegisterCommandHandler(CommandId::Now, TestNow);
    AddCommand("言う", "?と", IdNumber(CommandId::Say));
    AddCommand("計算", "?を", IdNumber(CommandId::Calculate));
    AddCommand("対にする", "?を,?に", IdNumber(kIdPair));
    AddCommand("今", "", IdNumber(CommandId::Now));
    AddCommand("未実装", "", kIdUnbound);
    engine.ResultNode();
  }

  void AddCommand(const char* name, const char* pattern, int id) {
    engine.Base().words.Add(std::make_unique<THashNode>(StripOkurigana(SJ(name)), true, kWordCommand,
                                                        id, "", "", SJ(pattern)));
  }
  void SetVariable(const char* name, const std::string& value, const char* kind) {
    engine.Base().AddVariable(SJ(name), value, kind);
  }
  void Dispatch(const char* name) {
    engine.DispatchCommand(*engine.Base().words.FindNode(StripOkurigana(SJ(name)), false));
  }
  std::string ErrorOf(const std::function<void()>& body) {
    try {
      body();
    } catch (const ENura& e) {
      return e.what();
    }
    return "(no error)";
  }
  std::string Expand(const std::string& text) { return engine.ExpandString(text); }

  TNuraEngine engine;
};

TEST_F(DispatchTest, ExpandsLiteralsNumbersAndExpressions) {
  EXPECT_EQ(Expand("`abc`"), "abc");
  EXPECT_EQ(engine.ResultKind(), "s");
  EXPECT_EQ(Expand("1+2*3"), "7");
  EXPECT_EQ(engine.ResultKind(), "e");
  EXPECT_EQ(Expand(SJ("\"合計{1+2}円\"")), SJ("合計3円"));
  EXPECT_EQ(Expand("`a` & `b` & 1"), "ab1");
  EXPECT_EQ(engine.ResultKind(), "s");
  EXPECT_EQ(Expand("`x`=`x`"), "1");
  EXPECT_EQ(Expand(""), "");
  EXPECT_EQ(Expand(SJ("未知の語")), SJ("未知の語"));
  EXPECT_EQ(Expand(SJ("5個")), SJ("5個"));  // no operator: a plain text
  EXPECT_EQ(engine.ResultKind(), "s");
  EXPECT_EQ(Expand(" a b "), "a b");
}

TEST_F(DispatchTest, OperandsFromTheWordTable) {
  SetVariable("A", "5", "e");
  SetVariable("名前", SJ("太郎"), "s");
  EXPECT_EQ(Expand("A+1"), "6");
  EXPECT_EQ(Expand("A*A"), "25");
  EXPECT_EQ(Expand(SJ("名前&`さん`")), SJ("太郎さん"));
  EXPECT_EQ(Expand("A&A"), "55");
  SetVariable("BIG", "1E16", "e");
  EXPECT_EQ(Expand("BIG*2"), "2E16");
  EXPECT_EQ(Expand("`1E16`+1"), "1E16");  // a text in the general format counts too
  EXPECT_EQ(Expand(SJ("今+1")), "43");  // a command gives its result
  EXPECT_EQ(engine.ResultNode()->Value(), "");  // and "それ" is kept

  SetVariable("設定", "x=1\r\ny=2", "s");
  EXPECT_EQ(Expand(SJ("設定のy")), "2");
  EXPECT_EQ(Expand(SJ("設定の y")), "2");

  auto hash = engine.Base().words.AddNode(
      std::make_unique<THashNode>("H", false, kWordHash, 0, SJ("ハッシュ"), SJ("ハッシュ"), ""));
  hash->SetHash(std::make_shared<THash>());
  auto element = THashNode::CreateVariable("k", false, 0, "10");
  element->SetAnnotation("e");
  hash->Hash()->Add(std::move(element));
  EXPECT_EQ(Expand(SJ("Hのk")), "10");
  EXPECT_EQ(Expand(SJ("Hのk+1")), "11");
  EXPECT_EQ(Expand(SJ("Hのz")), "");
  EXPECT_EQ(Expand("H"), "k=10");
}

TEST_F(DispatchTest, CalculateCommand) {
  engine.Base().args.Push(SJ("`1+2*3`を"));
  Dispatch("計算");
  EXPECT_EQ(engine.ResultNode()->Value(), "7");
  EXPECT_EQ(engine.ResultKind(), "e");

  engine.Base().args.Push(SJ("7を"));
  Dispatch("計算する");
  EXPECT_EQ(engine.ResultNode()->Value(), "7");

  // No argument: "それ" is calculated.
  engine.SetResult("2^10", "s");
  Dispatch("計算");
  EXPECT_EQ(engine.ResultNode()->Value(), "1024");
  Dispatch("言う");
  EXPECT_EQ(Said(), std::vector<std::string>{"1024"});
}

TEST_F(DispatchTest, BindsByParticleAndReportsErrors) {
  engine.Base().args.Push(SJ("`B`に"));
  engine.Base().args.Push(SJ("`A`を"));
  Dispatch("対にする");
  EXPECT_EQ(engine.ResultNode()->Value(), "A,B");
  EXPECT_TRUE(engine.Base().args.Empty());

  engine.SetResult("S", "s");
  engine.Base().args.Push(SJ("`B`へ"));
  Dispatch("対にする");
  EXPECT_TRUE(engine.Base().implicitSubject);
  EXPECT_EQ(engine.ResultNode()->Value(), "S,B");

  const std::string few = ErrorOf([&] { Dispatch("対にする"); });
  EXPECT_NE(few.find(SJ("\"対\"命令の引数に誤りがあります。\"?を,?に\"の形式で指定してください。引数が少ないです。")),
            std::string::npos)
      << few;
  EXPECT_TRUE(engine.Base().args.Empty());

  engine.Base().args.Push(SJ("`A`で"));
  engine.Base().args.Push(SJ("`B`を"));
  const std::string wrong = ErrorOf([&] { Dispatch("対にする"); });
  EXPECT_NE(wrong.find(SJ("の形式で指定してください。\"に\"")), std::string::npos) << wrong;
  EXPECT_EQ(engine.Base().args.Count(), 2);  // the texts not yet taken stay
  engine.Base().args.Clear();

  for (int i = 0; i < 5000; ++i) engine.Base().args.Push("x");
  engine.Base().args.Push(SJ("`A`を"));
  const std::string full = ErrorOf([&] { Dispatch("計算"); });
  EXPECT_NE(full.find(SJ("スタックが一杯になりました。")), std::string::npos) << full;
}

TEST_F(DispatchTest, UnboundAndMisplacedCommands) {
  const std::string unbound = ErrorOf([&] { Dispatch("未実装"); });
  EXPECT_NE(unbound.find(SJ("\"未実装\":ぬらせら命令のリンク切れ。作者へ報告を！")), std::string::npos)
      << unbound;
  engine.Base().words.Add(std::make_unique<THashNode>(SJ("ならば"), true, kWordCommand, 19, "", "", ""));
  EXPECT_NO_THROW(engine.DispatchCommand(*engine.Base().words.FindNode(SJ("ならば"), false)));
  engine.Base().words.Add(std::make_unique<THashNode>(SJ("条件"), true, kWordCommand, 200, "", "", ""));
  const std::string cond = ErrorOf([&] {
    engine.DispatchCommand(*engine.Base().words.FindNode(SJ("条件"), false));
  });
  EXPECT_NE(cond.find(SJ("条件文は、「もし～ならば」と対で使わなければなりません。")), std::string::npos);
}

TEST_F(DispatchTest, ArgumentHelpers) {
  engine.Base().args.Push("12.5");
  EXPECT_EQ(engine.PopArgumentNumber(), 12.5L);
  EXPECT_EQ(engine.PopArgumentText(), "");  // an empty stack gives empty
  EXPECT_TRUE(engine.Base().args.Empty());

  SetVariable("X", "1", "e");
  engine.Base().args.Push("`X`");
  EXPECT_EQ(engine.FindObjectWord(false)->Value(), "1");
  engine.Base().args.Push(SJ("新しい"));
  NodePtr created = engine.FindObjectWord(true);
  EXPECT_EQ(created->kind, kWordVariable);
  EXPECT_EQ(created->name, SJ("新しい"));
  engine.Base().args.Push(SJ("無い"));
  EXPECT_NE(ErrorOf([&] { engine.FindObjectWord(false); }).find(SJ("オブジェクト\"無い\"が特定できません。")),
            std::string::npos);
  // An empty stack creates nothing.
  EXPECT_NE(ErrorOf([&] { engine.FindObjectWord(true); }).find(SJ("が特定できません。")), std::string::npos);
}

TEST_F(DispatchTest, EvaluatorErrorsAndConditions) {
  const std::string zero = ErrorOf([&] { engine.EvaluateExpression("1/0"); });
  EXPECT_NE(zero.find(SJ("計算式に誤りがあります。0で割ることはできません。1/0")), std::string::npos) << zero;
  const std::string open = ErrorOf([&] { engine.EvaluateExpression("(1+2"); });
  EXPECT_NE(open.find(SJ("計算式に誤りがあります。\")\"がありません。")), std::string::npos) << open;

  SetVariable("A", "7", "e");
  EXPECT_EQ(engine.EvaluateExpression(engine.TranslateConditionPhrase(SJ("Aが5以上"))), "1");
  EXPECT_EQ(engine.EvaluateExpression(engine.TranslateConditionPhrase(SJ("Aが8以上"))), "0");
  EXPECT_EQ(engine.EvaluateExpression(engine.TranslateConditionPhrase(SJ("Aが7かつAが7以下"))), "1");
  EXPECT_EQ(engine.EvaluateExpression("A>9||A=7"), "1");
}

TEST_F(DispatchTest, Coordinates) {
  int x = 0, y = 0;
  engine.ParseCoordinates("(10,20)", x, y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 20);
  SetVariable("W", "3", "e");
  engine.ParseCoordinates("`(W*2, -4.9)`", x, y);
  EXPECT_EQ(x, 6);
  EXPECT_EQ(y, -4);
  for (const char* bad : {"10,20", "(10)", "(1,2,3)", "(a,2)", "(1,99999999999)"}) {
    EXPECT_NE(ErrorOf([&] { engine.ParseCoordinates(bad, x, y); }).find(SJ("座標の指定エラー")), std::string::npos)
        << bad;
  }
}

TEST_F(DispatchTest, FontText) {
  // Each text twice, and back to an earlier one, parses as the first time.
  const struct {
    const char* text;
    const char* name;
    int style, size;
  } fonts[] = {{"ｍｓ　明朝|太字 斜体|14", "ＭＳ 明朝", 3, 14}, {"ＭＳ 明朝｜下線｜9", "ＭＳ 明朝", 4, 9},
               {"ＭＳ 明朝｜下線｜9", "ＭＳ 明朝", 4, 9},     {"無い書体", "ＭＳ ゴシック", 0, 0},
               {"ｍｓ　明朝|太字 斜体|14", "ＭＳ 明朝", 3, 14}};
  for (const auto& font : fonts) {
    int style = -1, size = -1;
    EXPECT_EQ(engine.ParseFontText(SJ(font.text), style, size), SJ(font.name)) << font.text;
    EXPECT_EQ(style, font.style) << font.text;
    EXPECT_EQ(size, font.size) << font.text;
  }

  SetVariable("文字色", "#FF0000", "s");
  SetVariable("文字書体", SJ("ＭＳ 明朝|ボールド"), "s");
  SetVariable("文字サイズ", "abc", "s");
  int32_t colour = 0;
  int style = -1, size = -1;
  std::string name;
  engine.GetFontSettings(colour, size, name, style);
  EXPECT_EQ(colour, 255);
  EXPECT_EQ(size, 12);
  EXPECT_EQ(name, SJ("ＭＳ 明朝"));
  EXPECT_EQ(style, 1);
}

}  // namespace
}  // namespace nura

namespace nura {
namespace {

std::string FakeTable(const std::string& table, int row, int column) {
  return table + ":" + std::to_string(row) + ":" + std::to_string(column);
}

TEST_F(DispatchTest, HashSignReadsTablesAndHashes) {
  SetTableAccess(nullptr, FakeTable);
  SetVariable("T", "t", "s");
  SetVariable("I", "2", "e");
  EXPECT_EQ(Expand("T#1"), "t:1:-1");
  EXPECT_EQ(Expand("T#I#3"), "t:2:3");
  EXPECT_EQ(Expand("T#x"), "");  // no integer: -1, out of range
  SetTableAccess(nullptr, nullptr);
}

}  // namespace
}  // namespace nura

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/native_path.h"

namespace nura {
namespace {

std::string ReadAll(const std::string& native) {
  std::ifstream in(native, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(DispatchTest, DisplayOutputAppendsLines) {
  const auto folder = std::filesystem::temp_directory_path() / ("nura_display_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  engine.Base().baseFolder = NativePathToScript(folder.string() + "/");
  engine.Base().securityLevel = 0;  // low: no question
  const std::string file = (folder / "out.txt").string();
  SetVariable("表示出力先", NativePathToScript(file), "s");
  engine.AppendDisplayOutput(SJ("一行目"));  // a new file
  EXPECT_EQ(ReadAll(file), SJ("一行目") + "\r\n");
  SetVariable("表示出力先", "out.txt", "s");  // found in the script's folder
  std::ofstream(file, std::ios::binary | std::ios::app) << "no break";
  engine.AppendDisplayOutput("two");
  EXPECT_EQ(ReadAll(file), SJ("一行目") + "\r\nno break\r\ntwo\r\n");
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace nura

namespace nura {
namespace {

class ObjectHost : public TObjectHost {
 public:
  bool GetObjectProperty(TNuraEngine&, const std::string& object, const std::string& property,
                         std::string& value) override {
    if (property != "W") return false;
    value = object + ".W";
    return true;
  }
  bool ReadObjectValue(TNuraEngine&, THashNode& node, std::string& value) override {
    value = node.name + ".value";
    return true;
  }
};

TEST_F(DispatchTest, ObjectOperands) {
  ObjectHost host;
  engine.SetObjectHost(&host);
  engine.Base().words.Add(std::make_unique<THashNode>("B", false, kWordObject, 1, "", "", ""));
  EXPECT_EQ(Expand("B"), "B.value");
  EXPECT_EQ(Expand(SJ("BのW")), "B.W");
  EXPECT_NE(ErrorOf([&] { Expand(SJ("BのZ")); }).find(SJ("オブジェクト\"B\"から、直接値を得ることは出来ません。")),
            std::string::npos);
  engine.SetObjectHost(nullptr);
}

}  // namespace
}  // namespace nura

namespace nura {
namespace {

class DrawingHost : public TDrawingHost {
 public:
  std::string applied;
  void ApplyPenAndBrush(int32_t pen, int width, int32_t brush) override {
    applied = std::to_string(pen) + "/" + std::to_string(width) + "/" + std::to_string(brush);
  }
  void ApplyFontSettings(int32_t colour, int size, const std::string& name, int style) override {
    applied = std::to_string(colour) + "/" + std::to_string(size) + "/" + SjisToUtf8(name) + "/" +
              std::to_string(style);
  }
};

TEST_F(DispatchTest, PenBrushAndFontGoToTheHost) {
  DrawingHost host;
  engine.SetDrawingHost(&host);
  SetVariable("ペン色", "#0000FF", "s");
  SetVariable("ペン太さ", SJ("太い"), "s");
  SetVariable("塗り色", "255", "s");
  engine.ApplyPenAndBrush();
  EXPECT_EQ(host.applied, "16711680/1/255");
  SetVariable("ペン太さ", "3", "s");
  engine.ApplyPenAndBrush();
  EXPECT_EQ(host.applied, "16711680/3/255");

  SetVariable("文字色", "#00FF00", "s");
  SetVariable("文字書体", SJ("無い|下線|20"), "s");
  engine.ApplyFontSettings();
  EXPECT_EQ(host.applied, "65280/20/ＭＳ ゴシック/4");
  engine.SetDrawingHost(nullptr);
}

}  // namespace
}  // namespace nura

namespace nura {
namespace {

struct StubControl : TScriptObject {
  bool Alive() const override { return true; }
};

TEST_F(DispatchTest, ObjectCanvas) {
  auto picture = std::make_unique<StubControl>();
  TScriptObject* const pictureControl = picture.get();
  engine.Base().objects.Add(std::make_unique<TObjNode>(SJ("絵"), std::move(picture), 1, TObjectKind::List));
  engine.Base().objects.Add(
      std::make_unique<TObjNode>(SJ("ボタン"), std::make_unique<StubControl>(), 2, TObjectKind::Edit));
  EXPECT_EQ(engine.GetObjectCanvas(SJ("絵")), pictureControl);
  EXPECT_EQ(engine.GetObjectCanvas(SJ("ボタン")), nullptr);
  EXPECT_NE(ErrorOf([&] { engine.GetObjectCanvas(SJ("無い")); }).find(SJ("オブジェクト\"無い\"は、作成されていません。")),
            std::string::npos);
}

}  // namespace
}  // namespace nura

#include <random>

namespace nura {
namespace {

TEST_F(DispatchTest, RandomArgumentTextsNeverCrash) {
  SetVariable("A", "5", "e");
  const std::string pieces[] = {"(", ")", "\"", "`", "{", "}", "&", "&&", "|", "||", "=", "<", ">", "!",
                                "+", "-", "*", "/", "%", "^", "#", "1", "0", "$F", ".", "E", "A", " ",
                                "\r\n", SJ("の"), SJ("が"), SJ("以上"), SJ("かつ"), "\x82", "\\", SJ("｛")};
  std::mt19937 random(11);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int n = static_cast<int>(random() % 12);
    for (int i = 0; i < n; ++i) text += pieces[random() % std::size(pieces)];
    try {
      engine.ExpandString(text);
    } catch (const ENura&) {
    }
    try {
      engine.EvaluateExpression(engine.TranslateConditionPhrase(text));
    } catch (const ENura&) {
    }
  }
  ErrorLog().clear();
}

}  // namespace
}  // namespace nura
