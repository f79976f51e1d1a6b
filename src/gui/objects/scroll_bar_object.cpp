// バー (kind 3): a scroll bar, horizontal at first, 0 to 100.
#include <QScrollBar>

#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "platform/sjis.h"

namespace nura {
namespace {

class TScrollBarObject : public TGuiObject {
 public:
  explicit TScrollBarObject(QScrollBar* bar) : TGuiObject(TObjectKind::ScrollBar, bar, true) {}
  QScrollBar* Bar() const { return static_cast<QScrollBar*>(Widget()); }

  TReadResult Read(TProperty p, TPropertyValue& out) override {
    switch (p) {
      case TProperty::Value: out.Number(Bar()->value()); return TReadResult::Done;
      case TProperty::Maximum: out.Number(Bar()->maximum()); return TReadResult::Done;
      case TProperty::Minimum: out.Number(Bar()->minimum()); return TReadResult::Done;
      case TProperty::Orientation:
        out.Set(SJ(Bar()->orientation() == Qt::Vertical ? "縦" : "横"), "s");
        return TReadResult::Done;
      default: return TGuiObject::Read(p, out);
    }
  }

  TWriteResult Write(TProperty p, TPropertyInput& in) override {
    switch (p) {
      case TProperty::Value: {
        in.StoreValue();
        const int n = in.Integer(-1);
        if (n >= 0) Bar()->setValue(n);  // the bar clamps to its range
        return TWriteResult::Done;
      }
      case TProperty::Maximum:
        in.StoreValue();
        Bar()->setMaximum(in.Integer(0));
        return TWriteResult::Done;
      case TProperty::Minimum:
        in.StoreValue();
        Bar()->setMinimum(in.Integer(0));
        return TWriteResult::Done;
      case TProperty::Orientation: {
        const bool vertical = in.Text() == SJ("縦");
        if (vertical != (Bar()->orientation() == Qt::Vertical)) {
          Bar()->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
          Bar()->resize(Bar()->height(), Bar()->width());
        }
        return TWriteResult::Done;
      }
      default:
        return TGuiObject::Write(p, in);
    }
  }

  TReadResult ReadValue(TPropertyValue& out) override {
    out.Number(Bar()->value());
    return TReadResult::Done;
  }
  void AssignValue(TPropertyInput& in) override { Bar()->setValue(in.Number()); }

 protected:
  unsigned Events() const override { return kOnChange | kOnKeys; }
  void ConnectSignals() override {
    QObject::connect(Bar(), &QScrollBar::valueChanged, Context(), [this] { Fire(kSlotChange); });
  }
};

std::unique_ptr<TGuiObject> MakeScrollBar(const TObjectRecipe& recipe) {
  auto* bar = new QScrollBar(Qt::Horizontal, ObjectParent(recipe));
  bar->setRange(0, 100);
  bar->resize(121, 16);
  return std::make_unique<TScrollBarObject>(bar);
}

}  // namespace

void RegisterScrollBarKind() { RegisterObjectKind(TObjectKind::ScrollBar, MakeScrollBar); }

}  // namespace nura
