#include "editor/editor_object.h"

#include "editor/editor_control.h"
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

 protected:
  unsigned Events() const override { return kOnChange | kOnClick | kOnDblClick | kOnMouse | kOnKeys; }
  void ConnectSignals() override {
    Editor()->OnChange = [this] { Fire(kSlotChange); };
  }
  QList<QWidget*> EventWidgets() const override { return {Editor(), Editor()->viewport()}; }
  bool HasFont() const override { return true; }

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
  e.SetColor(clWhite);
  e.SetHitStyle(TEditorHitStyle::hsSelect);
  e.SetScrollBars(TScrollStyle::ssBoth);
  QFont font(QStringLiteral("FixedSys"));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPixelSize(12);
  e.SetEditorFont(font);
  TEditorCaret& c = e.Caret();
  c.SetBackSpaceUnIndent(false);
  c.SetFreeCaret(false);
  c.SetNextLine(true);
  c.SetPrevSpaceIndent(true);
  c.SetTabSpaceCount(4);
  c.Cursors().SetDragSelCopyCursor(crDragSelCopy);
  c.Cursors().SetLeftMarginCursor(crRightArrow);
  e.Imagebar().SetVisible(false);
  TEditorLeftbar& l = e.Leftbar();
  l.SetVisible(true);
  l.SetLeftMargin(0);
  l.SetRightMargin(2);
  l.SetBkColor(clSilver);
  l.SetColor(clBlack);
  TEditorMarks& m = e.Marks();
  m.RetMark().SetVisible(true);
  for (TEditorMark* mark : {&m.EofMark(), &m.RetMark(), &m.WrapMark(), &m.HideMark(), &m.Underline()})
    mark->SetColor(clGray);
  e.SetReserveWordList({SJ("＊")});
  e.Ruler().SetVisible(true);
  e.Ruler().SetGaugeRange(8);
  TEditorViewInfo& v = e.View();
  v.SetCommenter("'");
  v.SetHexPrefix("$");
  v.SetQuotation("\"");
  v.SetControlCode(false);
  v.SetMail(false);
  v.SetUrl(false);
  TEditorColors& k = v.Colors();
  const auto set = [](TFountainColor& colour, TColor fore, TColor back = clNone, int style = 0) {
    colour.SetColor(fore);
    colour.SetBkColor(back);
    colour.SetStyle(style);
  };
  set(k.Ank(), clNone);
  set(k.Comment(), clMaroon);
  set(k.DBCS(), clNone);
  set(k.Hit(), clNone);
  set(k.Int(), clGreen);
  set(k.Mail(), clOlive);
  set(k.Reserve(), clRed, clNone, fsBold);
  set(k.Select(), clWhite, clNavy);
  set(k.Str(), clNavy);
  set(k.Symbol(), clBlue);
  set(k.Url(), clOlive);
  e.WrapOption().SetWrapByte(80);
  e.SetWordWrap(false);
  e.SetModified(false);
}

void RegisterEditorKind() { RegisterObjectKind(TObjectKind::TextEditor, MakeEditor); }

}  // namespace nura
