// メニュー (kind 13): a menu item, made by "メニュー作成" in the main
// window's menu bar or by "メニュー追加" under another item. The item is an
// action; the object's widget is the menu that holds its sub-items, which
// the action opens once it has any. Freeing an item frees its sub-items.
#pragma once

#include <QPointer>

#include "gui/objects/gui_object.h"

class QAction;
class QMenu;
class QMenuBar;

namespace nura {

class TMenuObject : public TGuiObject {
 public:
  // A new item with `caption` (Shift-JIS), its sub-item menu owned by
  // `owner`.
  TMenuObject(QWidget* owner, const std::string& caption);
  QAction* Action() const { return action_.data(); }
  QMenu* Menu() const;

  // Appends the item to a menu bar, or under another item.
  void AppendTo(QMenuBar& bar);
  void AppendTo(TMenuObject& parent);

  TReadResult Read(TProperty p, TPropertyValue& out) override;
  TWriteResult Write(TProperty p, TPropertyInput& in) override;
  std::optional<std::string> Caption() const override;
  void SetCaption(const std::string& text) override;
  // Destruction hides the item.
  void Empty() override;

 protected:
  unsigned Events() const override { return kOnClick; }
  bool ClicksBySignal() const override { return true; }
  QList<QWidget*> EventWidgets() const override { return {}; }
  void ConnectSignals() override;

 private:
  QPointer<QAction> action_;
};

}  // namespace nura
