// The sortable grid: its comparison and row sort (also on crafted data
// that drives quicksort to its worst case, on a small stack), header
// clicks on a real grid, the arrow it draws, and grid objects.
#include "gui/str_sort_grid.h"

#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <pthread.h>

#include "gui/row_sort.h"
#include "platform/sjis.h"
#include "object_fixture.h"
#include "common/qt_app.h"

namespace nura {
namespace {

// ---- comparison and sort ----

std::vector<std::string> Sorted(std::vector<std::string> texts) {
  std::vector<std::string> keys;
  for (const std::string& t : texts) keys.push_back(GridSortKey(t));
  std::vector<std::string> out;
  for (int i : SortedRowOrder(keys)) out.push_back(texts[static_cast<size_t>(i)]);
  return out;
}

TEST(GridSort, TextOrderWithLettersUpperCasedOnly) {
  // Numbers sort as text; case is ignored for ASCII letters.
  EXPECT_EQ(Sorted({"9", "10"}), (std::vector<std::string>{"10", "9"}));
  EXPECT_EQ(Sorted({"ABD", "abc"}), (std::vector<std::string>{"abc", "ABD"}));
  // The trail byte of ビ (83 72) is no letter: ゴ (83 53) stays before it.
  EXPECT_EQ(GridSortKey(SJ("aビb")), SJ("Aビ") + "B");
  EXPECT_EQ(Sorted({SJ("ビ"), SJ("ゴ")}), (std::vector<std::string>{SJ("ゴ"), SJ("ビ")}));
  // Long keys are whole keys.
  const std::string longA(300, 'a'), longB = std::string(299, 'a') + "b";
  EXPECT_EQ(Sorted({longB, longA}), (std::vector<std::string>{longA, longB}));
}

TEST(GridSort, BubblePassesAndQuicksortAgree) {
  std::vector<std::string> texts;
  for (int i = 0; i < 40; ++i) texts.push_back(std::to_string((i * 37) % 23));
  std::vector<std::string> expected = texts;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Sorted(texts), expected);
  EXPECT_EQ(Sorted({"c", "a", "b"}), (std::vector<std::string>{"a", "b", "c"}));
}

// An adversary that decides comparisons as the sort asks them, so that
// every pivot turns out to be the smallest of the candidates left: the
// values it fixes are the worst input for this sort.
struct TAdversary {
  explicit TAdversary(int n) : value(static_cast<size_t>(n), n), gas(n) {}
  bool Less(int x, int y) {
    int& vx = value[static_cast<size_t>(x)];
    int& vy = value[static_cast<size_t>(y)];
    if (vx == gas && vy == gas) (x == candidate ? vx : vy) = solid++;
    if (vx == gas) candidate = x;
    else if (vy == gas) candidate = y;
    return vx < vy;
  }
  std::vector<int> value;
  int gas;
  int solid = 0;
  int candidate = 0;
};

TEST(GridSort, CraftedRowsSortOnASmallStack) {
  constexpr int kRows = 10000;
  TAdversary adversary(kRows);
  std::vector<int> items(kRows);
  for (int i = 0; i < kRows; ++i) items[static_cast<size_t>(i)] = i;
  SortRows(items, 0, kRows - 1, [&](int a, int b) { return adversary.Less(a, b); });
  struct TJob {
    std::vector<std::string> keys;
    std::vector<int> order;
  } job;
  for (int v : adversary.value) {
    char key[8];
    std::snprintf(key, sizeof key, "%05d", v);
    job.keys.push_back(key);
  }
  // Recursing into both parts would need thousands of frames here.
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 128 * 1024);
  pthread_t thread;
  ASSERT_EQ(pthread_create(
                &thread, &attr,
                [](void* p) -> void* {
                  auto* j = static_cast<TJob*>(p);
                  j->order = SortedRowOrder(j->keys);
                  return nullptr;
                },
                &job),
            0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  ASSERT_EQ(job.order.size(), static_cast<size_t>(kRows));
  for (int k = 1; k < kRows; ++k)
    ASSERT_LE(job.keys[static_cast<size_t>(job.order[k - 1])], job.keys[static_cast<size_t>(job.order[k])]);
}

// ---- the grid ----

class StrSortGridTest : public ::testing::Test {
 protected:
  StrSortGridTest() : owned((test::EnsureQtApplication(), std::make_unique<TStrSortGrid>())), grid(*owned) {}
  void SetUp() override {
    grid.resize(320, 200);
    grid.SetSize(5, 2);
    const char* const cells[5][2] = {{"name", "n"}, {"b", "2"}, {"C", "3"}, {"a", "1"}, {"", ""}};
    for (int r = 0; r < 5; ++r)
      for (int c = 0; c < 2; ++c) grid.SetCell(c, r, cells[r][c]);
    grid.show();
  }
  void ClickCell(int row, int col) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier,
                      grid.visualItemRect(grid.item(row, col)).center());
  }
  std::string Column(int col) {
    std::string all;
    for (int r = 0; r < grid.rowCount(); ++r) all += grid.GetCell(col, r) + ";";
    return all;
  }
  std::unique_ptr<TStrSortGrid> owned;
  TStrSortGrid& grid;
};

