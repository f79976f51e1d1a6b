#include "editor/column_attributes.h"

#include <gtest/gtest.h>

#include "platform/sjis.h"

namespace nura {
namespace {

TEST(ColumnAttributes, TabsTwoByteCharactersAndDelimiters) {
  const TColumnLayout four{4, false, 80};
  const std::string text = "a\t" + SJ("あ") + ",_";
  EXPECT_EQ(MakeColumnAttributes(text, four), "1233452" "1");
  EXPECT_EQ(ExpandedLength(text, four), 8);
  EXPECT_EQ(ExpandedLength("plain", four), 5);
  // A lead byte without its trail byte is one column.
  EXPECT_EQ(MakeColumnAttributes("\x82\r", four), "12");
  // With word wrap a tab stops at the wrap column, and production stops
  // three columns past it.
  const TColumnLayout wrap{8, true, 20};
  EXPECT_EQ(MakeColumnAttributes(std::string(17, 'x') + "\tyy", wrap), std::string(17, '1') + "233" "11");
  EXPECT_EQ(ExpandedLength(std::string(17, 'x') + "\tyy", wrap), 22);
  EXPECT_EQ(MakeColumnAttributes(std::string(40, 'x'), wrap).size(), 23u);
  EXPECT_EQ(MakeColumnAttributes(std::string(2000, 'x'), four).size(), 1000u);
}

TEST(ColumnAttributes, WalkerKeepsTheByteIndexOfTheCharacter) {
  const std::string text = "a\t" + SJ("あ") + "b";
  const std::string attrs = MakeColumnAttributes(text, {4, false, 80});  // "1233451"
  TEditorAttributeArray w;
  w.Start(text, attrs);
  EXPECT_EQ(w.ColumnCount(), 7);
  EXPECT_EQ(w.Column(), 1);
  EXPECT_EQ(w.GetCharacter(), "a");
  w.MoveToColumn(4);
  EXPECT_EQ(w.Attribute(), '3');
  EXPECT_EQ(w.ByteIndex(), 2);
  EXPECT_EQ(w.GetCharacter(), "\t");
  EXPECT_EQ(w.PeekNext(), SJ("あ"));
  w.Next();
  EXPECT_EQ(w.GetCharacter(), SJ("あ"));
  w.Next();
  EXPECT_EQ(w.Attribute(), '5');
  EXPECT_EQ(w.GetCharacter(), SJ("あ"));
  w.StepBackCharacter();  // off the whole two-byte character
  EXPECT_EQ(w.Column(), 4);
  EXPECT_EQ(w.ByteIndex(), 2);
  w.MoveToColumn(99);
  EXPECT_TRUE(w.OnSentinel());
  EXPECT_EQ(w.GetCharacter(), "");
  w.Next();
  EXPECT_EQ(w.Column(), 8);
  w.Prior();
  EXPECT_EQ(w.GetCharacter(), "b");
  EXPECT_EQ(w.PeekNext(), "");
  w.MoveToColumn(0);
  EXPECT_EQ(w.Column(), 1);
  EXPECT_EQ(w.ByteIndex(), 1);
  w.Start("", "");
  EXPECT_TRUE(w.OnSentinel());
}

}  // namespace
}  // namespace nura
