// The editor's option groups: caret and cursors, margins, marks, ruler,
// line-number bar, image bar, scrolling speed and word wrap. Each setter
// clamps its value; the notifying groups fire OnChange when a value
// changes, and a containing group forwards the changes of its parts.
#pragma once

#include <memory>
#include <string>

#include "editor/editor_idents.h"
#include "editor/persistent.h"

namespace nura {

enum class TEditorCaretStyle { csDefault, csBrief };
enum class TDragMode { dmManual, dmAutomatic };
enum class TEditorShowNumberMode { nmRow, nmLine };

extern const TNameList kCaretStyleNames;
extern const TNameList kDragModeNames;
extern const TNameList kShowNumberModeNames;

class TEditorCursors : public TNotifyPersistent {
 public:
  std::string_view ClassName() const override { return "TEditorCursors"; }
  const TPropList& Properties() const override;

  TCursor DefaultCursor() const { return default_; }
  void SetDefaultCursor(TCursor v) { default_ = v; }
  TCursor DragSelCursor() const { return dragSel_; }
  void SetDragSelCursor(TCursor v) { dragSel_ = v; }
  TCursor DragSelCopyCursor() const { return dragSelCopy_; }
  void SetDragSelCopyCursor(TCursor v) { dragSelCopy_ = v; }
  TCursor InSelCursor() const { return inSel_; }
  void SetInSelCursor(TCursor v) { inSel_ = v; }
  TCursor LeftMarginCursor() const { return leftMargin_; }
  void SetLeftMarginCursor(TCursor v) { leftMargin_ = v; }
  TCursor TopMarginCursor() const { return topMargin_; }
  void SetTopMarginCursor(TCursor v) { topMargin_ = v; }

 private:
  TCursor default_ = crIBeam, dragSel_ = crDrag, dragSelCopy_ = crDragSelCopy, inSel_ = crDefault,
          leftMargin_ = crRightArrow, topMargin_ = crDefault;
};

class TEditorCaret : public TNotifyPersistent {
 public:
  TEditorCaret();
  std::string_view ClassName() const override { return "TEditorCaret"; }
  const TPropList& Properties() const override;

  bool AutoCursor() const { return autoCursor_; }
  void SetAutoCursor(bool v) { autoCursor_ = v; }
  bool AutoIndent() const { return autoIndent_; }
  void SetAutoIndent(bool v) { autoIndent_ = v; }
  bool BackSpaceUnIndent() const { return backSpaceUnIndent_; }
  void SetBackSpaceUnIndent(bool v) { backSpaceUnIndent_ = v; }
  TEditorCursors& Cursors() { return cursors_; }
  const TEditorCursors& Cursors() const { return cursors_; }
  bool FreeCaret() const { return freeCaret_; }
  void SetFreeCaret(bool v) { freeCaret_ = v; }
  bool FreeRow() const { return freeRow_; }
  void SetFreeRow(bool v) { freeRow_ = v; }
  bool InTab() const { return inTab_; }
  void SetInTab(bool v) { inTab_ = v; }
  bool KeepCaret() const { return keepCaret_; }
  void SetKeepCaret(bool v) { keepCaret_ = v; }
  bool LockScroll() const { return lockScroll_; }
  void SetLockScroll(bool v) { lockScroll_ = v; }
  bool NextLine() const { return nextLine_; }
  void SetNextLine(bool v) { nextLine_ = v; }
  bool PrevSpaceIndent() const { return prevSpaceIndent_; }
  void SetPrevSpaceIndent(bool v) { prevSpaceIndent_ = v; }
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool v) { rowSelect_ = v; }
  TDragMode SelDragMode() const { return selDragMode_; }
  void SetSelDragMode(TDragMode v) { selDragMode_ = v; }
  bool SelMove() const { return selMove_; }
  void SetSelMove(bool v) { selMove_ = v; }
  bool SoftTab() const { return softTab_; }
  void SetSoftTab(bool v) { softTab_ = v; }
  TEditorCaretStyle Style() const { return style_; }
  void SetStyle(TEditorCaretStyle v) { Update(style_, v); }
  bool TabIndent() const { return tabIndent_; }
  void SetTabIndent(bool v) { tabIndent_ = v; }
  int TabSpaceCount() const { return tabSpaceCount_; }
  // 2, 4, 6 or 8: clamped, then rounded down to an even number.
  void SetTabSpaceCount(int v);

