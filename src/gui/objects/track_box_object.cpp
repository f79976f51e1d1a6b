// トラック (kind 11): the tracking box. A move or resize by the user is the
// change event; the box never becomes smaller than 10 x 10 pixels.
#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "gui/track_box.h"

namespace nura {
namespace {

constexpr int kMinimumSize = 10;

class TTrackBoxObject : public TGuiObject {
 public:
  explicit TTrackBoxObject(TTrackBox* box) : TGuiObject(TObjectKind::TrackBox, box, true) {}
  TTrackBox* Box() const { return static_cast<TTrackBox*>(Widget()); }

 protected:
  unsigned Events() const override { return kOnChange | kOnClick | kOnDblClick | kOnMouse; }
  void ConnectSignals() override {
    Box()->OnTrackChange = [this](bool) {
      TTrackBox& box = *Box();
      box.resize(box.size().expandedTo(QSize(kMinimumSize, kMinimumSize)));
      Fire(kSlotChange);
    };
  }
};

std::unique_ptr<TGuiObject> MakeTrackBox(const TObjectRecipe& recipe) {
  auto* box = new TTrackBox(ObjectParent(recipe));
  box->resize(105, 105);
  auto object = std::make_unique<TTrackBoxObject>(box);
  ApplyRecipeFont(*object, recipe);
  return object;
}

}  // namespace

void RegisterTrackBoxKind() { RegisterObjectKind(TObjectKind::TrackBox, MakeTrackBox); }

}  // namespace nura
