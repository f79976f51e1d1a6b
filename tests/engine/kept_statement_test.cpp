// Statements run again at the same place go through what was read and
// compiled the first time; they must say exactly what reading them anew
// says. Each loop is compared with its rounds written out one after
// another, where every statement is read once.
#include <cstdint>
#include <random>

#include "engine/number_format.h"
#include "engine/sjis_text.h"
#include "engine_fixture.h"

namespace nura::test {
namespace {

using Strings = std::vector<std::string>;

class KeptStatementTest : public EngineTest {
 protected:
  // The messages of `setup` + `rounds`回(`body`) and of `setup` + the body
  // written `rounds` times, with I counting the rounds.
  void ExpectSameAsWrittenOut(const std::string& setup, const std::string& body, int rounds) {
    dialogs.messages.clear();
    ASSERT_TRUE(Run(setup + std::to_string(rounds) + "回(\nI=回数\n" + body + "\n)\n"));
    const Strings looped = dialogs.messages;
    const std::string loopLog = Log();
    dialogs.messages.clear();
    std::string written = setup;
    for (int i = 1; i <= rounds; ++i) written += "I=" + std::to_string(i) + "\n" + body + "\n";
    ASSERT_TRUE(Run(written));
    EXPECT_EQ(looped, dialogs.messages) << body;
    EXPECT_EQ(loopLog.empty(), Log().empty()) << loopLog << Log();
  }
};

TEST_F(KeptStatementTest, ArithmeticKeepsTheGeneralFormat) {
  ExpectSameAsWrittenOut("A=999999999999997\nB=1\nC=-7\nD=2\n",
                         "A=A+1\nAと言う\nB=B/3\nBと言う\nC=C*-3+0.5\nCと言う\nD=D^D\nDと言う", 4);
  ExpectSameAsWrittenOut("E=0.1\nF=5\n", "E=E+0.2\nEと言う\nF=F%3-(F-1)*2\nFと言う\nG=-F\nGと言う", 3);
  ExpectSameAsWrittenOut("", "H=I*1000000000000\nHと言う\nI=H&I+1\nIと言う\nJ=(I+1)*2\nJと言う", 3);
}

TEST_F(KeptStatementTest, TextsComparisonsAndValuesThatChangeTheirKind) {
  ExpectSameAsWrittenOut("X=1\nT=\"007\"\n",
                         "Y=X*2\nYと言う\nX=\"abc\"&I\nZ=X=\"abc2\"\nZと言う\nU=T=7\nUと言う\n"
                         "V=T&\"{I}\"&`b`\nVと言う\nW=\"a\"<X\nWと言う\n"
                         "C=X=T\nCと言う\nE=Y*I-Y+X\nEと言う\nF=T*Y+I\nFと言う",
                         3);
  ExpectSameAsWrittenOut("S=\"\"\n", "S=S&\"ab\"&I\nSと言う\nK=-S\nKと言う\nL=I>1&&S<>\"\"\nLと言う", 3);
}

// Whole numbers are computed as whole numbers while they stay exact; any
// other value (past 15 digits, a fraction, a text) as the reading does.
TEST_F(KeptStatementTest, WholeNumberArithmeticAtItsEdges) {
  ExpectSameAsWrittenOut("A=999999999999990\nB=-7\nC=4611686018427387\nD=\"12\"\n",
                         "A=A+3\nAと言う\nP=B%3\nPと言う\nQ=B/2\nQと言う\nR=B*I/7\nRと言う\nK=C*C*I\nKと言う\n"
                         "M=D*2\nMと言う\nN=D=12\nNと言う\nO=-D\nOと言う\nL=(A>I+0)+(A<I+0)*2-B%-4\nLと言う",
                         4);
}

// A number kept beside a variable's text gives way to a new text of the
// same length.
TEST_F(KeptStatementTest, KeptNumbersFollowTheirTexts) {
  ExpectSameAsWrittenOut("A=5\n", "A=A+1\nAと言う\nもしI=2ならば(A=\"3\")\nB=A*2+I\nBと言う", 3);
}

// "X=X&..." appends the other operands' texts, X itself among them.
TEST_F(KeptStatementTest, AppendingToAVariable) {
  ExpectSameAsWrittenOut("S=\"\"\nT=\"t\"\nN=2.50\nU=\"u\"\n",
                         "S=S&1.0&T&N&I\nSと言う\nU=U&U&\"-\"\nUと言う\nもしI=2ならば(Tの(\"k\")=1)", 3);
}

// A word that appears or changes between rounds is read anew.
TEST_F(KeptStatementTest, WordsThatChangeBetweenRoundsAreReadAnew) {
  ASSERT_TRUE(Run("3回(B=甲+1\nBと言う\n甲=回数*10)\n"));
  EXPECT_EQ(dialogs.messages, (Strings{"1", "11", "21"}));
  dialogs.messages.clear();
  // "言う" renamed inside the loop: the statement after it reads the new word.
  ASSERT_TRUE(Run("A=1\n2回(A=A+1\nもし回数=1ならば(「言う」を「?と,しゃべる」に名義変更)\nAとしゃべる)\n"));
  EXPECT_EQ(dialogs.messages, (Strings{"2", "3"}));
  dialogs.messages.clear();
  // A label in the value runs every round.
  ASSERT_TRUE(Run("N=0\n3回(N=N+乙\nNと言う)\n終わり\n*乙\nそれ=5\n戻る\n"));
  EXPECT_EQ(dialogs.messages, (Strings{"5", "10", "15"}));
}

// The word a statement begins with is read anew once other words appear.
TEST_F(KeptStatementTest, StatementWordsFollowNewWords) {
  ExpectSameAsWrittenOut("", "甲と言う\nもしI=1ならば(甲と=\"x\")\n乙と言う\nもしI=2ならば(乙=\"y\")", 3);
  ExpectSameAsWrittenOut("", "もしI=2ならば(「丙」を「?と,しゃべる」に名義変更)\nもしI>2ならば(Iとしゃべる)違えば(Iと言う)", 3);
}

TEST_F(KeptStatementTest, ErrorsInsideKeptStatementsKeepTheirLineAndText) {
  // The block that does not run is still read: its errors stay.
  ASSERT_TRUE(Run("2回(\nもし1=1ならば(「a」と言う)違えば(「b」と言う\n)"));
  EXPECT_NE(Log().find("\")\"が対応していません。"), std::string::npos) << Log();
  dialogs.messages.clear();

  ASSERT_TRUE(Run("A=1\n3回(\nB=A/(回数-2)\nBと言う\n)\n"));
  EXPECT_EQ(dialogs.messages, (Strings{"-1"}));
  EXPECT_NE(Log().find("(3行目)"), std::string::npos) << Log();
  EXPECT_NE(Log().find("0で割ることはできません。"), std::string::npos) << Log();
}

// A kept assignment passes the line break behind it (blanks before it) at
// once; a line that goes on after a comma is still read.
TEST_F(KeptStatementTest, AssignmentsPassTheirLineEnds) {
  ExpectSameAsWrittenOut("A=0\n", "A=A+1  \n\nB=A*2\nA&\",\"&Bと言う\nC=A,\n言う", 3);
  dialogs.messages.clear();
  ASSERT_TRUE(Run("A=0\n3回(\nA=A+1\t\nB=1/(A-2)\nBと言う\n)\n"));
  EXPECT_EQ(dialogs.messages, (Strings{"-1"}));
  EXPECT_NE(Log().find("(4行目)"), std::string::npos) << Log();
}

// The line break at the start of a loop's block and behind a closed
// conditional block is passed where the frame puts the cursor; the run goes
// on behind the loop with the right lines.
TEST_F(KeptStatementTest, LineBreaksWhereFramesPutTheCursor) {
  ASSERT_TRUE(Run("A=0\n3回(\n  もし回数%2=0ならば(A=A+1)\n  違えば(A=A+10)\n)\nAと言う\n謎\n"));
  EXPECT_EQ(dialogs.messages, (Strings{"21"}));
  EXPECT_NE(Log().find("(7行目)"), std::string::npos) << Log();
}

// A command statement made only of words runs its word where it ends: at
// its line break unless the line goes on after a comma, at the end of its
// block, or before ";"; its errors keep their line.
TEST_F(KeptStatementTest, CommandStatementsRunWhereTheyEnd) {
  ExpectSameAsWrittenOut("", "Iと,\n言う\nIと言う;Iと言う\nIと言う,\nIと言う\nIと言う", 3);
  dialogs.messages.clear();
  ASSERT_TRUE(Run("A=1\n2回(Aと言う)\n2回(\nAとAと言う\n)\n"));
  EXPECT_EQ(dialogs.messages, (Strings{"1", "1", "1"}));
  EXPECT_NE(Log().find("(4行目)"), std::string::npos) << Log();
  EXPECT_NE(Log().find("引数が多いです。\"Aと\""), std::string::npos) << Log();
}

// Calls of a label from a kept statement take their arguments each round,
// also after the label's pattern changed between rounds, and return to the
// loop.
TEST_F(KeptStatementTest, CallsFromKeptStatements) {
  ASSERT_TRUE(Run("「加算」を「?を」で関数定義\nT=0\n3回(回数を加算)\nTと言う\n"
                  "「倍」を「?を」で関数定義\n3回(回数を倍)\n終わり\n*加算\n引数取得\nT=T+それ\n戻る\n"
                  "*倍\nもし回数=2ならば(「倍」を「?と,?を」で関数定義)\n引数取得\nそれと言う\n戻る\n"));
  EXPECT_EQ(dialogs.messages, (Strings{"6", "1", "2", "2\r\n3"}));
  dialogs.messages.clear();
  ASSERT_TRUE(Run("2回(回数を加算)\n終わり\n*加算\n引数取得\nそれと言う\n戻る\n", "calls.nrs"));
  EXPECT_NE(Log().find("calls.nrs(3行目)"), std::string::npos) << Log();
  EXPECT_NE(Log().find("引数が多いです。\"回数を\""), std::string::npos) << Log();
  // A kept call passes its label's line break as it enters: the first
  // statement of the body runs next and fails at its own line.
  dialogs.messages.clear();
  ASSERT_TRUE(Run("「加算」を「?を」で関数定義\nT=0\n2回(回数を加算)\n終わり\n*加算\nX=1/(2-回数)\n引数取得\n"
                  "T=T+それ\n戻る\n",
                  "lines.nrs"));
  EXPECT_NE(Log().find("lines.nrs(6行目)"), std::string::npos) << Log();
  EXPECT_EQ(Var("T"), "1");
  // Past a 引数取得 taken as the call enters, the lines go on as well.
  dialogs.messages.clear();
  ASSERT_TRUE(Run("「加算」を「?を」で関数定義\nT=0\n2回(回数を加算)\n終わり\n*加算\n引数取得\nX=1/(2-それ)\n"
                  "T=T+それ\n戻る\n",
                  "lines.nrs"));
  EXPECT_NE(Log().find("lines.nrs(7行目)"), std::string::npos) << Log();
}

// A kept call whose label begins with 引数取得 hands its value to "それ" as
// it enters; with another statement before 引数取得 the value goes over the
// second stack. Both say the same for whole numbers (a pending count among
// them), texts with and without blanks to trim, "それ" itself, and values
// an earlier call left on the stack.
TEST_F(KeptStatementTest, CallsTakingTheirValueAtOnce) {
  const std::string calls =
      "「受取」を「?を」で関数定義\n「置く」を「?を」で関数定義\nS=0\nA=\"007\"\nB=\" ab \"\nC=-5\n"
      "D=12345678901234567\nE=\"\"\nF=\"x\"\n"
      "3回(\n回数を受取\nAを受取\nBを受取\nCを受取\nDを受取\nEを受取\nF=F&回数\nFを受取\n"
      "C=C*10\nCを受取\nそれを受取\nもし回数=2ならば(回数を置く)\n回数を受取\n)\nSと言う\n終わり\n"
      "*置く\n戻る\n";
  const std::string body = "\n引数取得\n「[{それ}]」と言う\nS=S+1\nT=それ&\"+\"&(それ+1)\nTと言う\n戻る\n";
  dialogs.messages.clear();
  ASSERT_TRUE(Run(calls + "*受取" + body));
  const Strings atOnce = dialogs.messages;
  const std::string atOnceLog = Log();
  dialogs.messages.clear();
  ASSERT_TRUE(Run(calls + "*受取\nZ=0" + body));
  EXPECT_EQ(atOnce, dialogs.messages);
  EXPECT_EQ(atOnceLog, Log());
  EXPECT_EQ(atOnce.back(), "30");
}

TEST_F(KeptStatementTest, ConditionChainsAndHashElements) {
  ExpectSameAsWrittenOut("A=0\nB=0\nC=0\n",
                         "もしI%3=0ならば(A=A+1)\n違えば(もしI%3=1ならば(B=B+1)違えば(C=C+1))\n"
                         "A&\",\"&B&\",\"&Cと言う\nもしA=\"1\"ならば「t」と言う",
                         4);
  ExpectSameAsWrittenOut("Hの(\"k0\")=0\n",
                         "Hの(\"k\"&I)=I*2\nS=Hの(\"k\"&I)+Hの(\"k\"&(I-1))\nSと言う\n"
                         "Hの(\"k\"&I)=\"t\"&I\nHの(\"k\"&I)と言う\nT=Hの(\"none\")&\"-\"\nTと言う",
                         3);
}

// A kept "もし" runs through its kept word and condition while the words
// stay; a word made or renamed between rounds is read anew.
TEST_F(KeptStatementTest, KeptConditionsFollowTheirWords) {
  ExpectSameAsWrittenOut("", "もし乙=1ならば(「a」と言う)違えば(「b」と言う)\nもしI=2ならば(乙=1)", 4);
  ExpectSameAsWrittenOut("甲=0\n", "もし甲=I-1ならば(甲と言う)\nもしI=2ならば(「甲」を「?と,しゃべる」に名義変更)", 3);
  ExpectSameAsWrittenOut("", "もしI>1ならば(Iと言う)\nもしI=2ならば(「もし」を「?,仮に」に名義変更)", 3);
  // Nested chains, the inner ones inside the chosen blocks.
  ExpectSameAsWrittenOut("A=0\n",
                         "もしI%2=0ならば(もしI%3=0ならば(「six」と言う)違えば(もしI%4=0ならば(「four」と言う)"
                         "違えば(A=A+I)))\n違えば(もしI>4ならば(もし I=5 なら (「five」と言う)))\nAと言う",
                         9);
}

TEST_F(KeptStatementTest, ErrorsInsideTheChosenBlockKeepTheirLine) {
  ASSERT_TRUE(Run("3回(\nもし回数=2ならば(\nB=1/0\n)違えば(回数と言う)\n)\n"));
  EXPECT_EQ(dialogs.messages, (Strings{"1"}));
  EXPECT_NE(Log().find("(3行目)"), std::string::npos) << Log();
  EXPECT_NE(Log().find("0で割ることはできません。"), std::string::npos) << Log();
  // The second round fails in the kept "もし" itself.
  dialogs.messages.clear();
  ASSERT_TRUE(Run("甲=1\n2回(\n回数と言う\nもし1/(甲-回数+1)=1ならば(「a」と言う)\n)\n"));
  EXPECT_EQ(dialogs.messages, (Strings{"1", "a", "2"}));
  EXPECT_NE(Log().find("(4行目)"), std::string::npos) << Log();
  EXPECT_NE(Log().find("0で割ることはできません。"), std::string::npos) << Log();
}

// An else-if block (one kept "もし" and nothing else) is decided where it
// stands, its chosen block entered in its place: values that stop being
// whole, blocks with more behind the "もし", 抜ける and 続ける in the chosen
// block, errors there and behind the statement, and chains deeper than
// what is decided at once, all as when read anew.
TEST_F(KeptStatementTest, ElseIfBlocksDecidedAtOnce) {
  ExpectSameAsWrittenOut("A=0\nB=0\nX=1\n",
                         "もしI%3=0ならば(A=A+1)違えば(もしX%2=1ならば(B=B+I)違えば(A=A+X))\n"
                         "A&\",\"&Bと言う\nもしI=2ならば(X=0.5)\nもしI=3ならば(X=\"abc\")\n"
                         "もしI>4ならば(A=0)違えば( もしI=1ならば(A=A+10)  )\nAと言う\n"
                         "もしI<0ならば(A=1)違えば(もしI=2ならば(A=A+2);Aと言う)\n"
                         "もしI<0ならば(A=1)違えば(もしI>1ならば(Iと言う;B=B+1)違えば(もしI=1ならば(Bと言う)))",
                         6);
  dialogs.messages.clear();
  ASSERT_TRUE(Run("A=0\n9回(\nもし回数=9ならば(A=A+100)違えば(もし回数%2=0ならば(続ける)違えば(もし回数>6ならば(抜ける)"
                  "違えば(A=A+回数)))\nA=A+1000\n)\nAと言う\n"
                  "3回(\nもし回数=0ならば(A=1)違えば(もし回数=3ならば(\nB=1/0\n)違えば(A=A+1))\n)\n"));
  EXPECT_EQ(dialogs.messages, (Strings{"3009"}));
  EXPECT_EQ(Var("A"), "3011");
  EXPECT_NE(Log().find("(9行目)"), std::string::npos) << Log();
  dialogs.messages.clear();
  ASSERT_TRUE(Run("3回(\nもし回数=0ならば(A=1)違えば(もし回数>0ならば(A=回数))\nB=1/(2-A)\n)\n"));
  EXPECT_EQ(Var("A"), "2");
  EXPECT_NE(Log().find("(3行目)"), std::string::npos) << Log();
  // Forty else-ifs deep: the last one chosen each round.
  std::string chain = "A=A+I";
  for (int level = 40; level >= 1; --level) {
    chain = "もしI=" + std::to_string(100 + level) + "ならば(A=0)違えば(" + chain + ")";
  }
  ExpectSameAsWrittenOut("A=0\n", chain + "\nAと言う", 4);
}

// The kept "もし" of a chain decided at once goes to its condition and its
// chosen block's statement without looking them up again, until the kept
// statements start again (more than a few thousand places were kept): then
// they are looked up anew.
TEST_F(KeptStatementTest, ChainsDecidedAtOnceAfterTheKeptStatementsStartAgain) {
  std::string many;
  for (int i = 0; i < 5000; ++i) many += "X=" + std::to_string(i) + "\n";  // no new word
  ASSERT_TRUE(Run("A=0\nB=0\nC=0\nX=0\n9回(\nもし回数%2=0ならば(A=A+1)違えば(もし回数%3=0ならば(多数)違えば(B=B+1))\n)\n"
                  "A&\",\"&B&\",\"&Cと言う\n終わり\n*多数\n" + many + "C=C+1\n戻る\n"));
  EXPECT_EQ(dialogs.messages, (Strings{"4,3,2"}));
  EXPECT_EQ(Var("X"), "4999");
}

// A chosen block that is one whole-number assignment alone runs where it
// stands; values that stop being whole, texts and blocks with more in them
// are entered as before, and what comes behind keeps its line.
TEST_F(KeptStatementTest, BlocksOfOneAssignment) {
  ExpectSameAsWrittenOut("A=0\nB=\"x\"\nC=0\n",
                         "もしI%2=1ならば(A=A+I/2)違えば(A=A+1)\nAと言う\nもしI>1ならば(B=B&I)\nBと言う\n"
                         "もしI<3ならば( C=C+1 )違えば(C=C*2;Cと言う)\nCと言う",
                         5);
  dialogs.messages.clear();
  ASSERT_TRUE(Run("A=0\n5回(\nもし回数>0ならば(A=A+1)\nもし回数=3ならば(抜ける)\n)\nAと言う\n"
                  "3回(\nもし回数>1ならば(A=A+1)\nもし回数=2ならば(B=1/0)\n)\n"));
  EXPECT_EQ(dialogs.messages, (Strings{"3"}));
  EXPECT_EQ(Var("A"), "4");
  EXPECT_NE(Log().find("(9行目)"), std::string::npos) << Log();
}

// A loop whose body is one statement that runs where it stands runs its
// rounds at once, written on the loop's line or between line breaks; with
// a comment line behind, the body goes through the statement steps. All
// say the same, also when the values stop being whole numbers mid-run,
// when a chosen block opens a frame, leaves the loop or goes on with the
// next round, and when a round fails (at the same line).
TEST_F(KeptStatementTest, LoopBodiesRunAtOnce) {
  struct TLoop {
    std::string setup, head, body;
  };
  const std::vector<TLoop> loops = {
      {"A=0\n", "6回", "A=A+回数"},
      {"A=1\n", "6回", "A=A*3/2"},
      {"A=\"7\"\n", "4回", "A=A+1"},
      {"A=0\nB=0\n", "7回", "もし回数%3=0ならば(A=A+1)違えば(B=B+回数)"},
      {"A=0\nB=0\n", "7回", "もし回数%3=0ならば(A=A+1)\n違えば(もし回数%3=1ならば(B=B+1)違えば(A=A-1))"},
      {"A=0\n", "9回", "もし回数=4ならば(A=A+100;抜ける)違えば(A=A+回数)"},
      {"A=0\n", "5回", "もし回数=2ならば(続ける)違えば(A=A+1)"},
      {"A=0\n", "5回", "もし回数>2ならば(\nA=A+10\n)違えば(A=A+1)"},
      {"I=0\n", "「I<5」でループ", "I=I+1"},
      {"N=0\n", "「a\nb\nc」を反復", "N=N+回数"},
      {"A=0\n", "3回", "4回(A=A+1)"},
      {"A=0\n", "4回", "A=A+10/(3-回数)"},
      {"A=0\n", "5回", "もし回数=4ならば(A=1/0)違えば(A=A+1)"},
  };
  const std::string tail = "\nA&\",\"&B&\",\"&I&\",\"&N&\",\"&回数&\",\"&それと言う\n";
  for (const TLoop& loop : loops) {
    std::vector<Strings> messages;
    std::vector<std::string> logs;
    for (const std::string& body : {"(" + loop.body + ")", "(\n" + loop.body + "\n)", "(\n" + loop.body + "\n*c\n)"}) {
      dialogs.messages.clear();
      ASSERT_TRUE(Run(loop.setup + loop.head + body + tail));
      messages.push_back(dialogs.messages);
      logs.push_back(Log());
    }
    EXPECT_EQ(messages[0], messages[2]) << loop.body;
    EXPECT_EQ(messages[1], messages[2]) << loop.body;
    EXPECT_EQ(logs[0].empty(), logs[2].empty()) << loop.body << logs[0] << logs[2];
    EXPECT_EQ(logs[1], logs[2]) << loop.body;
  }
}

// Whole numbers print as their integer digits and read back without the
// general reader; the edges go the general way.
TEST_F(KeptStatementTest, WholeNumbersFormatAsTheGeneralFormat) {
  std::mt19937_64 random(20);
  std::vector<long double> values = {1, -1, 9, 10, 99999, 100000, 999999999999999, -999999999999999};
  for (int i = 0; i < 20000; ++i) {
    const int64_t limit = int64_t{1} << (i % 50);
    values.push_back(static_cast<long double>(static_cast<int64_t>(random() % (2 * limit)) - limit));
  }
  std::string reused = "previous text";
  for (const long double v : values) {
    const std::string text = FormatGeneral(v);
    EXPECT_EQ(text, std::to_string(static_cast<long long>(v)));
    FormatGeneralTo(v, reused);
    EXPECT_EQ(reused, text);
    EXPECT_EQ(TextToNumber(text), v) << text;
  }
  const std::pair<long double, const char*> edges[] = {
      {-0.0L, "0"}, {1e15L, "1E15"}, {-1e15L, "-1E15"}, {999999999999999.5L, "1E15"},
      {1e16L, "1E16"}, {0.5L, "0.5"}, {-2.5L, "-2.5"}, {123456789012345.6L, "123456789012346"},
      {0.00001L, "0.00001"}, {0.000001L, "1E-6"}};
  for (const auto& [value, text] : edges) {
    EXPECT_EQ(FormatGeneral(value), text);
    FormatGeneralTo(value, reused);
    EXPECT_EQ(reused, text);
  }
}

// Elements written by a kept statement enumerate as the table orders them.
TEST_F(KeptStatementTest, HashEnumerationAfterManyInsertions) {
  ASSERT_TRUE(Run("10000回(Hの(\"k\"&回数)=回数)\nHと言う\n"));
  THash expected;
  for (int i = 1; i <= 10000; ++i) {
    expected.Add(THashNode::CreateVariable("k" + std::to_string(i), false, 0, std::to_string(i)));
  }
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0], SjisToUtf8(expected.GetNameValueText()));
}

}  // namespace
}  // namespace nura::test
