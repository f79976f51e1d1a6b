// ツリー (kind 20): a tree view; its value is the selected node's text.
#include <QHeaderView>
#include <QTreeWidget>

#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

class TTreeObject : public TGuiObject {
 public:
  explicit TTreeObject(QTreeWidget* tree) : TGuiObject(TObjectKind::Tree, tree, true) {}
  QTreeWidget* Tree() const { return static_cast<QTreeWidget*>(Widget()); }

  TReadResult ReadValue(TPropertyValue& out) override {
    const QList<QTreeWidgetItem*> selected = Tree()->selectedItems();
    out.Set(selected.isEmpty() ? std::string() : QStringToSjis(selected.first()->text(0)), "s");
    return TReadResult::Done;
  }

 protected:
  unsigned Events() const override { return kOnClick | kOnDblClick | kOnMouse | kOnKeys; }
};

std::unique_ptr<TGuiObject> MakeTree(const TObjectRecipe& recipe) {
  auto* tree = new QTreeWidget(ObjectParent(recipe));
  tree->setHeaderHidden(true);
  tree->resize(121, 97);
  auto object = std::make_unique<TTreeObject>(tree);
  ApplyRecipeFont(*object, recipe);
  return object;
}

}  // namespace

void RegisterTreeKind() { RegisterObjectKind(TObjectKind::Tree, MakeTree); }

}  // namespace nura