 private:
  TEditorCursors cursors_;
  bool autoCursor_ = true, autoIndent_ = true, backSpaceUnIndent_ = true, freeCaret_ = true,
       freeRow_ = false, inTab_ = false, keepCaret_ = false, lockScroll_ = false, nextLine_ = false,
       prevSpaceIndent_ = false, rowSelect_ = true, selMove_ = true, softTab_ = false, tabIndent_ = false;
  TDragMode selDragMode_ = TDragMode::dmAutomatic;
  TEditorCaretStyle style_ = TEditorCaretStyle::csDefault;
  int tabSpaceCount_ = 8;
};

class TEditorMargin : public TNotifyPersistent {
 public:
  std::string_view ClassName() const override { return "TEditorMargin"; }
  const TPropList& Properties() const override;
  void Assign(const TPersistent& source) override;

  int Character() const { return character_; }
  void SetCharacter(int v);
  int Left() const { return left_; }
  void SetLeft(int v);
  int Line() const { return line_; }
  void SetLine(int v);
  int Top() const { return top_; }
  void SetTop(int v);
  // Not published: 1 while the underline mark is visible, else 0.
  int Underline() const { return underline_; }
  void SetUnderline(int v);

 private:
  int character_ = 0, left_ = 19, line_ = 0, top_ = 2, underline_ = 0;
};

class TEditorMark : public TNotifyPersistent {
 public:
  std::string_view ClassName() const override { return "TEditorMark"; }
  const TPropList& Properties() const override;
  TColor Color() const { return color_; }
  void SetColor(TColor v) { Update(color_, v); }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { Update(visible_, v); }

 private:
  TColor color_ = clGray;
  bool visible_ = false;
};

class TEditorMarks : public TNotifyPersistent {
 public:
  TEditorMarks();
  std::string_view ClassName() const override { return "TEditorMarks"; }
  const TPropList& Properties() const override;
  TEditorMark& EofMark() { return marks_[0]; }
  TEditorMark& RetMark() { return marks_[1]; }
  TEditorMark& WrapMark() { return marks_[2]; }
  TEditorMark& HideMark() { return marks_[3]; }
  TEditorMark& Underline() { return marks_[4]; }

 private:
  TEditorMark marks_[5];
};

class TEditorRuler : public TNotifyPersistent {
 public:
  std::string_view ClassName() const override { return "TEditorRuler"; }
  const TPropList& Properties() const override;
  TColor BkColor() const { return bkColor_; }
  void SetBkColor(TColor v) { Update(bkColor_, v); }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { Update(color_, v); }
  bool Edge() const { return edge_; }
  void SetEdge(bool v) { Update(edge_, v); }
  int GaugeRange() const { return gaugeRange_; }
  // 8 or 10: clamped, then rounded down to an even number.
  void SetGaugeRange(int v);
  TColor MarkColor() const { return markColor_; }
  void SetMarkColor(TColor v) { Update(markColor_, v); }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { Update(visible_, v); }

 private:
  TColor bkColor_ = clSilver, color_ = clBlack, markColor_ = clBlack;
  bool edge_ = true, visible_ = false;
  int gaugeRange_ = 10;
};

class TEditorLeftbar : public TNotifyPersistent {
 public:
  std::string_view ClassName() const override { return "TEditorLeftbar"; }
  const TPropList& Properties() const override;
  TColor BkColor() const { return bkColor_; }
  void SetBkColor(TColor v) { Update(bkColor_, v); }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { Update(color_, v); }
  int Column() const { return column_; }
  void SetColumn(int v);
  bool Edge() const { return edge_; }
  void SetEdge(bool v) { Update(edge_, v); }
  int LeftMargin() const { return leftMargin_; }
  void SetLeftMargin(int v);
  int RightMargin() const { return rightMargin_; }
  void SetRightMargin(int v);
  bool ShowNumber() const { return showNumber_; }
  void SetShowNumber(bool v) { Update(showNumber_, v); }
  TEditorShowNumberMode ShowNumberMode() const { return showNumberMode_; }
  void SetShowNumberMode(TEditorShowNumberMode v) { Update(showNumberMode_, v); }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { Update(visible_, v); }
  bool ZeroBase() const { return zeroBase_; }
  void SetZeroBase(bool v) { Update(zeroBase_, v); }
  bool ZeroLead() const { return zeroLead_; }
  void SetZeroLead(bool v) { Update(zeroLead_, v); }

