#include "editor/editor_prop.h"

#include "platform/sjis.h"

namespace nura {

const TNameList kHitStyleNames = {"hsSelect", "hsDraw", "hsCaret"};
const TNameList kScrollStyleNames = {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};

TEditorProp::TEditorProp() { view_.Fountain().SetReserveWordList({}); }

const TPropList& TEditorProp::Properties() const {
  using C = TEditorProp;
  static const TPropList props = ExtendProps(
      TFileExtComponent::Properties(),
      {
          OrdProp<C, &C::Color, &C::SetColor>("Color", TPropKind::Color),
          ObjProp<C, &C::Caret>("Caret"),
          ObjProp<C, &C::Font>("Font"),
          OrdProp<C, &C::HitStyle, &C::SetHitStyle>("HitStyle", TPropKind::Enum, &kHitStyleNames),
          ObjProp<C, &C::Imagebar>("Imagebar"),
          ObjProp<C, &C::Leftbar>("Leftbar"),
          ObjProp<C, &C::Margin>("Margin"),
          ObjProp<C, &C::Marks>("Marks"),
          ListProp<C, &C::ReserveWordList, &C::SetReserveWordList>("ReserveWordList"),
          ObjProp<C, &C::Ruler>("Ruler"),
          OrdProp<C, &C::ScrollBars, &C::SetScrollBars>("ScrollBars", TPropKind::Enum, &kScrollStyleNames),
          ObjProp<C, &C::Speed>("Speed"),
          ObjProp<C, &C::View>("View"),
          OrdProp<C, &C::WordWrap, &C::SetWordWrap>("WordWrap", TPropKind::Boolean),
          ObjProp<C, &C::WrapOption>("WrapOption"),
      });
  return props;
}

void TEditorProp::CopyFrom(TEditorProp& s) {
  SetColor(s.color_);
  caret_.Assign(s.caret_);
  font_.Assign(s.font_);
  hitStyle_ = s.hitStyle_;
  imagebar_.Assign(s.imagebar_);
  leftbar_.Assign(s.leftbar_);
  margin_.Assign(s.margin_);
  marks_.Assign(s.marks_);
  SetReserveWordList(s.ReserveWordList());
  ruler_.Assign(s.ruler_);
  SetScrollBars(s.scrollBars_);
  speed_.Assign(s.speed_);
  view_.Assign(s.view_);
  SetWordWrap(s.wordWrap_);
  wrapOption_.Assign(s.wrapOption_);
}

void TEditorProp::Assign(const TPersistent& source) {
  auto* other = dynamic_cast<const TEditorProp*>(&source);
  if (!other) RaiseAssignError(source);
  try {
    CopyFrom(const_cast<TEditorProp&>(*other));
    SetFileExtList(other->FileExtList());
  } catch (const std::exception&) {
    // The copy ends where it failed.
  }
}

void TEditorProp::AssignFromEditor(TEditor& e) {
  try {
    SetColor(e.Color());
    caret_.Assign(e.Caret());
    font_.Assign(e.Font());
    hitStyle_ = e.HitStyle();
    imagebar_.Assign(e.Imagebar());
    leftbar_.Assign(e.Leftbar());
    margin_.Assign(e.Margin());
    marks_.Assign(e.Marks());
    SetReserveWordList(e.ReserveWordList());
    ruler_.Assign(e.Ruler());
    SetScrollBars(e.ScrollBars());
    speed_.Assign(e.Speed());
    view_.Assign(e.View());
    SetWordWrap(e.WordWrap());
    wrapOption_.Assign(e.WrapOption());
  } catch (const std::exception&) {
  }
}

void TEditorProp::AssignToEditor(TEditor& e) const {
  auto& s = const_cast<TEditorProp&>(*this);
  try {
    e.SetColor(color_);
    e.Caret().Assign(s.caret_);
    e.Font().Assign(s.font_);
    e.SetHitStyle(hitStyle_);
    e.Imagebar().Assign(s.imagebar_);
    e.Leftbar().Assign(s.leftbar_);
    e.Margin().Assign(s.margin_);
    e.Marks().Assign(s.marks_);
    e.SetReserveWordList(ReserveWordList());
    e.Ruler().Assign(s.ruler_);
    e.SetScrollBars(scrollBars_);
    e.Speed().Assign(s.speed_);
    e.View().Assign(s.view_);
    // Wrap options before wrapping on, word wrap off before the options,
    // so that no re-wrap runs with stale options.
    if (wordWrap_) {
      e.WrapOption().Assign(s.wrapOption_);
      e.SetWordWrap(true);
    } else {
      e.SetWordWrap(false);
      e.WrapOption().Assign(s.wrapOption_);
    }
  } catch (const std::exception&) {
  }
}

namespace {

void SetColour(TFountainColor& colour, TColor fore, TColor back = clNone, int style = 0) {
  colour.SetColor(fore);
  colour.SetBkColor(back);
  colour.SetStyle(style);
}

void InitScriptDefaults(TEditorProp& p) {
  p.SetColor(clWhite);
  p.SetHitStyle(TEditorHitStyle::hsSelect);
  p.SetScrollBars(TScrollStyle::ssBoth);
  p.SetWordWrap(false);
  TEditorFont& f = p.Font();
  f.SetName("FixedSys");
  f.SetHeight(-12);
  f.SetColor(clBlack);
  f.SetCharset(kShiftJisCharset);
  f.SetStyle(0);
  TEditorCaret& c = p.Caret();
  c.SetBackSpaceUnIndent(false);
  c.SetFreeCaret(false);
  c.SetNextLine(true);
  c.SetPrevSpaceIndent(true);
  c.SetTabSpaceCount(4);
  TEditorCursors& k = c.Cursors();
  k.SetDefaultCursor(crIBeam);
  k.SetDragSelCursor(crDrag);
  k.SetDragSelCopyCursor(crDragSelCopy);
  k.SetInSelCursor(crDefault);
  k.SetLeftMarginCursor(crRightArrow);
  k.SetTopMarginCursor(crDefault);
  p.Imagebar().SetVisible(false);
  TEditorLeftbar& l = p.Leftbar();
  l.SetVisible(true);
  l.SetLeftMargin(0);
  l.SetRightMargin(2);
  l.SetBkColor(clSilver);
  l.SetColor(clBlack);
  TEditorMarks& m = p.Marks();
  m.RetMark().SetVisible(true);
  for (TEditorMark* mark : {&m.EofMark(), &m.RetMark(), &m.WrapMark(), &m.HideMark(), &m.Underline()})
    mark->SetColor(clGray);
  p.SetReserveWordList({SJ("＊")});
  p.Ruler().SetVisible(true);
  p.Ruler().SetGaugeRange(8);
  TEditorViewInfo& v = p.View();
  v.SetCommenter("'");
  v.SetHexPrefix("$");
  v.SetQuotation("\"");
  v.SetControlCode(false);
  v.SetMail(false);
  v.SetUrl(false);
  TEditorColors& k2 = v.Colors();
  SetColour(k2.Ank(), clNone);
  SetColour(k2.Comment(), clMaroon);
  SetColour(k2.DBCS(), clNone);
  SetColour(k2.Hit(), clNone);
  SetColour(k2.Int(), clGreen);
  SetColour(k2.Mail(), clOlive);
  SetColour(k2.Reserve(), clRed, clNone, fsBold);
  SetColour(k2.Select(), clWhite, clNavy);
  SetColour(k2.Str(), clNavy);
  SetColour(k2.Symbol(), clBlue);
  SetColour(k2.Url(), clOlive);
  TEditorBracketCollection& b = v.Brackets();
  b.Clear();
  const std::pair<const char*, const char*> pairs[] = {{"{", "}"}, {"「", "」"}, {"『", "』"}, {"｛", "｝"}};
  const TColor colours[] = {clMaroon, clNavy, clNavy, clMaroon};
  for (int i = 0; i < 4; ++i) {
    auto& item = static_cast<TFountainBracketItem&>(b.Add());
    item.SetLeftBracket(SJ(pairs[i].first));
    item.SetRightBracket(SJ(pairs[i].second));
    SetColour(item.ItemColor(), colours[i]);
  }
  p.WrapOption().SetWrapByte(80);
}

}  // namespace

TEditorProp& ScriptEditorDefaults() {
  static TEditorProp* defaults = [] {
    auto* p = new TEditorProp;
    p->SetName("propNura");
    InitScriptDefaults(*p);
    return p;
  }();
  return *defaults;
}

}  // namespace nura
