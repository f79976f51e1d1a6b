// The editor's view options: they forward to the editor's own fountain, and
// every change of that fountain reaches the view's change handler.
#pragma once

#include <memory>

#include "editor/editor_fountain.h"

namespace nura {

class TEditorViewInfo : public TNotifyPersistent {
 public:
  TEditorViewInfo();
  ~TEditorViewInfo() override;
  std::string_view ClassName() const override { return "TEditorViewInfo"; }
  const TPropList& Properties() const override;
  void Assign(const TPersistent& source) override;

  TEditorFountain& Fountain() const { return *fountain_; }
  TEditorBracketCollection& Brackets() { return fountain_->EditorBrackets(); }
  void SetBrackets(const TEditorBracketCollection& v) { fountain_->SetBrackets(v); }
  TEditorColors& Colors() { return fountain_->Colors(); }
  void SetColors(const TEditorColors& v) { fountain_->SetColors(v); }
  const std::string& Commenter() const { return fountain_->Commenter(); }
  void SetCommenter(const std::string& v) { fountain_->SetCommenter(v); }
  bool ControlCode() const { return fountain_->ControlCode(); }
  void SetControlCode(bool v) { fountain_->SetControlCode(v); }
  const std::string& HexPrefix() const { return fountain_->HexPrefix(); }
  void SetHexPrefix(const std::string& v) { fountain_->SetHexPrefix(v); }
  bool Mail() const { return fountain_->Mail(); }
  void SetMail(bool v) { fountain_->SetMail(v); }
  const std::string& Quotation() const { return fountain_->Quotation(); }
  // Keeps only the first character.
  void SetQuotation(const std::string& v);
  bool Url() const { return fountain_->Url(); }
  void SetUrl(bool v) { fountain_->SetUrl(v); }

 protected:
  virtual std::unique_ptr<TEditorFountain> CreateFountain() const { return std::make_unique<TEditorFountain>(); }

 private:
  std::unique_ptr<TEditorFountain> fountain_;
};

}  // namespace nura
