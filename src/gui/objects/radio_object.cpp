// ラジオ (kind 17): a group of radio buttons, one per item line.
#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "engine/sjis_text.h"
#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

class TRadioObject : public TGuiObject {
 public:
  explicit TRadioObject(QGroupBox* box) : TGuiObject(TObjectKind::Radio, box, true) {
    group_ = new QButtonGroup(box);
    new QVBoxLayout(box);
  }
  QGroupBox* Box() const { return static_cast<QGroupBox*>(Widget()); }

  int Selected() const { return group_->checkedId(); }
  // The selected item (empty when none); writing replaces its text.
  std::optional<std::string> Caption() const override {
    QAbstractButton* button = group_->checkedButton();
    return button ? QStringToSjis(button->text()) : std::string();
  }
  void SetCaption(const std::string& text) override {
    if (QAbstractButton* button = group_->checkedButton()) button->setText(SjisToQString(text));
  }
  void Select(int n) {
    if (QAbstractButton* button = group_->button(n)) button->setChecked(true);
  }
  void SetItems(const std::string& text) {
    for (QAbstractButton* button : group_->buttons()) delete button;
    int id = 0;
    for (const std::string& line : SplitLines(text)) {
      auto* button = new QRadioButton(SjisToQString(line), Box());
      Box()->layout()->addWidget(button);
      group_->addButton(button, id++);
    }
  }

  TReadResult Read(TProperty p, TPropertyValue& out) override {
    switch (p) {
      case TProperty::Items: {
        std::vector<std::string> lines;
        for (QAbstractButton* button : group_->buttons()) lines.push_back(QStringToSjis(button->text()));
        out.Set(JoinLines(lines), "s");
        return TReadResult::Done;
      }
      case TProperty::Value: return ReadValue(out);
      default: return TGuiObject::Read(p, out);
    }
  }

  TWriteResult Write(TProperty p, TPropertyInput& in) override {
    switch (p) {
      case TProperty::Items:
        SetItems(in.Text());
        return TWriteResult::Done;
      case TProperty::Value:
        in.StoreValue();
        Select(in.Integer(-1));
        return TWriteResult::Done;
      default:
        return TGuiObject::Write(p, in);
    }
  }

  TReadResult ReadValue(TPropertyValue& out) override {
    out.Number(Selected());
    return TReadResult::Done;
  }
  void AssignValue(TPropertyInput& in) override { Select(in.Number()); }

 protected:
  unsigned Events() const override { return kOnClick; }
  bool ClicksBySignal() const override { return true; }
  void ConnectSignals() override {
    QObject::connect(group_, &QButtonGroup::idClicked, Context(), [this] { Fire(kSlotClick); });
  }
  bool HasColour() const override { return true; }
  bool ReadsColour() const override { return false; }

 private:
  QButtonGroup* group_;
};

std::unique_ptr<TGuiObject> MakeRadio(const TObjectRecipe& recipe) {
  auto* box = new QGroupBox(ObjectParent(recipe));
  box->resize(185, 105);
  auto object = std::make_unique<TRadioObject>(box);
  ApplyRecipeFont(*object, recipe);
  return object;
}

}  // namespace

void RegisterRadioKind() { RegisterObjectKind(TObjectKind::Radio, MakeRadio); }

}  // namespace nura
