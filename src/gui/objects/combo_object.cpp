// コンボ (kind 4): an editable combo box without a length limit.
#include <QComboBox>
#include <QLineEdit>

#include "engine/sjis_text.h"
#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "gui/objects/text_selection.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

class TComboObject : public TGuiObject {
 public:
  explicit TComboObject(QComboBox* combo) : TGuiObject(TObjectKind::Combo, combo, true) {}
  QComboBox* Combo() const { return static_cast<QComboBox*>(Widget()); }

  void SetItems(const std::string& text) {
    const QString edit = Combo()->currentText();
    Combo()->clear();
    for (const std::string& line : SplitLines(text)) Combo()->addItem(SjisToQString(line));
    if (sorted_) Combo()->model()->sort(0);
    if (Combo()->isEditable()) Combo()->setEditText(edit);
  }

  TReadResult Read(TProperty p, TPropertyValue& out) override {
    switch (p) {
      case TProperty::Items: {
        std::vector<std::string> lines;
        for (int i = 0; i < Combo()->count(); ++i) lines.push_back(QStringToSjis(Combo()->itemText(i)));
        out.Set(JoinLines(lines), "s");
        return TReadResult::Done;
      }
      case TProperty::Value: out.Number(Combo()->currentIndex()); return TReadResult::Done;
      case TProperty::Editable: out.Flag(Combo()->isEditable()); return TReadResult::Done;
      default:
        if (QLineEdit* edit = Combo()->lineEdit()) {
          if (auto done = ReadLineSelection(*edit, p, out)) return *done;
        }
        if (p == TProperty::Ime) {
          out.Number(ImeMode(*Combo()));
          return TReadResult::Done;
        }
        return TGuiObject::Read(p, out);
    }
  }

  TWriteResult Write(TProperty p, TPropertyInput& in) override {
    switch (p) {
      case TProperty::Items:
        SetItems(in.Text());
        return TWriteResult::Done;
      case TProperty::Value: {
        in.StoreValue();
        const int n = in.Integer(-1);
        if (n >= 0 && n < Combo()->count()) Combo()->setCurrentIndex(n);
        return TWriteResult::Done;
      }
      case TProperty::Editable:
        in.StoreValue();
        SetEditable(in.Number() != 0);
        return TWriteResult::Done;
      case TProperty::Sort:
        sorted_ = in.Integer(0) != 0;
        if (sorted_) Combo()->model()->sort(0);
        return TWriteResult::Done;
      case TProperty::Ime:
        SetImeMode(*Combo(), in.Number());
        if (QLineEdit* edit = Combo()->lineEdit()) SetImeMode(*edit, in.Number());
        return TWriteResult::Done;
      default:
        if (QLineEdit* edit = Combo()->lineEdit()) {
          if (auto done = WriteLineSelection(*edit, p, in)) return *done;
        }
        return TGuiObject::Write(p, in);
    }
  }

  std::optional<std::string> Caption() const override { return QStringToSjis(Combo()->currentText()); }
  void SetCaption(const std::string& caption) override {
    const QString text = SjisToQString(caption);
    if (Combo()->isEditable()) Combo()->setEditText(text);
    else Combo()->setCurrentIndex(Combo()->findText(text));
  }
  void Empty() override { Combo()->clear(); }

 protected:
  unsigned Events() const override { return kOnChange | kOnClick | kOnDblClick | kOnKeys; }
  bool ClicksBySignal() const override { return true; }
  QList<QWidget*> EventWidgets() const override {
    QList<QWidget*> widgets = TGuiObject::EventWidgets();
    if (Combo() && Combo()->lineEdit()) widgets << Combo()->lineEdit();
    return widgets;
  }
  void ConnectSignals() override {
    QObject::connect(Combo(), &QComboBox::activated, Context(), [this] { Fire(kSlotClick); });
    QObject::connect(Combo(), &QComboBox::editTextChanged, Context(), [this] { Fire(kSlotChange); });
  }
  bool HasFont() const override { return true; }
  bool HasColour() const override { return true; }
  QPalette::ColorRole ColourRole() const override { return QPalette::Base; }

 private:
  void SetEditable(bool on) {
    if (on == Combo()->isEditable()) return;
    Combo()->setEditable(on);
    if (QLineEdit* edit = Combo()->lineEdit()) {
      edit->setMaxLength(32767);
      Watch(edit);
    }
  }

  bool sorted_ = false;
};

std::unique_ptr<TGuiObject> MakeCombo(const TObjectRecipe& recipe) {
  auto* combo = new QComboBox(ObjectParent(recipe));
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->lineEdit()->setMaxLength(32767);
  combo->resize(145, 21);
  auto object = std::make_unique<TComboObject>(combo);
  ApplyRecipeFont(*object, recipe);
  return object;
}

}  // namespace

void RegisterComboKind() { RegisterObjectKind(TObjectKind::Combo, MakeCombo); }

}  // namespace nura
