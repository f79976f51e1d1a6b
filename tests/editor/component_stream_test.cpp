#include "editor/component_stream.h"

#include <gtest/gtest.h>

#include <random>

#include "editor/editor_options.h"
#include "editor/editor_view_info.h"
#include "engine/errors.h"
#include "platform/file_io.h"
#include "platform/ini_file.h"
#include "platform/sjis.h"
#include "common/run_program.h"

namespace nura {
namespace {

// A settings component with the option groups, as the editor stores them.
class Settings : public TFileExtComponent {
 public:
  TEditorCaret caret;
  TEditorMarks marks;
  TEditorRuler ruler;
  TEditorSpeed speed;
  TEditorViewInfo view;
  TEditorWrapOption wrap;
  std::string_view ClassName() const override { return "TSettings"; }
  TEditorCaret& Caret() { return caret; }
  TEditorMarks& Marks() { return marks; }
  TEditorRuler& Ruler() { return ruler; }
  TEditorSpeed& Speed() { return speed; }
  TEditorViewInfo& View() { return view; }
  TEditorWrapOption& WrapOption() { return wrap; }
  const TPropList& Properties() const override {
    using C = Settings;
    static const TPropList props = ExtendProps(
        TFileExtComponent::Properties(),
        {ObjProp<C, &C::Caret>("Caret"), ObjProp<C, &C::Marks>("Marks"), ObjProp<C, &C::Ruler>("Ruler"),
         ObjProp<C, &C::Speed>("Speed"), ObjProp<C, &C::View>("View"), ObjProp<C, &C::WrapOption>("WrapOption")});
    return props;
  }
};

void Customise(Settings& s) {
  s.SetName("memo1");
  s.SetFileExtList({".txt", ".nrs"});
  s.caret.SetTabSpaceCount(4);
  s.caret.SetStyle(TEditorCaretStyle::csBrief);
  s.caret.Cursors().SetDefaultCursor(crArrow);
  s.caret.Cursors().SetInSelCursor(-99);  // a cursor number without a name
  s.marks.RetMark().SetVisible(true);
  s.marks.EofMark().SetColor(0x123456);
  s.ruler.SetGaugeRange(8);
  s.speed.SetPageVerticalRange(4);
  s.view.SetCommenter("//");
  s.view.SetQuotation(SJ("「"));
  s.view.Colors().Reserve().SetStyle(fsBold | fsItalic);
  s.view.Colors().Int().SetColor(clWindowText);
  s.view.Brackets().AddBracket("{", "}").ItemColor().SetColor(clRed);
  s.view.Brackets().AddBracket(SJ("（"), SJ("）"));
  s.wrap.SetWrapByte(120);
  s.wrap.SetFollowStr(std::string(300, 'x'));  // a long string
}

TEST(ComponentStream, HexLinesOfThirtyTwoBytes) {
  const std::string stream32(32, '\xAB');
  auto lines = StreamToHexLines(stream32);
  ASSERT_EQ(lines.size(), 1u);
  std::string digits;
  for (int i = 0; i < 32; ++i) digits += "AB";
  EXPECT_EQ(lines[0], digits);
  lines = StreamToHexLines(stream32 + "\x01");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "01");
  EXPECT_EQ(HexLinesToStream({"abAB0f", "zz7"}), std::string("\xAB\xAB\x0F\x00\x07", 5));
}

TEST(ComponentStream, SettingsRoundTripThroughTheIniFile) {
  const std::string folder = test::MakeTempFolder();
  const std::string ini = folder + "/edit.ini";
  ASSERT_TRUE(WriteFileAtomically(ini, "[other]\r\nkeep=1\r\n"));
  Settings saved;
  Customise(saved);
  ASSERT_TRUE(saved.SaveToIni(ini, "memo1", "nura"));
  TIniFile file;
  ASSERT_TRUE(file.Load(ini));
  EXPECT_EQ(file.ReadString("memo1", "nura_d0")->substr(0, 8), "54504630");
  EXPECT_EQ(file.ReadString("other", "keep"), "1");

  Settings loaded;
  loaded.LoadFromIni(ini, "memo1", "nura");
  EXPECT_EQ(WriteComponent(loaded), WriteComponent(saved));
  EXPECT_EQ(loaded.Name(), "memo1");
  EXPECT_EQ(loaded.caret.TabSpaceCount(), 4);
  EXPECT_EQ(loaded.caret.Cursors().InSelCursor(), -99);
  EXPECT_EQ(loaded.marks.EofMark().Color(), 0x123456);
  EXPECT_EQ(loaded.view.Brackets().Count(), 2);
  EXPECT_EQ(loaded.view.Brackets().Bracket(0).ItemColor().Color(), clRed);
  EXPECT_EQ(loaded.view.Colors().Reserve().Style(), fsBold | fsItalic);
  EXPECT_EQ(loaded.wrap.FollowStr().size(), 300u);
  EXPECT_TRUE(loaded.HasFileExt(".NRS"));

  // A section without the count loads nothing.
  Settings untouched;
  untouched.LoadFromIni(ini, "other", "nura");
  EXPECT_EQ(WriteComponent(untouched), WriteComponent(Settings()));
}

TEST(ComponentStream, ShorterSavesDeleteSurplusLines) {
  const std::string ini = test::MakeTempFolder() + "/s.ini";
  ASSERT_TRUE(WriteStreamToIni(std::string(100, 'x'), ini, "s", "p"));
  ASSERT_TRUE(WriteStreamToIni(std::string(40, 'y'), ini, "s", "p"));
  TIniFile file;
  ASSERT_TRUE(file.Load(ini));
  EXPECT_EQ(file.ReadString("s", "p_c"), "2");
  EXPECT_TRUE(file.ReadString("s", "p_d1"));
  EXPECT_FALSE(file.ReadString("s", "p_d2"));
  EXPECT_FALSE(file.ReadString("s", "p_d3"));
  EXPECT_EQ(ReadStreamFromIni(ini, "s", "p"), std::string(40, 'y'));
  ASSERT_TRUE(WriteStreamToIni("", ini, "s", "p"));
  ASSERT_TRUE(file.Load(ini));
  EXPECT_FALSE(file.ReadString("s", "p_c"));
  EXPECT_FALSE(file.ReadString("s", "p_d0"));
  // The lines run to the count, a missing one reading as an empty line; a
  // huge count costs nothing.
  ASSERT_TRUE(WriteFileAtomically(ini, "[s]\r\np_c=99999999999\r\np_d0=4142\r\np_d2=43\r\n"));
  EXPECT_EQ(ReadStreamFromIni(ini, "s", "p"), "ABC");
  ASSERT_TRUE(WriteFileAtomically(ini, "[s]\r\np_c=2\r\np_d0=41\r\np_d1=42\r\np_d2=43\r\n"));
  EXPECT_EQ(ReadStreamFromIni(ini, "s", "p"), "AB");
}

TEST(ComponentStream, ASaveDeletesTheOldCountsLinesAboveTheNewCountOnly) {
  const std::string ini = test::MakeTempFolder() + "/s.ini";
  // The old count is 5, with a gap at 3 and a key above the count.
  ASSERT_TRUE(WriteFileAtomically(
      ini, "[s]\r\np_c=5\r\np_d0=41\r\np_d1=42\r\np_d2=43\r\np_d4=44\r\np_d7=45\r\nq=1\r\n"));
  ASSERT_TRUE(WriteStreamToIni("Z", ini, "s", "p"));
  TIniFile file;
  ASSERT_TRUE(file.Load(ini));
  EXPECT_EQ(file.ReadString("s", "p_c"), "1");
  EXPECT_EQ(file.ReadString("s", "p_d0"), "5A");
  for (const char* gone : {"p_d1", "p_d2", "p_d3", "p_d4"}) EXPECT_FALSE(file.ReadString("s", gone)) << gone;
  EXPECT_EQ(file.ReadString("s", "p_d7"), "45");
  EXPECT_EQ(file.ReadString("s", "q"), "1");
  // A damaged count deletes only the keys that exist.
  ASSERT_TRUE(WriteFileAtomically(ini, "[s]\r\np_c=999999999999999999\r\np_d3=41\r\np_d900=42\r\n"));
  ASSERT_TRUE(WriteStreamToIni("Z", ini, "s", "p"));
  ASSERT_TRUE(file.Load(ini));
  EXPECT_FALSE(file.ReadString("s", "p_d3"));
  EXPECT_FALSE(file.ReadString("s", "p_d900"));
  EXPECT_EQ(ReadStreamFromIni(ini, "s", "p"), "Z");
}

TEST(ComponentStream, DamagedStreamsGiveTheStreamError) {
  Settings s;
  Customise(s);
  const std::string good = WriteComponent(s);
  EXPECT_THROW(ReadComponent("TPF1", s), EReadError);
  // A declared length far beyond the bytes left is refused before any
  // allocation.
  const std::string huge = std::string("TPF0\x01X\x00\x0EView.Commenter\x0C\xF0\xFF\xFF\x7F", 27) + "aaaa";
  EXPECT_THROW(ReadComponent(huge, s), EReadError);
  EXPECT_THROW(ReadComponent(std::string("TPF0\x01X\x00\x0EView.Commenter\x63", 23), s), EReadError);
  try {
    ReadComponent(std::string("TPF0\x01X\x01Y\x04Nope\x08\x00\x00", 14), s);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_NE(std::string(e.what()).find("Nope"), std::string::npos);
  }
  std::mt19937 rng(11);
  for (int round = 0; round < 3000; ++round) {
    std::string bad = good;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) bad[rng() % bad.size()] = static_cast<char>(rng());
    if (rng() % 4 == 0) bad.resize(rng() % bad.size());
    Settings target;
    try {
      ReadComponent(bad, target);
    } catch (const ERuntimeError&) {
      // EReadError, or the bracket limit of a collection
    }
  }
}

}  // namespace
}  // namespace nura
