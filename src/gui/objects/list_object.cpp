// リスト (kind 5): a list box. Its click comes from the mouse and also
// from a selection that the keyboard moves, as a list box's click does.
#include <QKeyEvent>
#include <QListWidget>
#include <functional>

#include "engine/sjis_text.h"
#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// Tells when a key moved the current row; a script that sets the row, or
// the key event's own code, does not count.
class TListBox : public QListWidget {
 public:
  using QListWidget::QListWidget;
  std::function<void()> onKeySelect;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before && onKeySelect) onKeySelect();
  }
};

class TListObject : public TGuiObject {
 public:
  explicit TListObject(TListBox* list) : TGuiObject(TObjectKind::List, list, true) {
    list->onKeySelect = [this] { Fire(kSlotClick); };
  }
  QListWidget* List() const { return static_cast<QListWidget*>(Widget()); }

  // The selected item (empty when none); writing replaces its text.
  std::optional<std::string> Caption() const override {
    const QListWidgetItem* item = List()->currentRow() >= 0 ? List()->currentItem() : nullptr;
    return item ? QStringToSjis(item->text()) : std::string();
  }
  void SetCaption(const std::string& text) override {
    if (QListWidgetItem* item = List()->currentRow() >= 0 ? List()->currentItem() : nullptr)
      item->setText(SjisToQString(text));
  }
  void Select(int n) {
    if (n >= 0 && n < List()->count()) List()->setCurrentRow(n);
  }

  TReadResult Read(TProperty p, TPropertyValue& out) override {
    switch (p) {
      case TProperty::SelText:
        out.Set(*Caption(), "s");
        return TReadResult::Done;
      case TProperty::Items: {
        std::vector<std::string> lines;
        for (int i = 0; i < List()->count(); ++i) lines.push_back(QStringToSjis(List()->item(i)->text()));
        out.Set(JoinLines(lines), "s");
        return TReadResult::Done;
      }
      case TProperty::Value: out.Number(List()->currentRow()); return TReadResult::Done;
      default: return TGuiObject::Read(p, out);
    }
  }

  TWriteResult Write(TProperty p, TPropertyInput& in) override {
    switch (p) {
      case TProperty::SelText:
        SetCaption(in.Text());
        return TWriteResult::Done;
      case TProperty::Items:
        List()->clear();
        for (const std::string& line : SplitLines(in.Text())) List()->addItem(SjisToQString(line));
        return TWriteResult::Done;
      case TProperty::Value:
        in.StoreValue();
        Select(in.Integer(-1));
        return TWriteResult::Done;
      case TProperty::Sort:
        List()->setSortingEnabled(in.Integer(0) != 0);
        return TWriteResult::Done;
      default:
        return TGuiObject::Write(p, in);
    }
  }

  TReadResult ReadValue(TPropertyValue& out) override {
    out.Number(List()->currentRow());
    return TReadResult::Done;
  }
  void AssignValue(TPropertyInput& in) override { Select(in.Number()); }
  void Empty() override { List()->clear(); }

 protected:
  unsigned Events() const override { return kOnClick | kOnDblClick | kOnMouse | kOnKeys; }
  bool HasFont() const override { return true; }
  bool HasColour() const override { return true; }
  QPalette::ColorRole ColourRole() const override { return QPalette::Base; }
};

std::unique_ptr<TGuiObject> MakeList(const TObjectRecipe& recipe) {
  auto* list = new TListBox(ObjectParent(recipe));
  list->resize(121, 97);
  auto object = std::make_unique<TListObject>(list);
  ApplyRecipeFont(*object, recipe);
  return object;
}

}  // namespace

void RegisterListKind() { RegisterObjectKind(TObjectKind::List, MakeList); }

}  // namespace nura
