// Random statements never crash the engine or leave it nested.
#include <random>

#include "engine_fixture.h"

namespace nura::test {
namespace {

TEST_F(EngineTest, RandomStatementsEndCleanly) {
  const char* pieces[] = {"「a」", "と", "を", "は", "言う", "A", "B", "=", "&", "(", ")", "1", "+",
                          "回", "もし", "ならば", "違えば", "\n", ";", "、", "#", "の", "?", "*",
                          "繰り返す", "から", "まで", "I", "抜ける", "戻る", "反復", "の時", "`",
                          "」", "「", "{", "}", " ", "それ", "呼ぶ", "x", "ぬらせらする", "(A)",
                          "A=1", "Aの時", "条件分岐", "で", "続ける", "f(1)", "'", "$", "-"};
  std::mt19937 random(12345);
  dialogs.choice = ErrorChoice::Continue;
  for (int round = 0; round < 300; ++round) {
    std::string script;
    const int length = 1 + random() % 40;
    for (int i = 0; i < length; ++i) script += pieces[random() % std::size(pieces)];
    script += "\n終わり\n*f\n戻る";
    dialogs.messages.clear();
    dialogs.errorLogs.clear();
    Run(script);
    EXPECT_EQ(engine.NestedRunDepth(), 0) << script;
    EXPECT_EQ(engine.Base().runControl.NestedLevels(), 0) << script;
  }
}

}  // namespace
}  // namespace nura::test
