#include "editor/editor_object.h"

#include "editor/editor_control.h"
#include "editor/editor_prop.h"
#include "gui/objects/object_registry.h"
#include "gui/objects/text_selection.h"
#include "platform/sjis.h"

namespace nura {
namespace {

class TEditorObject : public TGuiObject {
 public:
  explicit TEditorObject(TEditor* editor) : TGuiObject(TObjectKind::TextEditor, editor, true) {}
  TEditor* Editor() const { return static_cast<TEditor*>(Widget()); }

  std::optional<std::string> Caption() const override { return Editor()->Text(); }
  void SetCaption(const std::string& text) override { Editor()->SetText(text); }

  TReadResult Read(TProperty p, TPropertyValue& out) override {
    TEditor& e = *Editor();
    switch (p) {
      case TProperty::SelText: out.Set(e.GetSelText(), "s"); return TReadResult::Done;
      case TProperty::SelStart: out.Number(e.GetSelStart()); return TReadResult::Done;
      case TProperty::SelLength: out.Number(e.GetSelLength()); return TReadResult::Done;
      case TProperty::Column: out.Number(e.Col()); return TReadResult::Done;
      case TProperty::Row: out.Number(e.Row()); return TReadResult::Done;
      case TProperty::Colour: out.Number(e.Color()); return TReadResult::Done;
      case TProperty::Ime: out.Number(ImeMode(e)); return TReadResult::Done;
      default: return TGuiObject::Read(p, out);
    }
  }

  TWriteResult Write(TProperty p, TPropertyInput& in) override {
    TEditor& e = *Editor();
    switch (p) {
      case TProperty::SelText: e.SetSelText(in.Text()); return TWriteResult::Done;
      case TProperty::SelStart: e.SetSelStart(in.Number()); return TWriteResult::Done;
      case TProperty::SelLength: e.SetSelLength(in.Number()); return TWriteResult::Done;
      case TProperty::Column: e.SetCol(in.Integer(0)); return TWriteResult::Done;
      case TProperty::Row: e.SetRow(in.Integer(0)); return TWriteResult::Done;
      case TProperty::Colour:
        in.StoreValue();
        e.SetColor(in.Colour(e.Color()) & 0xFFFFFF);
        return TWriteResult::Done;
      case TProperty::Ime: SetImeMode(e, in.Number()); return TWriteResult::Done;
      default: return TGuiObject::Write(p, in);
    }
  }

  void Empty() override { Editor()->Clear(); }
  bool WindowMessage(int64_t message, int64_t wparam, int64_t lparam, std::string* buffer, int64_t& result) override {
    return Editor()->WindowMessage(message, wparam, lparam, buffer, result);
  }

 protected:
  unsigned Events() const override { return kOnChange | kOnClick | kOnDblClick | kOnMouse | kOnKeys; }
  void ConnectSignals() override {
    Editor()->OnChange = [this] { Fire(kSlotChange); };
  }
  QList<QWidget*> EventWidgets() const override { return {Editor(), Editor()->viewport()}; }

 private:
};

std::unique_ptr<TGuiObject> MakeEditor(const TObjectRecipe& recipe) {
  auto* editor = new TEditor(ObjectParent(recipe));
  ApplyScriptEditorDefaults(*editor);
  editor->resize(185, 89);
  return std::make_unique<TEditorObject>(editor);
}

}  // namespace

void ApplyScriptEditorDefaults(TEditor& e) {
  ScriptEditorDefaults().AssignToEditor(e);
  e.SetModified(false);
}

void RegisterEditorKind() { RegisterObjectKind(TObjectKind::TextEditor, MakeEditor); }

}  // namespace nura
