// ブラウザ (kind 14): a web view. Every navigation first runs the object's
// click event with "ブラウザ移動先URL", then goes ahead unless
// "ブラウザURL移動許可" reads as 0. The web view itself lives in the module
// "browser" (Qt WebEngine), loaded when the first browser is made.
#pragma once

#include "gui/objects/gui_object.h"

namespace nura {

struct TObjectRecipe;

class TBrowserObject : public TGuiObject {
 public:
  explicit TBrowserObject(QWidget* view);
  // History steps; nothing happens without a page to go to.
  virtual void Back() = 0;
  virtual void Forward() = 0;
  // The location shown.
  virtual std::string Location() const = 0;

  TReadResult Read(TProperty p, TPropertyValue& out) override;
  TWriteResult Write(TProperty p, TPropertyInput& in) override;
  TReadResult ReadValue(TPropertyValue&) override { return TReadResult::Unknown; }
  void AssignValue(TPropertyInput&) override {}

 protected:
  // Goes to `location` (Shift-JIS, as the script wrote it).
  virtual void Navigate(const std::string& location) = 0;
  unsigned Events() const override { return kOnClick; }
  bool ClicksBySignal() const override { return true; }
  QList<QWidget*> EventWidgets() const override { return {}; }
};

// The entry point of the module "browser": a new browser object for the
// recipe, or nil with the reason in `error` when the web engine cannot
// start. The module is built from src/gui/modules/browser.
using TBrowserMaker = TBrowserObject* (*)(const TObjectRecipe* recipe, std::string* error);
inline constexpr char kBrowserMakerSymbol[] = "NuraMakeBrowser";

}  // namespace nura
