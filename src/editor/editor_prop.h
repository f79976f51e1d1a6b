// A detached set of editor options (TEditorProp): it copies every option
// from an editor and into one, and saves and loads itself as one INI
// section. The main window's set holds the defaults of script editors.
#pragma once

#include <QFont>
#include <memory>
#include <string>
#include <vector>

#include "editor/editor_control.h"
#include "editor/file_ext_component.h"

namespace nura {

extern const TNameList kHitStyleNames;
extern const TNameList kScrollStyleNames;

class TEditorProp : public TFileExtComponent {
 public:
  TEditorProp();
  std::string_view ClassName() const override { return "TEditorProp"; }
  const TPropList& Properties() const override;
  // From another settings object (FileExtList included); any other
  // source raises the assign error.
  void Assign(const TPersistent& source) override;
  // From and into an editor; a failure half-way ends the copy silently.
  void AssignFromEditor(TEditor& editor);
  void AssignToEditor(TEditor& editor) const;

  TColor Color() const { return color_; }
  void SetColor(TColor v) { color_ = v; }
  TEditorCaret& Caret() { return caret_; }
  TEditorFont& Font() { return font_; }
  TEditorHitStyle HitStyle() const { return hitStyle_; }
  void SetHitStyle(TEditorHitStyle v) { hitStyle_ = v; }
  TEditorImagebar& Imagebar() { return imagebar_; }
  TEditorLeftbar& Leftbar() { return leftbar_; }
  TEditorMargin& Margin() { return margin_; }
  TEditorMarks& Marks() { return marks_; }
  const std::vector<std::string>& ReserveWordList() const { return reserveWordList_.Strings(); }
  void SetReserveWordList(const std::vector<std::string>& v) { reserveWordList_.Assign(v); }
  TEditorRuler& Ruler() { return ruler_; }
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle v) { scrollBars_ = v; }
  TEditorSpeed& Speed() { return speed_; }
  TEditorViewInfo& View() { return view_; }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v) { wordWrap_ = v; }
  TEditorWrapOption& WrapOption() { return wrapOption_; }

 private:
  void CopyFrom(TEditorProp& source);

  TColor color_ = clWindow;
  TEditorCaret caret_;
  TEditorFont font_;
  TEditorHitStyle hitStyle_ = TEditorHitStyle::hsSelect;
  TEditorImagebar imagebar_;
  TEditorLeftbar leftbar_;
  TEditorMargin margin_;
  TEditorMarks marks_;
  TSortedStrings reserveWordList_;
  TEditorRuler ruler_;
  TScrollStyle scrollBars_ = TScrollStyle::ssNone;
  TEditorSpeed speed_;
  TEditorViewInfo view_;
  bool wordWrap_ = false;
  TEditorWrapOption wrapOption_;
};

// The main window's settings (propNura): what every editor a script
// creates receives.
TEditorProp& ScriptEditorDefaults();

}  // namespace nura
