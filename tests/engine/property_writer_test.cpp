// The property writer: the host finds the object first, then the value
// arrives evaluated, or as written for the event bindings.
#include "engine/property_words.h"

#include "engine/engine_host.h"
#include "engine_fixture.h"

namespace nura::test {
namespace {

using Strings = std::vector<std::string>;

class RecordingObjects : public TObjectHost {
 public:
  Strings calls;  // UTF-8
  bool PrepareObjectWrite(TNuraEngine& engine, THashNode& node, const std::string& property,
                          std::optional<TProperty> p, TPropertyTarget& target) override {
    calls.push_back("find " + SjisToUtf8(node.name) + "." + SjisToUtf8(property) +
                    " A=" + SjisToUtf8(engine.Base().words.FindValue("A", false)));
    if (!p) throw ENura(SJ("未定義"));
    target.word = &node;
    return true;
  }
  void WriteObjectProperty(TNuraEngine&, const TPropertyTarget& target, const std::string& property,
                           TProperty p, const std::string& value) override {
    calls.push_back("write " + SjisToUtf8(target.word->name) + "." + SjisToUtf8(property) + "#" +
                    std::to_string(static_cast<int>(p)) + "=" + SjisToUtf8(value));
  }
};

class PropertyWriterTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    engine.SetObjectHost(&objects);
    engine.SetRegistrationHook([](TNuraEngine& e) {
      RegisterTestVocabulary(e);
      e.Base().words.Add(std::make_unique<THashNode>("B", false, kWordObject, 1, "", "", ""));
    });
  }
  RecordingObjects objects;
};

TEST_F(PropertyWriterTest, EventBindingsTakeTheTextAsWrittenAndTheRestEvaluated) {
  ASSERT_TRUE(Run("A=5\nBの幅は「{A}0」\nBのクリックした時は「{A}」\nBのイベントは「*L」\n"
                  "Bの高は「{A}」"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << dialogs.errorLogs[0];
  EXPECT_EQ(objects.calls, (Strings{"find B.幅 A=5", "write B.幅#2=50",
                                    "find B.クリックした時 A=5", "write B.クリックした時#16=\"{A}\"",
                                    "find B.イベント A=5", "write B.イベント#15=\"*L\"",
                                    "find B.高 A=5", "write B.高#3=5"}));
}

TEST_F(PropertyWriterTest, TheObjectIsFoundBeforeTheValueIsEvaluated) {
  // The value's function call changes A: the host sees A as it was.
  ASSERT_TRUE(Run("「F」を「?を」で関数定義\nA=1\nBの幅は「{F(0)}」\n終わり\n"
                  "*F\n引数取得\nA=2\nそれ=3\n戻る"));
  EXPECT_TRUE(dialogs.errorLogs.empty()) << dialogs.errorLogs[0];
  EXPECT_EQ(objects.calls, (Strings{"find B.幅 A=1", "write B.幅#2=3"}));
  ASSERT_TRUE(Run("Bの重さは「x」"));  // no such property: nothing is written
  EXPECT_EQ(objects.calls.back(), "find B.重さ A=");
}

}  // namespace
}  // namespace nura::test
