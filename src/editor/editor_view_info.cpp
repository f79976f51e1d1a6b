#include "editor/editor_view_info.h"

#include <typeinfo>

#include "editor/editor_text.h"

namespace nura {

TEditorViewInfo::TEditorViewInfo() : fountain_(CreateFountain()) {
  fountain_->NotifyEventList().Add(this, ChangeForwarder());
}

TEditorViewInfo::~TEditorViewInfo() { fountain_->NotifyEventList().Remove(this); }

void TEditorViewInfo::SetQuotation(const std::string& v) {
  fountain_->SetQuotation(v.substr(0, v.empty() ? 0 : EditorCharLength(v, 0)));
}

const TPropList& TEditorViewInfo::Properties() const {
  using C = TEditorViewInfo;
  static const TPropList props = {
      ObjProp<C, &C::Brackets>("Brackets", TPropKind::Collection),
      ObjProp<C, &C::Colors>("Colors"),
      StrProp<C, &C::Commenter, &C::SetCommenter>("Commenter"),
      OrdProp<C, &C::ControlCode, &C::SetControlCode>("ControlCode", TPropKind::Boolean),
      StrProp<C, &C::HexPrefix, &C::SetHexPrefix>("HexPrefix"),
      OrdProp<C, &C::Mail, &C::SetMail>("Mail", TPropKind::Boolean),
      StrProp<C, &C::Quotation, &C::SetQuotation>("Quotation"),
      OrdProp<C, &C::Url, &C::SetUrl>("Url", TPropKind::Boolean),
  };
  return props;
}

void TEditorViewInfo::Assign(const TPersistent& source) {
  // The fountain's listeners include this view: one update of them keeps
  // the whole copy to one change.
  if (typeid(source) != typeid(*this)) RaiseAssignError(source);
  TNotifyEventList& listeners = fountain_->NotifyEventList();
  BeginUpdate();
  listeners.BeginUpdate();
  try {
    AssignProperties(source);
  } catch (...) {
    listeners.EndUpdate();
    EndUpdate();
    throw;
  }
  listeners.EndUpdate();
  EndUpdate();
}

}  // namespace nura
