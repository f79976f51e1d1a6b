#include "editor/editor_text.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "editor/editor_idents.h"
#include "editor/editor_pictures.h"
#include "editor/row_list.h"
#include "platform/sjis.h"

namespace nura {
namespace {

TEST(EditorText, PositionsStepOverTwoByteCharactersWhole) {
  const std::string a = SJ("あa");
  EXPECT_TRUE(IsDbcsLeadAt(a, 1));
  EXPECT_TRUE(IsDbcsTrailAt(a, 2));
  EXPECT_FALSE(IsDbcsTrailAt(a, 3));
  EXPECT_FALSE(IsDbcsLeadAt(a, 2));
  EXPECT_FALSE(IsDbcsLeadAt(a, 0));
  EXPECT_EQ(ByteAtPos(a, 3), 'a');
  EXPECT_EQ(ByteAtPos(a, 4), 0);
  EXPECT_EQ(CountCharInPrefix("a\tb\tc", '\t', 3), 1);
  EXPECT_EQ(CountCharInPrefix("a\t", '\t', 99), 1);
  // A lead byte with no trail byte after it is one byte of its own.
  const std::string broken = std::string("\x82") + "\r";
  EXPECT_FALSE(IsDbcsLeadAt(broken, 1));
  EXPECT_FALSE(IsDbcsTrailAt(broken, 2));
  EXPECT_FALSE(IsDbcsLeadAt("\x82", 1));
}

TEST(EditorText, ContainsMatchesOnlyAtCharacterStarts) {
  // The trail byte of "ア" (0x83 0x41) is "A".
  EXPECT_FALSE(SjisContains("A", SJ("ア")));
  EXPECT_TRUE(SjisContains("A", SJ("アA")));
  EXPECT_TRUE(SjisContains(SJ("「"), SJ("（［｛「『")));
  EXPECT_FALSE(SjisContains("", "abc"));
  EXPECT_FALSE(SjisContains("abcd", "abc"));
}

TEST(EditorText, TextToStringsSplitsAtEveryBreakAndStopsAtNul) {
  TheStringList list;
  int changes = 0;
  list.OnChange = [&](TheStringList&) { ++changes; };
  TextToStrings("a\r\nb\nc\rd\r\n", list);
  ASSERT_EQ(list.GetCount(), 4);
  EXPECT_EQ(list.Get(3), "d");
  EXPECT_EQ(changes, 1);
  TextToStrings("a\rb", list);
  EXPECT_EQ(list.GetCount(), 2);
  TextToStrings(std::string("x\r\ny\0\r\n\r\n\r\n", 10), list);
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list.Get(1), "y");
}

TEST(EditorIdents, ColourAndCursorNamesRoundTrip) {
  EXPECT_EQ(ColorToIdent(clNavy), "clNavy");
  EXPECT_EQ(IdentToColor("CLNONE"), clNone);
  EXPECT_EQ(IdentToColor("clWindow"), clWindow);
  EXPECT_FALSE(ColorToIdent(0x123456));
  EXPECT_FALSE(IdentToColor("clNothing"));
  EXPECT_EQ(ColorToQColor(clRed), QColor(255, 0, 0));
  EXPECT_FALSE(ColorToQColor(clNone).isValid());
  EXPECT_TRUE(ColorToQColor(clWindowText).isValid());
  EXPECT_EQ(EditorCursorToIdent(crIBeam), "crIBeam");
  EXPECT_EQ(EditorIdentToCursor("crrightarrow"), crRightArrow);
  EXPECT_EQ(EditorIdentToCursor("crDragSelCopy"), crDragSelCopy);
  EXPECT_EQ(CursorToQtShape(crIBeam), Qt::IBeamCursor);
  std::vector<std::string> names;
  GetEditorCursorValues([&](std::string_view n) { names.emplace_back(n); });
  ASSERT_GE(names.size(), 3u);
  EXPECT_EQ(names[names.size() - 2], "crRightArrow");
  EXPECT_EQ(names.back(), "crDragSelCopy");
}

TEST(EditorPictures, OwnCursorsMarksAndDottedLines) {
  EXPECT_FALSE(EditorCursorImage(crRightArrow).isNull());
  EXPECT_FALSE(EditorCursorImage(crDragSelCopy).isNull());
  EXPECT_TRUE(EditorCursorImage(crIBeam).isNull());
  EXPECT_EQ(MarkDigitImage(9).size(), QSize(8, 11));
  EXPECT_EQ(MarkImage(5).size(), QSize(11, 11));
  EXPECT_TRUE(MarkImage(6).isNull());

  QImage image(40, 3, QImage::Format_RGB32);
  image.fill(Qt::green);
  {
    QPainter p(&image);
    DrawDotLine(p, 5, 1, clWhite, clBlack, 34);
  }
  EXPECT_EQ(image.pixelColor(4, 1), QColor(Qt::green));
  for (int x = 5; x <= 34; ++x) {
    EXPECT_EQ(image.pixelColor(x, 1), (x - 5) % 2 ? QColor(Qt::white) : QColor(Qt::black)) << x;
  }
  EXPECT_EQ(image.pixelColor(35, 1), QColor(Qt::green));
  EXPECT_EQ(image.pixelColor(5, 0), QColor(Qt::green));
}

}  // namespace
}  // namespace nura
