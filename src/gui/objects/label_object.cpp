// ラベル (kind 9): a text label on a transparent background, as large as
// its caption.
#include <QLabel>

#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

class TLabelObject : public TGuiObject {
 public:
  explicit TLabelObject(QLabel* label) : TGuiObject(TObjectKind::Label, label, true) {}
  QLabel* Label() const { return static_cast<QLabel*>(Widget()); }

  std::optional<std::string> Caption() const override { return QStringToSjis(Label()->text()); }
  void SetCaption(const std::string& text) override {
    Label()->setText(SjisToQString(text));
    Label()->adjustSize();
  }

  TReadResult Read(TProperty p, TPropertyValue& out) override {
    if (p == TProperty::Transparent) {
      out.Flag(!Label()->autoFillBackground());
      return TReadResult::Done;
    }
    return TGuiObject::Read(p, out);
  }

  TWriteResult Write(TProperty p, TPropertyInput& in) override {
    switch (p) {
      case TProperty::Transparent:
        in.StoreValue();
        Label()->setAutoFillBackground(in.Number() <= 0);
        return TWriteResult::Done;
      default:
        return TGuiObject::Write(p, in);
    }
  }

  void Empty() override { Label()->clear(); }

 protected:
  unsigned Events() const override { return kOnClick | kOnDblClick | kOnMouse; }
  bool HasFont() const override { return true; }
  bool HasColour() const override { return true; }
};

std::unique_ptr<TGuiObject> MakeLabel(const TObjectRecipe& recipe) {
  auto* label = new QLabel(ObjectParent(recipe));
  label->setAutoFillBackground(false);
  auto object = std::make_unique<TLabelObject>(label);
  ApplyRecipeFont(*object, recipe);
  object->ApplyTextColour(recipe.fontColour);
  object->SetCaption(recipe.caption);
  return object;
}

}  // namespace

void RegisterLabelKind() { RegisterObjectKind(TObjectKind::Label, MakeLabel); }

}  // namespace nura
