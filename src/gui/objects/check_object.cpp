// チェック (kind 10): a check box.
#include <QCheckBox>

#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

class TCheckObject : public TGuiObject {
 public:
  explicit TCheckObject(QCheckBox* box) : TGuiObject(TObjectKind::Check, box, true) {}
  QCheckBox* Box() const { return static_cast<QCheckBox*>(Widget()); }

  TReadResult Read(TProperty p, TPropertyValue& out) override {
    switch (p) {
      case TProperty::Value: return ReadValue(out);
      default: return TGuiObject::Read(p, out);
    }
  }

  TWriteResult Write(TProperty p, TPropertyInput& in) override {
    switch (p) {
      case TProperty::Value:
        in.StoreValue();
        Box()->setChecked(in.Integer(0) != 0);
        return TWriteResult::Done;
      default:
        return TGuiObject::Write(p, in);
    }
  }

  std::optional<std::string> Caption() const override { return QStringToSjis(Box()->text()); }
  void SetCaption(const std::string& text) override { Box()->setText(SjisToQString(text)); }
  TReadResult ReadValue(TPropertyValue& out) override {
    out.Flag(Box()->isChecked());
    return TReadResult::Done;
  }
  void AssignValue(TPropertyInput& in) override { Box()->setChecked(in.Number() > 0); }
  void Empty() override { Box()->setText(QString()); }

 protected:
  unsigned Events() const override { return kOnClick | kOnMouse | kOnKeys; }
  bool ClicksBySignal() const override { return true; }
  void ConnectSignals() override {
    QObject::connect(Box(), &QCheckBox::clicked, Context(), [this] { Fire(kSlotClick); });
  }
  bool HasFont() const override { return true; }
  bool HasColour() const override { return true; }
};

std::unique_ptr<TGuiObject> MakeCheck(const TObjectRecipe& recipe) {
  auto* box = new QCheckBox(ObjectParent(recipe));
  box->resize(97, 17);
  auto object = std::make_unique<TCheckObject>(box);
  ApplyRecipeFont(*object, recipe);
  box->setText(SjisToQString(recipe.caption));
  return object;
}

}  // namespace

void RegisterCheckKind() { RegisterObjectKind(TObjectKind::Check, MakeCheck); }

}  // namespace nura
