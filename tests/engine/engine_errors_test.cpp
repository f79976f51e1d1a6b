// The engine's side of errors: the reported line, the message, the dialog
// input method.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/preprocess.h"
#include "platform/sjis.h"

namespace nura {
namespace {

TEST(EngineErrors, MessagesNameTheStatementsLine) {
  TNuraEngine engine;
  TNuraBase& base = engine.Base();
  std::string source = SJ("A\nB\nC");  // saved on Linux, no line end at the end
  PreprocessSource(source, "x.nrs");
  base.SetFileName(SJ("/home/u/ソ%s.nrs"));
  TextRef text = MakeText(source);
  base.cursor = TextPos(text, text->c_str() + text->find('B'));
  EXPECT_EQ(engine.FormatErrorMessage("10%3"), SJ("[エラー] ソ%s.nrs(2行目): 10%3"));
  base.cursor = TextPos(text, text->c_str() + text->find('C'));
  EXPECT_EQ(engine.CurrentLine(), 3);
  EXPECT_EQ(base.line, 3);
  base.cursor.Reset();
  EXPECT_EQ(engine.CurrentLine(), 3);  // no cursor: the held line
  ErrorLog().clear();
  EXPECT_FALSE(engine.ReportWarning("w"));  // no dialog without "-debug"
  EXPECT_EQ(ErrorLog(), SJ("[注　意] ソ%s.nrs(3行目): w\r\n"));
  ErrorLog().clear();
}

TEST(EngineErrors, DialogImeMode) {
  TNuraEngine engine;
  EXPECT_EQ(engine.GetDialogImeMode(3), TImeMode::KatakanaFull);
  EXPECT_EQ(engine.GetDialogImeMode(9), TImeMode::Closed);
  EXPECT_EQ(engine.GetDialogImeMode(-1), TImeMode::Closed);  // no variable
  engine.Base().AddVariable(SJ("ダイアログIMEの状態"), "2", "");
  EXPECT_EQ(engine.GetDialogImeMode(-1), TImeMode::Hiragana);
  engine.Base().AddVariable(SJ("ダイアログIMEの状態"), "2x", "");
  EXPECT_EQ(engine.GetDialogImeMode(-1), TImeMode::Closed);
  EXPECT_EQ(engine.GetDialogImeMode(1), TImeMode::Open);
}

}  // namespace
}  // namespace nura
