#include "editor/row_list.h"

#include <gtest/gtest.h>

namespace nura {
namespace {

TEST(RowList, EditsFireChangingAndChangedAroundEachChange) {
  TheStringList list;
  std::string log;
  list.OnChanging = [&](TheStringList&) { log += "<"; };
  list.OnChange = [&](TheStringList&) { log += ">"; };
  list.Clear();
  EXPECT_EQ(log, "");
  EXPECT_EQ(list.Add("a"), 0);
  list.Insert(0, "b");
  list.Put(1, "c");
  list.Exchange(0, 1);
  EXPECT_EQ(list.Get(0), "c");
  list.Delete(0);
  EXPECT_EQ(log, "<><><><><>");
  log.clear();
  list.BeginUpdate();
  list.BeginUpdate();
  list.Add("x");
  list.EndUpdate();
  EXPECT_EQ(log, "<");
  list.EndUpdate();
  EXPECT_EQ(log, "<>");
  for (int i = 0; i < 100; ++i) list.Add("r");
  EXPECT_GE(list.GetCapacity(), list.GetCount());
}

TEST(RowList, IndexesOutsideTheListRaiseTheListError) {
  TheStringList list;
  list.Add("a");
  EXPECT_THROW(list.Get(1), EStringListError);
  EXPECT_THROW(list.Insert(2, "x"), EStringListError);
  EXPECT_NO_THROW(list.Insert(1, "x"));
  EXPECT_THROW(list.Exchange(-1, 0), EStringListError);
  EXPECT_THROW(list.SetAttrA(5, 1), EStringListError);
  EXPECT_THROW(list.Delete(2), EStringListError);
}

TEST(RowList, AttributeFieldsAreMaskedToTheirBits) {
  TRowAttributeStringList list;
  list.Add("row");
  EXPECT_EQ(list.GetAttrA(0), 0u);
  list.SetRowParseState(0, -2);
  EXPECT_EQ(list.GetAttrA(0), 0u);
  list.SetRowParseState(0, 13);
  EXPECT_EQ(list.GetAttrA(0), 0xF0u);
  list.SetRowByteA2(0, 0x77);
  list.SetRowByteA1(0, 0x1FF);
  EXPECT_EQ(list.GetRowByteA1(0), 0xFF);
  EXPECT_EQ(list.GetRowByteA2(0), 0x77);
  list.SetRowParseState(0, 20);  // out of range: stays inside its four bits
  EXPECT_EQ(list.GetRowKind(0), 0);
  EXPECT_EQ(list.GetRowByteA1(0), 0xFF);
  list.SetRowKind(0, 2);
  list.SetRowParseState(0, 5);
  EXPECT_EQ(list.GetRowKind(0), 2);
  EXPECT_EQ(list.GetRowParseState(0), 5);
  list.SetRowWordB(0, 0x3FF);
  list.SetRowByteB1(0, 0x12);
  EXPECT_EQ(list.GetRowWordB(0), 0x3FF);
  EXPECT_EQ(list.GetRowByteB0(0), 0);
  TRowAttributeData d = list.GetRowAttributeData(0);
  d.parseState = -1;
  d.text = "s";
  list.SetRowAttributeData(0, d);
  EXPECT_EQ(list.GetRowAttributeData(0), d);
  EXPECT_EQ(list.GetRowKind(0), 2);
}

}  // namespace
}  // namespace nura
