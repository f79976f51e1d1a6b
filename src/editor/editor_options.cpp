#include "editor/editor_options.h"

#include <algorithm>

#include "platform/sjis.h"

namespace nura {

const TNameList kCaretStyleNames = {"csDefault", "csBrief"};
const TNameList kDragModeNames = {"dmManual", "dmAutomatic"};
const TNameList kShowNumberModeNames = {"nmRow", "nmLine"};

namespace {

constexpr auto kInt = TPropKind::Integer;
constexpr auto kBool = TPropKind::Boolean;
constexpr auto kColor = TPropKind::Color;
constexpr auto kCursor = TPropKind::Cursor;
constexpr auto kEnum = TPropKind::Enum;

int Clamp100(int v) { return std::clamp(v, 0, 100); }

}  // namespace

const TPropList& TEditorCursors::Properties() const {
  using C = TEditorCursors;
  static const TPropList props = {
      OrdProp<C, &C::DefaultCursor, &C::SetDefaultCursor>("DefaultCursor", kCursor),
      OrdProp<C, &C::DragSelCopyCursor, &C::SetDragSelCopyCursor>("DragSelCopyCursor", kCursor),
      OrdProp<C, &C::DragSelCursor, &C::SetDragSelCursor>("DragSelCursor", kCursor),
      OrdProp<C, &C::InSelCursor, &C::SetInSelCursor>("InSelCursor", kCursor),
      OrdProp<C, &C::LeftMarginCursor, &C::SetLeftMarginCursor>("LeftMarginCursor", kCursor),
      OrdProp<C, &C::TopMarginCursor, &C::SetTopMarginCursor>("TopMarginCursor", kCursor),
  };
  return props;
}

TEditorCaret::TEditorCaret() { cursors_.OnChange = ChangeForwarder(); }

void TEditorCaret::SetTabSpaceCount(int v) { Update(tabSpaceCount_, std::clamp(v, 2, 8) & ~1); }

const TPropList& TEditorCaret::Properties() const {
  using C = TEditorCaret;
  static const TPropList props = {
      OrdProp<C, &C::AutoCursor, &C::SetAutoCursor>("AutoCursor", kBool),
      OrdProp<C, &C::AutoIndent, &C::SetAutoIndent>("AutoIndent", kBool),
      OrdProp<C, &C::BackSpaceUnIndent, &C::SetBackSpaceUnIndent>("BackSpaceUnIndent", kBool),
      ObjProp<C, static_cast<TEditorCursors& (C::*)()>(&C::Cursors)>("Cursors"),
      OrdProp<C, &C::FreeCaret, &C::SetFreeCaret>("FreeCaret", kBool),
      OrdProp<C, &C::FreeRow, &C::SetFreeRow>("FreeRow", kBool),
      OrdProp<C, &C::InTab, &C::SetInTab>("InTab", kBool),
      OrdProp<C, &C::KeepCaret, &C::SetKeepCaret>("KeepCaret", kBool),
      OrdProp<C, &C::LockScroll, &C::SetLockScroll>("LockScroll", kBool),
      OrdProp<C, &C::NextLine, &C::SetNextLine>("NextLine", kBool),
      OrdProp<C, &C::PrevSpaceIndent, &C::SetPrevSpaceIndent>("PrevSpaceIndent", kBool),
      OrdProp<C, &C::RowSelect, &C::SetRowSelect>("RowSelect", kBool),
      OrdProp<C, &C::SelDragMode, &C::SetSelDragMode>("SelDragMode", kEnum, &kDragModeNames),
      OrdProp<C, &C::SelMove, &C::SetSelMove>("SelMove", kBool),
      OrdProp<C, &C::SoftTab, &C::SetSoftTab>("SoftTab", kBool),
      OrdProp<C, &C::Style, &C::SetStyle>("Style", kEnum, &kCaretStyleNames),
      OrdProp<C, &C::TabIndent, &C::SetTabIndent>("TabIndent", kBool),
      OrdProp<C, &C::TabSpaceCount, &C::SetTabSpaceCount>("TabSpaceCount", kInt),
  };
  return props;
}

void TEditorMargin::SetCharacter(int v) { Update(character_, Clamp100(v)); }
void TEditorMargin::SetLeft(int v) { Update(left_, Clamp100(v)); }
void TEditorMargin::SetLine(int v) { Update(line_, Clamp100(v)); }
void TEditorMargin::SetTop(int v) { Update(top_, Clamp100(v)); }
void TEditorMargin::SetUnderline(int v) { Update(underline_, Clamp100(v)); }

void TEditorMargin::Assign(const TPersistent& source) {
  BeginUpdate();
  try {
    TNotifyPersistent::Assign(source);
    SetUnderline(static_cast<const TEditorMargin&>(source).Underline());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

const TPropList& TEditorMargin::Properties() const {
  using C = TEditorMargin;
  static const TPropList props = {
      OrdProp<C, &C::Character, &C::SetCharacter>("Character", kInt),
      OrdProp<C, &C::Left, &C::SetLeft>("Left", kInt),
      OrdProp<C, &C::Line, &C::SetLine>("Line", kInt),
      OrdProp<C, &C::Top, &C::SetTop>("Top", kInt),
  };
  return props;
}

const TPropList& TEditorMark::Properties() const {
  using C = TEditorMark;
  static const TPropList props = {
      OrdProp<C, &C::Color, &C::SetColor>("Color", kColor),
      OrdProp<C, &C::Visible, &C::SetVisible>("Visible", kBool),
  };
  return props;
}

TEditorMarks::TEditorMarks() {
  for (TEditorMark& m : marks_) m.OnChange = ChangeForwarder();
}

const TPropList& TEditorMarks::Properties() const {
  using C = TEditorMarks;
  static const TPropList props = {
      ObjProp<C, &C::EofMark>("EofMark"),   ObjProp<C, &C::RetMark>("RetMark"),
      ObjProp<C, &C::WrapMark>("WrapMark"), ObjProp<C, &C::HideMark>("HideMark"),
      ObjProp<C, &C::Underline>("Underline"),
  };
  return props;
}

void TEditorRuler::SetGaugeRange(int v) { Update(gaugeRange_, std::clamp(v, 8, 10) & ~1); }

const TPropList& TEditorRuler::Properties() const {
  using C = TEditorRuler;
  static const TPropList props = {
      OrdProp<C, &C::BkColor, &C::SetBkColor>("BkColor", kColor),
      OrdProp<C, &C::Color, &C::SetColor>("Color", kColor),
      OrdProp<C, &C::Edge, &C::SetEdge>("Edge", kBool),
      OrdProp<C, &C::GaugeRange, &C::SetGaugeRange>("GaugeRange", kInt),
      OrdProp<C, &C::MarkColor, &C::SetMarkColor>("MarkColor", kColor),
      OrdProp<C, &C::Visible, &C::SetVisible>("Visible", kBool),
  };
  return props;
}

void TEditorLeftbar::SetColumn(int v) { Update(column_, std::clamp(v, 1, 8)); }
void TEditorLeftbar::SetLeftMargin(int v) { Update(leftMargin_, Clamp100(v)); }
void TEditorLeftbar::SetRightMargin(int v) { Update(rightMargin_, Clamp100(v)); }

const TPropList& TEditorLeftbar::Properties() const {
  using C = TEditorLeftbar;
  static const TPropList props = {
      OrdProp<C, &C::BkColor, &C::SetBkColor>("BkColor", kColor),
      OrdProp<C, &C::Color, &C::SetColor>("Color", kColor),
      OrdProp<C, &C::Column, &C::SetColumn>("Column", kInt),
      OrdProp<C, &C::Edge, &C::SetEdge>("Edge", kBool),
      OrdProp<C, &C::LeftMargin, &C::SetLeftMargin>("LeftMargin", kInt),
      OrdProp<C, &C::RightMargin, &C::SetRightMargin>("RightMargin", kInt),
      OrdProp<C, &C::ShowNumber, &C::SetShowNumber>("ShowNumber", kBool),
      OrdProp<C, &C::ShowNumberMode, &C::SetShowNumberMode>("ShowNumberMode", kEnum, &kShowNumberModeNames),
      OrdProp<C, &C::Visible, &C::SetVisible>("Visible", kBool),
      OrdProp<C, &C::ZeroBase, &C::SetZeroBase>("ZeroBase", kBool),
      OrdProp<C, &C::ZeroLead, &C::SetZeroLead>("ZeroLead", kBool),
  };
  return props;
}

void TEditorImagebar::SetDigitWidth(int v) { Update(digitWidth_, Clamp100(v)); }
void TEditorImagebar::SetLeftMargin(int v) { Update(leftMargin_, Clamp100(v)); }
void TEditorImagebar::SetMarkWidth(int v) { Update(markWidth_, Clamp100(v)); }
void TEditorImagebar::SetRightMargin(int v) { Update(rightMargin_, Clamp100(v)); }

const TPropList& TEditorImagebar::Properties() const {
  using C = TEditorImagebar;
  static const TPropList props = {
      OrdProp<C, &C::DigitWidth, &C::SetDigitWidth>("DigitWidth", kInt),
      OrdProp<C, &C::LeftMargin, &C::SetLeftMargin>("LeftMargin", kInt),
      OrdProp<C, &C::MarkWidth, &C::SetMarkWidth>("MarkWidth", kInt),
      OrdProp<C, &C::RightMargin, &C::SetRightMargin>("RightMargin", kInt),
      OrdProp<C, &C::Visible, &C::SetVisible>("Visible", kBool),
  };
  return props;
}

// A stored range of 0 would stop the page keys; a large one overflows the
// page-step product.
void TEditorSpeed::SetCaretVerticalAc(int v) { caretVerticalAc_ = std::clamp(v, 1, 4); }
void TEditorSpeed::SetPageVerticalRange(int v) { pageVerticalRange_ = std::clamp(v, 1, 4); }
void TEditorSpeed::SetPageVerticalRangeAc(int v) { pageVerticalRangeAc_ = std::clamp(v, 1, 4); }

const TPropList& TEditorSpeed::Properties() const {
  using C = TEditorSpeed;
  static const TPropList props = {
      OrdProp<C, &C::CaretVerticalAc, &C::SetCaretVerticalAc>("CaretVerticalAc", kInt),
      OrdProp<C, &C::InitBracketsFull, &C::SetInitBracketsFull>("InitBracketsFull", kBool),
      OrdProp<C, &C::PageVerticalRange, &C::SetPageVerticalRange>("PageVerticalRange", kInt),
      OrdProp<C, &C::PageVerticalRangeAc, &C::SetPageVerticalRangeAc>("PageVerticalRangeAc", kInt),
  };
  return props;
}

TEditorWrapOption::TEditorWrapOption()
    : followStr_(SJ("、。，．・？！゛゜ヽヾゝゞ々ー）］｝」』!),.:;?]}｡｣､･ｰﾞﾟ")),
      leadStr_(SJ("（［｛「『([{｢")),
      punctuationStr_(SJ("、。，．,.｡､")) {}

void TEditorWrapOption::SetWrapByte(int v) { Update(wrapByte_, std::clamp(v, 20, 250)); }

const TPropList& TEditorWrapOption::Properties() const {
  using C = TEditorWrapOption;
  static const TPropList props = {
      OrdProp<C, &C::FollowRetMark, &C::SetFollowRetMark>("FollowRetMark", kBool),
      OrdProp<C, &C::FollowPunctuation, &C::SetFollowPunctuation>("FollowPunctuation", kBool),
      StrProp<C, &C::FollowStr, &C::SetFollowStr>("FollowStr"),
      OrdProp<C, &C::Leading, &C::SetLeading>("Leading", kBool),
      StrProp<C, &C::LeadStr, &C::SetLeadStr>("LeadStr"),
      StrProp<C, &C::PunctuationStr, &C::SetPunctuationStr>("PunctuationStr"),
      OrdProp<C, &C::WordBreak, &C::SetWordBreak>("WordBreak", kBool),
      OrdProp<C, &C::WrapByte, &C::SetWrapByte>("WrapByte", kInt),
  };
  return props;
}

}  // namespace nura