 private:
  TColor bkColor_ = clSilver, color_ = clBlack;
  int column_ = 4, leftMargin_ = 8, rightMargin_ = 4;
  bool edge_ = true, showNumber_ = true, visible_ = false, zeroBase_ = false, zeroLead_ = false;
  TEditorShowNumberMode showNumberMode_ = TEditorShowNumberMode::nmRow;
};

class TEditorImagebar : public TNotifyPersistent {
 public:
  std::string_view ClassName() const override { return "TEditorImagebar"; }
  const TPropList& Properties() const override;
  int DigitWidth() const { return digitWidth_; }
  void SetDigitWidth(int v);
  int LeftMargin() const { return leftMargin_; }
  void SetLeftMargin(int v);
  int MarkWidth() const { return markWidth_; }
  void SetMarkWidth(int v);
  int RightMargin() const { return rightMargin_; }
  void SetRightMargin(int v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { Update(visible_, v); }

 private:
  int digitWidth_ = 8, leftMargin_ = 2, markWidth_ = 0, rightMargin_ = 2;
  bool visible_ = true;
};

// Scrolling accelerations; no change notification. The ranges are 1..4.
class TEditorSpeed : public TPersistent {
 public:
  std::string_view ClassName() const override { return "TEditorSpeed"; }
  const TPropList& Properties() const override;
  int CaretVerticalAc() const { return caretVerticalAc_; }
  void SetCaretVerticalAc(int v);
  bool InitBracketsFull() const { return initBracketsFull_; }
  void SetInitBracketsFull(bool v) { initBracketsFull_ = v; }
  int PageVerticalRange() const { return pageVerticalRange_; }
  void SetPageVerticalRange(int v);
  int PageVerticalRangeAc() const { return pageVerticalRangeAc_; }
  void SetPageVerticalRangeAc(int v);

 private:
  int caretVerticalAc_ = 2, pageVerticalRange_ = 2, pageVerticalRangeAc_ = 2;
  bool initBracketsFull_ = false;
};

// The word-wrap rules of a row list.
class TEditorWrapOption : public TNotifyPersistent {
 public:
  TEditorWrapOption();
  std::string_view ClassName() const override { return "TEditorWrapOption"; }
  const TPropList& Properties() const override;
  bool FollowRetMark() const { return followRetMark_; }
  void SetFollowRetMark(bool v) { Update(followRetMark_, v); }
  bool FollowPunctuation() const { return followPunctuation_; }
  void SetFollowPunctuation(bool v) { Update(followPunctuation_, v); }
  const std::string& FollowStr() const { return followStr_; }
  void SetFollowStr(const std::string& v) { Update(followStr_, v); }
  bool Leading() const { return leading_; }
  void SetLeading(bool v) { Update(leading_, v); }
  const std::string& LeadStr() const { return leadStr_; }
  void SetLeadStr(const std::string& v) { Update(leadStr_, v); }
  const std::string& PunctuationStr() const { return punctuationStr_; }
  void SetPunctuationStr(const std::string& v) { Update(punctuationStr_, v); }
  bool WordBreak() const { return wordBreak_; }
  void SetWordBreak(bool v) { Update(wordBreak_, v); }
  int WrapByte() const { return wrapByte_; }
  // Clamped to 20..250.
  void SetWrapByte(int v);

 private:
  bool followRetMark_ = false, followPunctuation_ = false, leading_ = false, wordBreak_ = false;
  std::string followStr_, leadStr_, punctuationStr_;
  int wrapByte_ = 80;
};

}  // namespace nura
