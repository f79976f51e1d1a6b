#include "editor/editor_options.h"

#include <gtest/gtest.h>

#include "engine/errors.h"

namespace nura {
namespace {


TEST(EditorOptions, SettersClampAndRound) {
  TEditorCaret caret;
  const std::pair<int, int> tabs[] = {{7, 6}, {1, 2}, {9, 8}, {4, 4}, {-5, 2}};
  for (auto [in, out] : tabs) {
    caret.SetTabSpaceCount(in);
    EXPECT_EQ(caret.TabSpaceCount(), out) << in;
  }
  TEditorRuler ruler;
  ruler.SetGaugeRange(9);
  EXPECT_EQ(ruler.GaugeRange(), 8);
  ruler.SetGaugeRange(12);
  EXPECT_EQ(ruler.GaugeRange(), 10);
  TEditorMargin margin;
  EXPECT_EQ(margin.Left(), 19);
  EXPECT_EQ(margin.Top(), 2);
  margin.SetLeft(101);
  EXPECT_EQ(margin.Left(), 100);
  TEditorLeftbar bar;
  bar.SetColumn(0);
  EXPECT_EQ(bar.Column(), 1);
  TEditorSpeed speed;
  speed.SetPageVerticalRange(0);
  speed.SetCaretVerticalAc(1000000);
  EXPECT_EQ(speed.PageVerticalRange(), 1);
  EXPECT_EQ(speed.CaretVerticalAc(), 4);
  TEditorWrapOption wrap;
  wrap.SetWrapByte(10);
  EXPECT_EQ(wrap.WrapByte(), 20);
  wrap.SetWrapByte(300);
  EXPECT_EQ(wrap.WrapByte(), 250);
}

TEST(EditorOptions, ChangesNotifyOnlyWhenAValueDiffers) {
  int changes = 0;
  TEditorRuler ruler;
  ruler.OnChange = [&](TPersistent* sender) {
    EXPECT_EQ(sender, &ruler);
    ++changes;
  };
  ruler.SetVisible(false);
  ruler.SetGaugeRange(10);
  ruler.SetGaugeRange(11);  // rounds to the current value
  EXPECT_EQ(changes, 0);
  ruler.SetColor(clRed);
  EXPECT_EQ(changes, 1);
  TEditorWrapOption wrap;
  wrap.OnChange = [&](TPersistent*) { ++changes; };
  wrap.SetWrapByte(300);
  wrap.SetWrapByte(250);
  EXPECT_EQ(changes, 2);
  // A nested part's change reaches the container's handler once.
  TEditorCaret caret;
  caret.OnChange = [&](TPersistent*) { ++changes; };
  caret.SetTabSpaceCount(4);
  caret.SetInTab(true);  // a plain field
  EXPECT_EQ(changes, 3);
}

TEST(EditorOptions, AssignCopiesEverythingWithOneChange) {
  TEditorMarks a, b;
  b.EofMark().SetVisible(true);
  b.RetMark().SetColor(clBlue);
  b.Underline().SetColor(clRed);
  int changes = 0;
  a.OnChange = [&](TPersistent*) { ++changes; };
  a.Assign(b);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(a.EofMark().Visible());
  EXPECT_EQ(a.RetMark().Color(), clBlue);
  EXPECT_EQ(a.Underline().Color(), clRed);

  TEditorCaret c1, c2;
  c2.Cursors().SetDefaultCursor(crArrow);
  c2.SetSoftTab(true);
  c2.SetTabSpaceCount(2);
  c1.OnChange = [&](TPersistent*) { ++changes; };
  c1.Assign(c2);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(c1.Cursors().DefaultCursor(), crArrow);
  EXPECT_TRUE(c1.SoftTab());
  EXPECT_EQ(c1.TabSpaceCount(), 2);

  TEditorMargin m1, m2;
  m2.SetUnderline(1);
  m1.Assign(m2);
  EXPECT_EQ(m1.Underline(), 1);
  EXPECT_THROW(m1.Assign(c1), ERuntimeError);
  TEditorSpeed s1, s2;
  s2.SetInitBracketsFull(true);
  s1.Assign(s2);
  EXPECT_TRUE(s1.InitBracketsFull());
}

}  // namespace
}  // namespace nura
