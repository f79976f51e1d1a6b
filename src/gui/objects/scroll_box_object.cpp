// スクロール (kind 18): a scroll box; objects moved onto it scroll inside.
#include <QScrollArea>

#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"

namespace nura {
namespace {

class TScrollBoxObject : public TGuiObject {
 public:
  explicit TScrollBoxObject(QScrollArea* area) : TGuiObject(TObjectKind::ScrollBox, area, true) {}
  QScrollArea* Area() const { return static_cast<QScrollArea*>(Widget()); }

  QWidget* ChildArea() const override { return Area()->widget(); }

 protected:
  unsigned Events() const override { return kOnClick | kOnDblClick | kOnMouse; }
  QList<QWidget*> EventWidgets() const override {
    QList<QWidget*> widgets = TGuiObject::EventWidgets();
    if (Area() && Area()->widget()) widgets << Area()->widget();
    return widgets;
  }
  bool HasColour() const override { return true; }
};

std::unique_ptr<TGuiObject> MakeScrollBox(const TObjectRecipe& recipe) {
  auto* area = new QScrollArea(ObjectParent(recipe));
  area->resize(300, 200);
  auto* content = new QWidget;
  content->resize(1, 1);
  area->setWidget(content);
  area->setWidgetResizable(true);
  return std::make_unique<TScrollBoxObject>(area);
}

}  // namespace

void RegisterScrollBoxKind() { RegisterObjectKind(TObjectKind::ScrollBox, MakeScrollBox); }

}  // namespace nura
