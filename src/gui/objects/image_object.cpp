// イメージ (kind 2): a picture, the same widget as the main window's
// drawing surface.
#include "gui/main_window.h"
#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "gui/objects/object_site.h"
#include "gui/picture_box.h"

namespace nura {
namespace {

class TImageObject : public TGuiObject {
 public:
  explicit TImageObject(TPictureBox* box) : TGuiObject(TObjectKind::Image, box, true) {}
  TPictureBox* Box() const { return static_cast<TPictureBox*>(Widget()); }

  // The picture of a file, the control sized to it; empty clears it.
  void Load(TPropertyInput& in) {
    in.StoreValue();
    if (in.Text().empty()) {
      Box()->ClearPicture();
      return;
    }
    Box()->ShowPicture(Site()->Window().LoadPicture(in.Text()));
  }

  TReadResult Read(TProperty p, TPropertyValue& out) override {
    switch (p) {
      case TProperty::Stretch: out.Flag(Box()->Stretch()); return TReadResult::Done;
      case TProperty::Transparent: out.Flag(Box()->Transparent()); return TReadResult::Done;
      default: return TGuiObject::Read(p, out);
    }
  }

  TWriteResult Write(TProperty p, TPropertyInput& in) override {
    switch (p) {
      case TProperty::Picture:
        Load(in);
        return TWriteResult::Done;
      case TProperty::Stretch:
        Box()->SetStretch(in.Integer(0) > 0);
        return TWriteResult::Done;
      case TProperty::Transparent:
        in.StoreValue();
        Box()->SetTransparent(in.Number() > 0);
        return TWriteResult::Done;
      default:
        return TGuiObject::Write(p, in);
    }
  }

  TReadResult ReadValue(TPropertyValue&) override { return TReadResult::WordValue; }
  void AssignValue(TPropertyInput& in) override { Load(in); }
  void Empty() override { Box()->ClearPicture(); }

 protected:
  unsigned Events() const override { return kOnClick | kOnDblClick | kOnMouse; }
};

std::unique_ptr<TGuiObject> MakeImage(const TObjectRecipe& recipe) {
  auto* box = new TPictureBox(ObjectParent(recipe), 105, 105);
  return std::make_unique<TImageObject>(box);
}

}  // namespace

void RegisterImageKind() { RegisterObjectKind(TObjectKind::Image, MakeImage); }

}  // namespace nura
