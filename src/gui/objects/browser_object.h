// ブラウザ (kind 14): a web view. Every navigation first runs the object's
// click event with "ブラウザ移動先URL", then goes ahead unless
// "ブラウザURL移動許可" reads as 0.
#pragma once

#include "gui/objects/gui_object.h"

namespace nura {

class TBrowserObject : public TGuiObject {
 public:
  explicit TBrowserObject(QWidget* view);
  // History steps; nothing happens without a page to go to.
  void Back();
  void Forward();
  // The location shown.
  std::string Location() const;

  TReadResult Read(TProperty p, TPropertyValue& out) override;
  TWriteResult Write(TProperty p, TPropertyInput& in) override;
  TReadResult ReadValue(TPropertyValue&) override { return TReadResult::Unknown; }
  void AssignValue(TPropertyInput&) override {}

 protected:
  unsigned Events() const override { return kOnClick; }
  bool ClicksBySignal() const override { return true; }
  QList<QWidget*> EventWidgets() const override { return {}; }
};

}  // namespace nura
