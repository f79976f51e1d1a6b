#include "engine/evaluate.h"

#include <gtest/gtest.h>

#include "platform/sjis.h"

namespace nura {
namespace {

TStrNum PlainOperand(const char*& cursor) { return ReadPlainOperand(cursor, PlainOperand); }

TStrNum Eval(const std::string& text) { return EvaluateExpression(text, PlainOperand); }
std::string EvalText(const std::string& text) { return Eval(text).Text(); }

std::string ErrorOf(const std::string& text) {
  try {
    Eval(text);
  } catch (const EExpression& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(Evaluate, ArithmeticAndPrecedence) {
  EXPECT_EQ(EvalText("1+2*3"), "7");
  EXPECT_EQ(EvalText("(1+2)*3"), "9");
  EXPECT_EQ(EvalText("2^3"), "8");
  EXPECT_EQ(EvalText("10-2-3"), "5");
  EXPECT_EQ(EvalText("7/2"), "3.5");
  EXPECT_EQ(EvalText("7%3"), "1");
  EXPECT_EQ(EvalText("-2*3"), "-6");
  EXPECT_EQ(EvalText("3*-2"), "-6");
  EXPECT_EQ(EvalText("+5*2"), "10");
  EXPECT_EQ(EvalText("1--1"), "2");
  EXPECT_EQ(EvalText(" 1 + ( 2 * ( 3 + 1 ) ) "), "9");
  EXPECT_EQ(EvalText("$1F+1"), "32");
  EXPECT_EQ(EvalText("1.5e2+0.5"), "150.5");
  EXPECT_EQ(EvalText("1E16*10"), "1E17");            // the general format reads back
  EXPECT_EQ(EvalText("2.3283064365387E-10*2"), "4.6566128730774E-10");
  EXPECT_TRUE(Eval("1+2").is_number);
}

TEST(Evaluate, ConcatenationGivesText) {
  const TStrNum v = Eval("1&2");
  EXPECT_EQ(v.Text(), "12");
  EXPECT_FALSE(v.is_number);
  EXPECT_EQ(EvalText("1+2&3"), "33");   // one level, left to right
  EXPECT_EQ(EvalText("\"a\"&(1+2)"), "a3");
  EXPECT_EQ(EvalText("`x``y`&\"z\""), "x`yz");
}

TEST(Evaluate, ComparisonsNumericWhenRightIsNumber) {
  EXPECT_EQ(EvalText("10>9"), "1");
  EXPECT_EQ(EvalText("\"10\">9"), "1");             // numeric: right is a number
  EXPECT_EQ(EvalText("\"10\">\"9\""), "0");         // text comparison
  EXPECT_EQ(EvalText("\"abc\"=\"abd\""), "0");
  EXPECT_EQ(EvalText("\"abc\"=\"abc\""), "1");
  EXPECT_EQ(EvalText("1=1.0"), "1");
  EXPECT_EQ(EvalText("3==3"), "1");
  for (const char* ne : {"!=", "<>", "><"}) EXPECT_EQ(EvalText(std::string("3") + ne + "4"), "1") << ne;
  for (const char* ge : {">=", "=>"}) EXPECT_EQ(EvalText(std::string("4") + ge + "4"), "1") << ge;
  for (const char* le : {"<=", "=<"}) EXPECT_EQ(EvalText(std::string("5") + le + "4"), "0") << le;
  EXPECT_EQ(EvalText("1<2<3"), "1");   // (1<2)=1, 1<3
  EXPECT_EQ(EvalText("3>2>1"), "0");   // (3>2)=1, 1>1 is false
  EXPECT_EQ(EvalText("1+1=2"), "1");   // comparison binds looser than +
}

TEST(Evaluate, LogicalOperators) {
  EXPECT_EQ(EvalText("1&&0"), "0");
  EXPECT_EQ(EvalText("2&&3"), "1");
  EXPECT_EQ(EvalText("0||5"), "1");
  EXPECT_EQ(EvalText("0||0"), "0");
  EXPECT_EQ(EvalText("1=1&&2=3"), "0");
  EXPECT_EQ(EvalText("1=2||2=2"), "1");
  EXPECT_EQ(EvalText("0&&1||1"), "1");  // one level, left to right
}

TEST(Evaluate, ErrorsCarryCauseAndExpression) {
  const std::string head = SJ("計算式に誤りがあります。");
  EXPECT_EQ(ErrorOf("(1+2"), head + SJ("\")\"がありません。") + "(1+2");
  EXPECT_EQ(ErrorOf("1+*2"), head + SJ("演算子「*」の位置が不正。") + "1+*2");
  EXPECT_EQ(ErrorOf("1 2"), head + SJ("計算結果が不正") + "1 2");
  EXPECT_EQ(ErrorOf("1+"), head + SJ("計算結果が不正") + "1+");
}

TEST(Evaluate, InvalidOperationsAreErrors) {
  const std::string head = SJ("計算式に誤りがあります。");
  EXPECT_EQ(ErrorOf("1/0"), head + SJ("0で割ることはできません。") + "1/0");
  EXPECT_EQ(ErrorOf("5%0"), head + SJ("0で割ることはできません。") + "5%0");
  EXPECT_EQ(ErrorOf("0/0"), head + SJ("0で割ることはできません。") + "0/0");
  EXPECT_EQ(ErrorOf("(0-8)^0.5"), head + SJ("プログラムで不正な操作がありました。") + "(0-8)^0.5");
  EXPECT_EQ(ErrorOf("10^99999"), head + SJ("プログラムで不正な操作がありました。") + "10^99999");
  EXPECT_EQ(ErrorOf("1E99999"), head + SJ("プログラムで不正な操作がありました。") + "1E99999");
  EXPECT_EQ(ErrorOf("1.0E99999+1"), head + SJ("プログラムで不正な操作がありました。") + "1.0E99999+1");
}

TEST(Evaluate, DeepNestingIsAnErrorNotACrash) {
  const std::string deep = std::string(100000, '(') + "1" + std::string(100000, ')');
  EXPECT_NE(ErrorOf(deep).find(SJ("計算式の入れ子が深すぎます。")), std::string::npos);
  EXPECT_NE(ErrorOf(std::string(100000, '-') + "1").find(SJ("計算式の入れ子が深すぎます。")), std::string::npos);
  EXPECT_EQ(EvalText(std::string(50, '(') + "1" + std::string(50, ')')), "1");
  EXPECT_THROW(TranslateConditionPhrase(deep), EExpression);
  EXPECT_EQ(TranslateConditionPhrase(SJ("((Aが1))")), "((A=1))");
}

TEST(Evaluate, CursorStopsAtLineEnd) {
  const std::string text = "1+2\r\n3:rest";
  const char* cursor = text.c_str();
  EXPECT_EQ(EvaluateExpression(cursor, PlainOperand).Text(), "3");
  EXPECT_EQ(*cursor, '\r');
}

TEST(StringLiteral, EscapesAndEmbeddedExpressions) {
  auto read = [](const std::string& text) {
    const char* cursor = text.c_str();
    return ReadStringLiteral(cursor, PlainOperand);
  };
  EXPECT_EQ(read(SJ("\"合計{1+2}円\"")), SJ("合計3円"));
  EXPECT_EQ(read(SJ("\"合計｛2*3｝円\"")), SJ("合計6円"));
  EXPECT_EQ(read("\"a\\nb\\tc\\\"d\""), "a\r\nb\tc\"d");
  EXPECT_EQ(read(SJ("\"a￥ｎb\"")), "a\r\nb");
  EXPECT_EQ(read(SJ("\"ソ表\"")), SJ("ソ表"));  // trail bytes 0x5C stay
  EXPECT_EQ(read("`a``b{1}`"), "a`b{1}");
  try {
    read("\"abc");
    FAIL();
  } catch (const EExpression& e) {
    EXPECT_EQ(std::string(e.what()), SJ("文字列\"abc\"の最後に」がありません。"));
  }
}

TEST(Condition, ReadsUpToThenWord) {
  const std::string text = SJ("Aが5以上ならば「大」と言う");
  const char* cursor = text.c_str();
  EXPECT_EQ(ReadConditionText(cursor), SJ("Aが5以上"));
  EXPECT_EQ(std::string(cursor).substr(0, 6), SJ("ならば"));

  const std::string quoted = SJ("A=\"なら\"でなければ");
  cursor = quoted.c_str();
  EXPECT_EQ(ReadConditionText(cursor), SJ("A=\"なら\""));

  const std::string broken = SJ("A=1\r\n2:ならば");
  cursor = broken.c_str();
  EXPECT_EQ(ReadConditionText(cursor), "A=1");
  EXPECT_EQ(std::string(cursor), SJ("ならば"));

  for (const std::string& bad : {SJ("A=1"), SJ("A=1\r\n2:言う")}) {
    cursor = bad.c_str();
    EXPECT_THROW(ReadConditionText(cursor), EExpression);
  }
}

TEST(Condition, TranslatesJapaneseForms) {
  EXPECT_EQ(TranslateConditionPhrase(SJ("Aが5以上")), "A>=5");
  EXPECT_EQ(TranslateConditionPhrase(SJ("Aが 5以下")), "A<=5");
  EXPECT_EQ(TranslateConditionPhrase(SJ("Aが5と等しい")), "A=5");
  EXPECT_EQ(TranslateConditionPhrase(SJ("Aが5")), "A=5");
  EXPECT_EQ(TranslateConditionPhrase(SJ("A が 5 以上 ")), "A>=5 ");
  EXPECT_EQ(TranslateConditionPhrase(SJ("A が 5")), "A=5");
  EXPECT_EQ(TranslateConditionPhrase(SJ("Aが\"あ\"")), SJ("A=\"あ\""));
  EXPECT_EQ(TranslateConditionPhrase(SJ("Aが5以上かつBが3")), "A>=5 && B=3");
  EXPECT_EQ(TranslateConditionPhrase(SJ("Aが5 または Bが(1+2)以下")), "A=5  ||  B<=(1+2)");
  EXPECT_EQ(TranslateConditionPhrase("A>=5"), "A>=5");
  EXPECT_EQ(TranslateConditionPhrase(SJ("(Aが5)かつ(Bが3以上)")), "(A=5) && (B>=3)");
  EXPECT_EQ(TranslateConditionPhrase(SJ("長さが3")), SJ("長さ=3"));
  // A registered word is not cut at its "が".
  auto is_word = [](const std::string& w) { return w == SJ("ながさ"); };
  EXPECT_EQ(TranslateConditionPhrase(SJ("ながさ=3"), is_word), SJ("ながさ=3"));
  EXPECT_THROW(TranslateConditionPhrase("(A=1"), EExpression);
  EXPECT_THROW(TranslateConditionPhrase("A=\"x"), EExpression);
}

TEST(Condition, TranslatedConditionEvaluates) {
  EXPECT_EQ(EvalText(TranslateConditionPhrase(SJ("7が5以上"))), "1");
  EXPECT_EQ(EvalText(TranslateConditionPhrase(SJ("4が5以上"))), "0");
  EXPECT_EQ(EvalText(TranslateConditionPhrase(SJ("4が5以下かつ1が1"))), "1");
}

}  // namespace
}  // namespace nura
