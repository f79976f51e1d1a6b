// Menus, tabs and re-parenting on real widgets (offscreen).
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>

#include "gui/object_fixture.h"
#include "gui/objects/menu_object.h"

namespace nura {
namespace {

using ArrangeTest = test::ObjectFixture;

TEST_F(ArrangeTest, AMenuActionRunsItsLabelAndSubItemsOpenFromTheirParent) {
  Run("ファイルメニューをメニュー作成\nファイルメニューに終了メニューをメニュー追加\n"
      "終了メニューのクリックした時は終わる\n待機\n*終わる\nN=N+1\n終了メニューをオブジェクト破壊\n戻る\n");
  auto* file = dynamic_cast<TMenuObject*>(ObjectNamed("ファイルメニュー"));
  auto* quit = dynamic_cast<TMenuObject*>(ObjectNamed("終了メニュー"));
  ASSERT_TRUE(file && quit);
  EXPECT_TRUE(form->menuBar()->actions().contains(file->Action()));
  EXPECT_EQ(file->Action()->menu<QMenu*>(), file->Menu());
  EXPECT_TRUE(file->Menu()->actions().contains(quit->Action()));
  quit->Action()->trigger();
  EXPECT_EQ(Value("N"), "1");
  // Destroyed, the item leaves the menu at once.
  EXPECT_FALSE(quit->Action()->isVisible());
}

TEST_F(ArrangeTest, AButtonMovedOntoAPageControlLiesOnTheActivePage) {
  Run("Tをタブページとして作成\nTに「一」のタブ追加\nTに「二」のタブ追加\n"
      "Tを0にタブ有効変更\nTをオンにタブ有効変更\nTの値は1\nTを2にタブ有効変更\n"
      "Bをボタンとして作成\nBをTへ乗せる\n");
  auto* tabs = WidgetOf<QTabWidget>("T");
  auto* button = WidgetOf<QPushButton>("B");
  ASSERT_TRUE(tabs && button);
  EXPECT_EQ(button->parentWidget(), tabs->widget(1));
  EXPECT_FALSE(tabs->widget(1)->isEnabled());
  EXPECT_TRUE(tabs->widget(0)->isEnabled());
  EXPECT_EQ(tabs->currentIndex(), 1);
  EXPECT_EQ(Property("T", "アイテム"), "B\r\n");
}

}  // namespace
}  // namespace nura
