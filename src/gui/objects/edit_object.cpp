// エディタ (kind 1): a one-line edit.
#include <QLineEdit>

#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "gui/objects/text_selection.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

class TEditObject : public TGuiObject {
 public:
  explicit TEditObject(QLineEdit* edit) : TGuiObject(TObjectKind::Edit, edit, true) {}
  QLineEdit* Edit() const { return static_cast<QLineEdit*>(Widget()); }

  TReadResult Read(TProperty p, TPropertyValue& out) override {
    if (p == TProperty::Editable) {
      out.Flag(!Edit()->isReadOnly());
      return TReadResult::Done;
    }
    if (auto done = ReadLineSelection(*Edit(), p, out)) return *done;
    return TGuiObject::Read(p, out);
  }

  TWriteResult Write(TProperty p, TPropertyInput& in) override {
    switch (p) {
      case TProperty::Editable:
        in.StoreValue();
        Edit()->setReadOnly(in.Number() == 0);
        return TWriteResult::Done;
      default:
        if (auto done = WriteLineSelection(*Edit(), p, in)) return *done;
        return TGuiObject::Write(p, in);
    }
  }

  std::optional<std::string> Caption() const override { return QStringToSjis(Edit()->text()); }
  void SetCaption(const std::string& text) override { Edit()->setText(SjisToQString(text)); }
  void Empty() override { Edit()->clear(); }

 protected:
  unsigned Events() const override { return kOnChange | kOnClick | kOnDblClick | kOnMouse | kOnKeys; }
  void ConnectSignals() override {
    QObject::connect(Edit(), &QLineEdit::textChanged, Context(), [this] { Fire(kSlotChange); });
  }
  bool HasFont() const override { return true; }
  bool HasColour() const override { return true; }
  QPalette::ColorRole ColourRole() const override { return QPalette::Base; }
};

std::unique_ptr<TGuiObject> MakeEdit(const TObjectRecipe& recipe) {
  auto* edit = new QLineEdit(ObjectParent(recipe));
  edit->resize(121, 21);
  auto object = std::make_unique<TEditObject>(edit);
  ApplyRecipeFont(*object, recipe);
  return object;
}

}  // namespace

void RegisterEditKind() { RegisterObjectKind(TObjectKind::Edit, MakeEdit); }

}  // namespace nura