TEST_F(StrSortGridTest, HeaderClicksSortDescendingThenAscendingAndKeepTheLastRow) {
  ClickCell(0, 0);
  EXPECT_FALSE(grid.Ascending());
  EXPECT_EQ(Column(0), "name;C;b;a;;");
  EXPECT_EQ(Column(1), "n;3;2;1;;");  // rows move whole
  ClickCell(0, 0);
  EXPECT_EQ(Column(0), "name;a;b;C;;");
  ClickCell(2, 0);  // a data row does not sort
  EXPECT_EQ(Column(0), "name;a;b;C;;");
  EXPECT_EQ(grid.SelectedRow(), 2);
  grid.SortOps = TSortops::soUponly;
  ClickCell(0, 1);
  ClickCell(0, 1);
  EXPECT_EQ(Column(1), "n;1;2;3;;");
  grid.SortOps = TSortops::soDownOnly;
  ClickCell(0, 1);
  EXPECT_EQ(Column(1), "n;3;2;1;;");
  grid.SortOps = TSortops::soNon;
  ClickCell(0, 0);
  EXPECT_EQ(Column(1), "n;3;2;1;;");
  // Rows without cell items sort too.
  TStrSortGrid fresh;
  fresh.SetCell(0, 2, "z");
  fresh.HeaderClick(0);
  EXPECT_EQ(fresh.GetCell(0, 1), "z");
}

TEST_F(StrSortGridTest, DraggingTheRightEdgeOfAHeaderCellSizesTheColumn) {
  const int edge = grid.visualItemRect(grid.item(0, 0)).right();
  const int y = grid.visualItemRect(grid.item(0, 0)).center().y();
  QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(edge, y));
  QMouseEvent move(QEvent::MouseMove, QPointF(edge + 30, y), grid.viewport()->mapToGlobal(QPointF(edge + 30, y)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(grid.viewport(), &move);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(edge + 30, y));
  EXPECT_EQ(grid.columnWidth(0), edge + 30);
}

TEST_F(StrSortGridTest, TheSortedHeaderShowsItsArrowBesideTheText) {
  const QRect cell = grid.visualItemRect(grid.item(0, 0));
  const int textWidth = QFontMetrics(grid.font()).horizontalAdvance("name");
  const QRect arrow = grid.GlyphRect(cell, textWidth);
  auto dark = [](const QImage& shot, int x, int y) { return qGray(shot.pixel(x, y)) < 60; };
  auto darkInRow = [&](const QImage& shot, int y) {
    int n = 0;
    for (int x = arrow.left(); x <= arrow.right(); ++x) n += dark(shot, x, y);
    return n;
  };
  QImage before = grid.viewport()->grab().toImage();
  for (int y = arrow.top(); y <= arrow.bottom(); ++y) EXPECT_EQ(darkInRow(before, y), 0);
  // Descending: the widest row on top.
  ClickCell(0, 0);
  QImage down = grid.viewport()->grab().toImage();
  EXPECT_EQ(darkInRow(down, arrow.top() + 2), TStrSortGrid::kGlyphSize);
  EXPECT_EQ(darkInRow(down, arrow.top() + 5), 2);
  EXPECT_EQ(down.pixel(cell.center().x(), cell.bottom() - 1), grid.palette().color(QPalette::Button).rgb());
  ClickCell(0, 0);
  QImage up = grid.viewport()->grab().toImage();
  EXPECT_EQ(darkInRow(up, arrow.top() + 2), 2);
  EXPECT_EQ(darkInRow(up, arrow.top() + 5), TStrSortGrid::kGlyphSize);
}

// ---- grid objects ----

using GridObjectTest = test::ObjectFixture;

TEST_F(GridObjectTest, CsvRoundTripRowsAndSorting) {
  Run("G1をグリッドとして作成\nG1は「名前,値\nb,2\nA,10\nc,9\n」\n"
      "T=G1\nI=G1のアイテム\nV=G1の値\nG1の値は3\nW=G1の値\nG1の値は9\nX=G1の値\n"
      "G2をグリッドとして作成\nG2のテキストは「k\nb\na」\nG2のソートは0\n待機\n");
  EXPECT_EQ(Errors(), "");
  EXPECT_EQ(Value("T"), "名前,値\r\nb,2\r\nA,10\r\nc,9\r\n,\r\n");  // the empty last row
  EXPECT_EQ(Value("I"), "名前,値\r\nb,2\r\nA,10\r\nc,9\r\n");
  EXPECT_EQ(Value("V"), "1");
  EXPECT_EQ(Value("W"), "3");
  EXPECT_EQ(Value("X"), "3");  // beyond the rows: ignored
  auto* grid = WidgetOf<TStrSortGrid>("G1");
  auto* unsorted = WidgetOf<TStrSortGrid>("G2");
  ASSERT_NE(grid, nullptr);
  ASSERT_NE(unsorted, nullptr);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                    grid->visualItemRect(grid->item(0, 1)).center());
  EXPECT_EQ(grid->GetCell(0, 1) + grid->GetCell(0, 2) + grid->GetCell(0, 3), "cbA");
  QTest::mouseClick(unsorted->viewport(), Qt::LeftButton, Qt::NoModifier,
                    unsorted->visualItemRect(unsorted->item(0, 0)).center());
  EXPECT_EQ(unsorted->GetCell(0, 1) + unsorted->GetCell(0, 2), "ba");
}

TEST_F(GridObjectTest, AHeaderClickSortsBeforeTheMouseDownCode) {
  Run("G1をグリッドとして作成\nG1は「k\na\nb\n」\nG1のマウス押した時は「T=G1」\n待機\n");
  auto* grid = WidgetOf<TStrSortGrid>("G1");
  ASSERT_NE(grid, nullptr);
  QTest::mousePress(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                    grid->visualItemRect(grid->item(0, 0)).center());
  QTest::mouseRelease(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                      grid->visualItemRect(grid->item(0, 0)).center());
  EXPECT_EQ(Value("T"), "k\r\nb\r\na\r\n\r\n");  // descending first
}

}  // namespace
}  // namespace nura
