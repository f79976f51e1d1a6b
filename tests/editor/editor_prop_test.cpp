// Editor settings objects: copying between editors, the script defaults,
// and the round trip through an INI file.
#include <gtest/gtest.h>

#include "editor/component_stream.h"
#include "editor/editor_object.h"
#include "editor/editor_prop.h"
#include "platform/sjis.h"
#include "common/qt_app.h"
#include "common/run_program.h"

namespace nura {
namespace {

TEST(EditorProp, CopiesOptionsBetweenEditorsWithWrapLast) {
  test::EnsureQtApplication();
  TEditor first;
  ApplyScriptEditorDefaults(first);
  EXPECT_EQ(first.Color(), clWhite);
  EXPECT_EQ(first.ScrollBars(), TScrollStyle::ssBoth);
  EXPECT_EQ(first.Caret().TabSpaceCount(), 4);
  EXPECT_TRUE(first.Leftbar().Visible());
  EXPECT_EQ(first.ReserveWordList(), std::vector<std::string>{SJ("＊")});
  EXPECT_EQ(first.View().Brackets().Count(), 4);
  first.Caret().SetTabSpaceCount(6);
  first.WrapOption().SetWrapByte(30);
  first.SetWordWrap(true);
  first.Font().SetHeight(-20);
  TEditorProp prop;
  prop.AssignFromEditor(first);

  TEditor second;
  second.SetText(std::string(50, 'x'));
  prop.AssignToEditor(second);
  EXPECT_EQ(second.Caret().TabSpaceCount(), 6);
  EXPECT_EQ(second.Font().Height(), -20);
  EXPECT_TRUE(second.WordWrap());
  // Wrapped at the copied width, not the old one.
  EXPECT_EQ(second.RowCount(), 2);
  EXPECT_EQ(second.List().Get(0).size(), 30u);
}

TEST(EditorProp, RoundTripThroughIniAndAssignErrors) {
  TEditorProp saved;
  saved.Assign(ScriptEditorDefaults());
  saved.SetReserveWordList({"begin", "end"});
  saved.SetFileExtList({".nrs"});
  const std::string ini = test::MakeTempFolder() + "/editor.ini";
  ASSERT_TRUE(saved.SaveToIni(ini, "E1", "nura"));
  TEditorProp loaded;
  loaded.LoadFromIni(ini, "E1", "nura");
  EXPECT_EQ(WriteComponent(loaded), WriteComponent(saved));
  EXPECT_EQ(loaded.View().Brackets().Count(), 4);
  EXPECT_EQ(loaded.ReserveWordList(), (std::vector<std::string>{"begin", "end"}));
  EXPECT_EQ(loaded.FileExtList(), std::vector<std::string>{".nrs"});

  TEditorCaret caret;
  EXPECT_THROW(loaded.Assign(caret), ERuntimeError);
}

}  // namespace
}  // namespace nura
